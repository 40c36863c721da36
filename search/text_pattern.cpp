#include "search/text_pattern.h"

#include "table/text.h"

namespace parlix {

bool IsWordByte(unsigned char c) {
    if ((c >= '0' && c <= '9') || c == '_' || FoldCase(c) != c) {
        return true;
    }
    switch (c) {
        case 0x83:  // ƒ
        case 0x9A:  // š
        case 0x9C:  // œ
        case 0x9E:  // ž
        case 0xAA:  // ª
        case 0xB5:  // µ
        case 0xBA:  // º
        case 0xDF:  // ß
        case 0xFF:  // ÿ
            return true;
        default:
            return (c >= 'a' && c <= 'z') || (c >= 0xE0 && c != 0xF7);
    }
}

TextPattern::TextPattern(std::string_view needle, SearchOptions options) : options_(options) {
    for (std::size_t c = 0; c < fold_.size(); ++c) {
        const auto byte = static_cast<unsigned char>(c);
        fold_[c] = options.matchCase ? byte : FoldCase(byte);
    }
    needle_.reserve(needle.size());
    for (char c : needle) {
        needle_.push_back(static_cast<char>(fold_[static_cast<unsigned char>(c)]));
    }
}

bool TextPattern::MatchesAt(std::string_view text, std::size_t at) const {
    if (at + needle_.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < needle_.size(); ++i) {
        if (fold_[static_cast<unsigned char>(text[at + i])] !=
            static_cast<unsigned char>(needle_[i])) {
            return false;
        }
    }
    if (options_.wholeWords) {
        const std::size_t end = at + needle_.size();
        if ((at > 0 && IsWordByte(static_cast<unsigned char>(text[at - 1]))) ||
            (end < text.size() && IsWordByte(static_cast<unsigned char>(text[end])))) {
            return false;
        }
    }
    return true;
}

std::size_t TextPattern::Find(std::string_view text, std::size_t from) const {
    if (needle_.empty() || text.size() < needle_.size()) {
        return npos;
    }
    const std::size_t last = text.size() - needle_.size();
    if (options_.matchCase && !options_.wholeWords) {
        return text.find(needle_, from);
    }
    const auto first = static_cast<unsigned char>(needle_[0]);
    for (std::size_t at = from; at <= last; ++at) {
        if (fold_[static_cast<unsigned char>(text[at])] == first && MatchesAt(text, at)) {
            return at;
        }
    }
    return npos;
}

std::size_t TextPattern::FindLast(std::string_view text, std::size_t before) const {
    if (needle_.empty() || text.size() < needle_.size() || before == 0) {
        return npos;
    }
    std::size_t at = std::min(before - 1, text.size() - needle_.size());
    for (;; --at) {
        if (MatchesAt(text, at)) {
            return at;
        }
        if (at == 0) {
            return npos;
        }
    }
}

std::string TextPattern::ReplaceAll(std::string_view text, std::string_view replacement,
                                    int& count) const {
    std::string result;
    std::size_t done = 0;
    for (std::size_t at = Find(text); at != npos; at = Find(text, done)) {
        result.append(text.substr(done, at - done));
        result.append(replacement);
        done = at + needle_.size();
        ++count;
    }
    result.append(text.substr(done));
    return result;
}

}  // namespace parlix
