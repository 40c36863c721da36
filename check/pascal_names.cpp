#include "check/pascal_names.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace parlix::check {

namespace {

// Sorted, lower case (see IsReservedWord).
constexpr std::string_view kReservedWords[] = {
    "and",
    "array",
    "as",
    "asm",
    "at",
    "begin",
    "bitpacked",
    "case",
    "class",
    "const",
    "constructor",
    "destructor",
    "dispinterface",
    "div",
    "do",
    "downto",
    "else",
    "end",
    "except",
    "exports",
    "file",
    "finalization",
    "finally",
    "for",
    "function",
    "goto",
    "if",
    "implementation",
    "in",
    "inherited",
    "initialization",
    "inline",
    "interface",
    "is",
    "label",
    "library",
    "mod",
    "nil",
    "not",
    "object",
    "of",
    "on",
    "or",
    "otherwise",
    "packed",
    "procedure",
    "program",
    "property",
    "raise",
    "record",
    "repeat",
    "resourcestring",
    "set",
    "shl",
    "shr",
    "string",
    "then",
    "threadvar",
    "to",
    "try",
    "type",
    "unit",
    "until",
    "uses",
    "var",
    "while",
    "with",
    "xor",
};
static_assert(std::is_sorted(std::begin(kReservedWords), std::end(kReservedWords)));
constexpr std::size_t kLongestReservedWord = 14;  // "implementation", "initialization"

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
constexpr auto kLowerAscii = [] {
    std::array<char, 256> lower{};
    for (int c = 0; c < 256; ++c) {
        lower[static_cast<std::size_t>(c)] = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return lower;
}();

char LowerAscii(char c) {
    return kLowerAscii[static_cast<unsigned char>(c)];
}

// Letters, digits and underscores, not starting with a digit; length and reserved words
// are not looked at.
bool IsIdentifierShape(std::string_view word) {
    if (word.empty() || !IsLetter(word[0])) {
        return false;
    }
    return std::all_of(word.begin(), word.end(), [](char c) { return IsLetter(c) || IsDigit(c); });
}

// Reads a path from left to right; every Read* leaves `pos_` after what it read. With a key,
// appends the path's key as it goes.
class PathReader {
  public:
    PathReader(std::string_view piece, std::string* key) : text_(piece), key_(key) {}

    PropertyPath Read() {
        const std::size_t keyStart = key_ != nullptr ? key_->size() : 0;
        PropertyPath path = ReadPath();
        if (path.fault != NameFault::None && key_ != nullptr) {
            key_->resize(keyStart);
        }
        return path;
    }

  private:
    PropertyPath ReadPath() {
        PropertyPath path;
        do {
            SkipBlanks();
            const std::string_view word = ReadWord();
            if (const NameFault fault = CheckIdentifier(word); fault != NameFault::None) {
                path.fault = fault == NameFault::Empty ? NameFault::Malformed : fault;
                if (fault == NameFault::Reserved || fault == NameFault::TooLong) {
                    path.word = word;
                }
                return path;
            }
            if (path.first.empty()) {
                path.first = word;
            }
            SkipBlanks();
            if (Peek() == '[' && !ReadIndex()) {
                path.fault = NameFault::Malformed;
                return path;
            }
            SkipBlanks();
        } while (Take('.'));
        if (pos_ != text_.size()) {
            path.fault = NameFault::Malformed;
            path.first = {};
        }
        return path;
    }

    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    bool Take(char c) {
        if (Peek() != c) {
            return false;
        }
        ++pos_;
        Key(c);
        return true;
    }
    void Key(char c) {
        if (key_ != nullptr) {
            key_->push_back(c);
        }
    }
    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }
    // The letters, digits and underscores from here on (maybe none).
    std::string_view ReadWord() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (IsLetter(text_[pos_]) || IsDigit(text_[pos_]))) {
            ++pos_;
        }
        const std::string_view word = text_.substr(start, pos_ - start);
        if (key_ != nullptr) {
            AppendLowerAscii(*key_, word);
        }
        return word;
    }
    // "[" number "]", with blanks inside; the key gets the number without leading zeros.
    bool ReadIndex() {
        Take('[');
        SkipBlanks();
        std::uint64_t value = 0;
        const std::size_t start = pos_;
        while (IsDigit(Peek())) {
            value = value * 10 + static_cast<std::uint64_t>(text_[pos_] - '0');
            if (value > 2147483647u) {
                return false;
            }
            ++pos_;
        }
        if (pos_ == start) {
            return false;
        }
        if (key_ != nullptr) {
            key_->append(std::to_string(value));
        }
        SkipBlanks();
        return Take(']');
    }

    std::string_view text_;
    std::string* key_;
    std::size_t pos_ = 0;
};

}  // namespace

// For each length, the first letters of the reserved words of that length (bit 0: 'a').
constexpr auto kFirstLetters = [] {
    std::array<std::uint32_t, kLongestReservedWord + 1> letters{};
    for (const std::string_view word : kReservedWords) {
        letters[word.size()] |= std::uint32_t{1} << (word[0] - 'a');
    }
    return letters;
}();

bool IsReservedWord(std::string_view word) {
    if (word.empty() || word.size() > kLongestReservedWord) {
        return false;
    }
    const char first = LowerAscii(word[0]);
    if (first < 'a' || first > 'z' ||
        (kFirstLetters[word.size()] & (std::uint32_t{1} << (first - 'a'))) == 0) {
        return false;
    }
    char lower[kLongestReservedWord];
    std::transform(word.begin(), word.end(), lower, LowerAscii);
    const std::string_view key(lower, word.size());
    return std::binary_search(std::begin(kReservedWords), std::end(kReservedWords), key);
}

NameFault CheckIdentifier(std::string_view word) {
    const NameFault fault = CheckConditionalSymbol(word);
    if (fault == NameFault::None && IsReservedWord(word)) {
        return NameFault::Reserved;
    }
    return fault;
}

NameFault CheckConditionalSymbol(std::string_view word) {
    if (word.empty()) {
        return NameFault::Empty;
    }
    if (!IsIdentifierShape(word)) {
        return NameFault::Malformed;
    }
    return word.size() > kMaxIdentifierLength ? NameFault::TooLong : NameFault::None;
}

UnitName CheckUnitName(std::string_view name) {
    if (name.empty()) {
        return {NameFault::Empty, {}};
    }
    UnitName result;
    std::string_view rest = name;
    while (true) {
        const std::size_t dot = rest.find('.');
        const std::string_view word = rest.substr(0, dot);
        const NameFault fault = CheckIdentifier(word);
        if (fault == NameFault::Empty || fault == NameFault::Malformed) {
            return {NameFault::Malformed, {}};
        }
        if (fault != NameFault::None && result.fault == NameFault::None) {
            result = {fault, word};
        }
        if (dot == std::string_view::npos) {
            return result;
        }
        rest.remove_prefix(dot + 1);
    }
}

PropertyPath ParsePropertyPath(std::string_view piece, std::string* key) {
    return PathReader(piece, key).Read();
}

void AppendLowerAscii(std::string& key, std::string_view word) {
    const std::size_t start = key.size();
    key.resize(start + word.size());
    char* out = key.data() + start;
    for (const char c : word) {
        *out++ = LowerAscii(c);
    }
}

std::string PathWithoutBlanks(std::string_view piece) {
    std::string path;
    for (const char c : piece) {
        if (c != ' ' && c != '\t') {
            path.push_back(c);
        }
    }
    return path;
}

}  // namespace parlix::check
