// What the user looks for in the translation table's texts: a Windows-1252 text, found with or
// without regard to case (the accented Latin letters fold too) and, if asked, only as a whole
// word.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace parlix {

struct SearchOptions {
    bool matchCase = false;
    bool wholeWords = false;
};

class TextPattern {
  public:
    static constexpr std::size_t npos = std::string_view::npos;

    TextPattern(std::string_view needle, SearchOptions options);

    bool Empty() const { return needle_.empty(); }
    std::size_t Size() const { return needle_.size(); }
    const SearchOptions& Options() const { return options_; }

    // Where the first match at or after `from` begins, or npos. An empty pattern matches
    // nowhere.
    std::size_t Find(std::string_view text, std::size_t from = 0) const;
    // Where the last match that begins before `before` begins, or npos.
    std::size_t FindLast(std::string_view text, std::size_t before) const;
    bool FoundIn(std::string_view text) const { return Find(text) != npos; }
    // `text` with every match replaced, left to right without overlaps; `count` is increased
    // by the number of matches.
    std::string ReplaceAll(std::string_view text, std::string_view replacement, int& count) const;

  private:
    bool MatchesAt(std::string_view text, std::size_t at) const;

    std::string needle_;  // folded unless matching case
    SearchOptions options_;
    std::array<unsigned char, 256> fold_;  // identity when matching case
};

// Whether a Windows-1252 byte belongs to a word: letters (accented ones too), digits and the
// underscore.
bool IsWordByte(unsigned char c);

}  // namespace parlix
