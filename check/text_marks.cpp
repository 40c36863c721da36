#include "check/text_marks.h"

#include <algorithm>

#include "table/text.h"

namespace parlix::check {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char KindOf(char type) {
    switch (type) {
        case 'd':
        case 'u':
        case 'x':
            return 'i';
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm':
            return 'f';
        case 's':
            return 's';
        case 'p':
            return 'p';
        default:
            return '\0';
    }
}

// Reads the placeholder whose '%' is at text[start]: returns the index after it, or `start`
// when none starts there. The arguments it takes go to `taken`; `next` is the argument the
// next placeholder takes without an index.
std::size_t ReadPlaceholder(std::string_view text, std::size_t start, int& next,
                            std::vector<FormatArgument>& taken) {
    std::size_t p = start + 1;
    auto digits = [&] {
        long value = 0;
        const std::size_t first = p;
        while (p < text.size() && IsDigit(text[p]) && p - first < 9) {
            value = value * 10 + (text[p] - '0');
            ++p;
        }
        return p == first ? -1L : value;
    };
    int argument = next;
    std::vector<FormatArgument> arguments;
    const std::size_t beforeIndex = p;
    if (const long index = digits(); index >= 0 && p < text.size() && text[p] == ':') {
        argument = static_cast<int>(index);
        ++p;
    } else {
        p = beforeIndex;
    }
    if (p < text.size() && text[p] == '-') {
        ++p;
    }
    // Width, then precision: digits, or '*' for an integer argument.
    for (int part = 0; part < 2; ++part) {
        if (part == 1) {
            if (p >= text.size() || text[p] != '.') {
                break;
            }
            ++p;
        }
        if (p < text.size() && text[p] == '*') {
            arguments.push_back({argument++, 'i'});
            ++p;
        } else {
            digits();
        }
    }
    if (p >= text.size()) {
        return start;
    }
    const char kind = KindOf(FoldCase(text[p]));
    if (kind == '\0') {
        return start;
    }
    arguments.push_back({argument++, kind});
    next = argument;
    taken.insert(taken.end(), arguments.begin(), arguments.end());
    return p + 1;
}

// Calls `text(begin, end)` for the stretches of `source` outside placeholders and
// `placeholder(begin, end)` for each placeholder.
template <typename Text, typename Placeholder>
void ScanFormat(std::string_view source, std::vector<FormatArgument>& taken, Text text,
                Placeholder placeholder) {
    int next = 0;
    std::size_t plain = 0;
    for (std::size_t i = source.find('%'); i != std::string_view::npos; i = source.find('%', i)) {
        if (i + 1 < source.size() && source[i + 1] == '%') {
            i += 2;
            continue;
        }
        const std::size_t end = ReadPlaceholder(source, i, next, taken);
        if (end == i) {
            ++i;
            continue;
        }
        text(plain, i);
        placeholder(i, end);
        plain = i = end;
    }
    text(plain, source.size());
}

}  // namespace

char FoldCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)) {
        return static_cast<char>(byte + 32);
    }
    switch (byte) {
        case 0x8A:  // Š
        case 0x8C:  // Œ
        case 0x8E:  // Ž
            return static_cast<char>(byte + 16);
        case 0x9F:  // Ÿ
            return static_cast<char>(0xFF);
        default:
            return c;
    }
}

FormatPlaceholders ParseFormatPlaceholders(std::string_view text) {
    FormatPlaceholders result;
    ScanFormat(
        text, result.arguments, [](std::size_t, std::size_t) {},
        [&](std::size_t begin, std::size_t end) {
            result.written.push_back(text.substr(begin, end - begin));
        });
    std::sort(result.arguments.begin(), result.arguments.end());
    result.arguments.erase(std::unique(result.arguments.begin(), result.arguments.end()),
                           result.arguments.end());
    return result;
}

Accelerators FindAccelerators(std::string_view text) {
    Accelerators found;
    for (std::size_t i = text.find('&'); i != std::string_view::npos && i + 1 < text.size();
         i = text.find('&', i)) {
        if (text[i + 1] == '&') {
            i += 2;
            continue;
        }
        if (found.count++ == 0) {
            found.letter = FoldCase(text[i + 1]);
        }
        i += 2;
    }
    return found;
}

bool HasLetter(std::string_view text) {
    auto isLetter = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        // Windows-1252 letters: ASCII, Š Œ Ž š œ ž Ÿ ª µ º, and À..ÿ without × and ÷.
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == 0x83 ||
               byte == 0x8A || byte == 0x8C || byte == 0x8E || byte == 0x9A || byte == 0x9C ||
               byte == 0x9E || byte == 0x9F || byte == 0xAA || byte == 0xB5 || byte == 0xBA ||
               (byte >= 0xC0 && byte != 0xD7 && byte != 0xF7);
    };
    bool found = false;
    std::vector<FormatArgument> ignored;
    ScanFormat(
        text, ignored,
        [&](std::size_t begin, std::size_t end) {
            found = found || std::any_of(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                         text.begin() + static_cast<std::ptrdiff_t>(end), isLetter);
        },
        [](std::size_t, std::size_t) {});
    return found;
}

std::string_view LeadingBlanks(std::string_view text) {
    const std::string_view trimmed = TrimView(text);
    if (trimmed.empty()) {
        return text;
    }
    return text.substr(0, static_cast<std::size_t>(trimmed.data() - text.data()));
}

std::string_view TrailingBlanks(std::string_view text) {
    const std::string_view trimmed = TrimView(text);
    if (trimmed.empty()) {
        return {};
    }
    const std::size_t end = static_cast<std::size_t>(trimmed.data() - text.data()) + trimmed.size();
    return text.substr(end);
}

}  // namespace parlix::check
