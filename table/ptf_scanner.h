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
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "table/text.h"

namespace parlix::detail {

enum class PtfTag : char { String = 's', Boolean = 'b', Null = 'u', Number = 'n' };

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

// The text of the token being gathered: a slice of the line while it is one, a copy otherwise.
class PtfTokenText {
  public:
    PtfTokenText(std::string_view line, std::string& scratch) : line_(line), scratch_(scratch) {}

    void AppendRange(std::size_t begin, std::size_t end) {
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
// handed to the sink is valid only during the call. Returns false when the line is rejected;
// the tokens before the fault have been handed over by then.
template <class Sink>
bool ScanPtfLine(std::string_view line, std::string& scratch, Sink&& sink) {
    PtfTokenText text(line, scratch);
    const std::size_t n = line.size();
    std::size_t i = 0;
    bool inQuotes = false;
    char quote = 0;
    while (i < n) {
        const char c = line[i];
        if (inQuotes) {
            std::size_t j = i;
            while (j < n && line[j] != quote && line[j] != '\\') {
                ++j;
            }
            if (j > i) {
                text.AppendRange(i, j);
                i = j;
                continue;
            }
            if (c == quote) {
                sink(PtfTag::String, text.View());
                text.Clear();
                inQuotes = false;
                ++i;
                continue;
            }
            // A backslash: it applies to the one character that follows it.
            if (i + 1 >= n) {
                break;
            }
            const char next = line[i + 1];
            if (next == '\\' || next == '"' || next == '\'' || next == ' ') {
                text.AppendRange(i + 1, i + 2);
            } else {
                text.AppendRange(i, i + 2);
            }
            i += 2;
            continue;
        }
        switch (c) {
            case ' ':
                break;
            case '"':
            case '\'':
                inQuotes = true;
                quote = c;
                break;
            case ',': {
                std::string_view token = TrimView(text.View());
                if (!token.empty()) {
                    if (token == "true" || token == "false") {
                        sink(PtfTag::Boolean, token);
                    } else if (token == "null") {
                        sink(PtfTag::Null, token);
                    } else if (IsPtfNumber(token)) {
                        sink(PtfTag::Number, token);
                    } else {
                        return false;
                    }
                }
                text.Clear();
                break;
            }
            case '\\':
                return false;
            default:
                text.AppendRange(i, i + 1);
                break;
        }
        ++i;
    }
    return true;
}

}  // namespace parlix::detail
