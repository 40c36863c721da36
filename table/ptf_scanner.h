// The tokenizer of one table-file line, shared by ParsePtfLine and the file reader.
//
// It hands each token to a sink as a tag and a text view, copying only where escapes or
// blanks make the text differ from the line's bytes. The rules, character by character:
//   - a space is kept inside quotes and ignored outside them;
//   - a double or single quote outside quotes opens a string (text gathered before it stays in
//     front); the same quote, unescaped, closes it and yields an "s" token;
//   - a comma inside quotes is text; outside, the gathered text is trimmed and, unless empty,
//     yields "b" (true/false), "u" (null), "n" (a valid number), or rejects the line;
//   - a backslash outside quotes rejects the line; inside quotes it escapes the next character:
//     a backslash or quote gives that character, a space gives a space, anything else keeps the
//     backslash in front of it;
//   - text left at the end of the line (a value without a comma, an unclosed string) is dropped.
// An unclosed string and text after a closing quote (before the next comma) are passed over as
// the rules say, but the result tells them: the file reader refuses such a line, since the
// writer never makes one and it is what a lost quote leaves.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "table/byte_search.h"
#include "table/text.h"

namespace parlix::detail {

enum class PtfTag : char { String = 's', Boolean = 'b', Null = 'u', Number = 'n' };

// How the scan of a line ended.
enum class PtfLineEnd {
    Read,             // every value ended as the format has it
    Rejected,         // a backslash outside quotes, or an unquoted word that is no value
    OpenString,       // the line ends inside a quoted value
    TextAfterString,  // something other than blanks between a closing quote and the next comma
};

// Optional sign followed by at least one more character; digits with at most one point among
// them; optionally "E" or "e", an optional sign and at least one digit; nothing else.
inline bool IsPtfNumber(std::string_view s) {
    std::size_t k = 0;
    const std::size_t n = s.size();
    if (k < n && (s[k] == '+' || s[k] == '-')) {
        ++k;
        if (k == n) {
            return false;
        }
    }
    bool point = false;
    while (k < n) {
        if (s[k] >= '0' && s[k] <= '9') {
            ++k;
        } else if (s[k] == '.' && !point) {
            point = true;
            ++k;
        } else {
            break;
        }
    }
    if (k < n && (s[k] == 'e' || s[k] == 'E')) {
        ++k;
        if (k < n && (s[k] == '+' || s[k] == '-')) {
            ++k;
        }
        const std::size_t digits = k;
        while (k < n && s[k] >= '0' && s[k] <= '9') {
            ++k;
        }
        if (k == digits) {
            return false;
        }
    }
    return k == n;
}

// The first quote character or backslash in [from, end), or end.
inline const char* FindQuoteOrBackslash(const char* from, const char* end, char quote) {
    return FindEitherByte(from, end, quote, '\\');
}

// The text of the token being gathered: a slice of the line while it is one, a copy otherwise.
class PtfTokenText {
  public:
    PtfTokenText(std::string_view line, std::string& scratch) : line_(line), scratch_(scratch) {}

    void AppendRange(std::ptrdiff_t from, std::ptrdiff_t to) {
        const std::size_t begin = static_cast<std::size_t>(from);
        const std::size_t end = static_cast<std::size_t>(to);
        if (begin == end) {
            return;
        }
        if (copied_) {
            scratch_.append(line_.data() + begin, end - begin);
        } else if (length_ == 0) {
            start_ = begin;
            length_ = end - begin;
        } else if (start_ + length_ == begin) {
            length_ += end - begin;
        } else {
            scratch_.assign(line_.data() + start_, length_);
            scratch_.append(line_.data() + begin, end - begin);
            copied_ = true;
        }
    }

    std::string_view View() const {
        return copied_ ? std::string_view(scratch_) : line_.substr(start_, length_);
    }

    bool Empty() const { return copied_ ? scratch_.empty() : length_ == 0; }

    void Clear() {
        copied_ = false;
        length_ = 0;
    }

  private:
    std::string_view line_;
    std::string& scratch_;
    std::size_t start_ = 0;
    std::size_t length_ = 0;
    bool copied_ = false;
};

// Scans `line`, calling sink(PtfTag, std::string_view) for each token, left to right. A view
// handed to the sink is valid only during the call. Stops at a rejected line, after handing
// over the tokens before the fault; goes on after the other faults, as the rules say.
template <class Sink>
PtfLineEnd ScanPtfLine(std::string_view line, std::string& scratch, Sink&& sink) {
    PtfTokenText text(line, scratch);
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin;
    PtfLineEnd result = PtfLineEnd::Read;
    bool afterString = false;  // a string closed, and no comma since
    while (p < end) {
        const char c = *p;
        if (afterString && c != ' ' && c != ',') {
            result = PtfLineEnd::TextAfterString;
        }
        switch (c) {
            case ' ':
                ++p;
                break;
            case '"':
            case '\'': {
                const char quote = c;
                ++p;
                const char* stop = FindQuoteOrBackslash(p, end, quote);
                // The common case: a string without escapes and nothing gathered before it.
                if (stop < end && *stop == quote && text.Empty()) {
                    sink(PtfTag::String, std::string_view(p, static_cast<std::size_t>(stop - p)));
                    p = stop + 1;
                    afterString = true;
                    break;
                }
                // Otherwise gather the text piece by piece; a backslash applies to the one
                // character after it.
                bool closed = false;
                while (true) {
                    text.AppendRange(p - begin, stop - begin);
                    p = stop;
                    if (p >= end) {
                        break;
                    }
                    if (*p == quote) {
                        sink(PtfTag::String, text.View());
                        text.Clear();
                        ++p;
                        closed = true;
                        break;
                    }
                    if (p + 1 >= end) {  // a backslash at the very end: the string stays open
                        p = end;
                        break;
                    }
                    const char next = p[1];
                    if (next == '\\' || next == '"' || next == '\'' || next == ' ') {
                        text.AppendRange(p + 1 - begin, p + 2 - begin);
                    } else {
                        text.AppendRange(p - begin, p + 2 - begin);
                    }
                    p += 2;
                    stop = FindQuoteOrBackslash(p, end, quote);
                }
                if (!closed) {
                    // Dropped with the rest of the line; an earlier fault is the one to tell.
                    return result != PtfLineEnd::Read ? result : PtfLineEnd::OpenString;
                }
                afterString = true;
                break;
            }
            case ',': {
                afterString = false;
                if (!text.Empty()) {
                    std::string_view token = TrimView(text.View());
                    if (!token.empty()) {
                        if (token == "true" || token == "false") {
                            sink(PtfTag::Boolean, token);
                        } else if (token == "null") {
                            sink(PtfTag::Null, token);
                        } else if (IsPtfNumber(token)) {
                            sink(PtfTag::Number, token);
                        } else {
                            return PtfLineEnd::Rejected;
                        }
                    }
                    text.Clear();
                }
                ++p;
                break;
            }
            case '\\':
                return PtfLineEnd::Rejected;
            default:
                text.AppendRange(p - begin, p + 1 - begin);
                ++p;
                break;
        }
    }
    return result;
}

}  // namespace parlix::detail
