#include "forms/pascal_unit.h"

namespace parlix::forms {

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool Is(std::string_view token, std::string_view keyword) {
    if (token.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < token.size(); ++i) {
        if ((token[i] | 0x20) != keyword[i]) {
            return false;
        }
    }
    return true;
}

// Identifiers and single symbols of Pascal source; numbers and strings come as one token each.
class Tokens {
  public:
    explicit Tokens(std::string_view source) : source_(source) {}

    // The next token, or empty at the end.
    std::string_view Next() {
        SkipBlanksAndComments();
        if (pos_ >= source_.size()) {
            return {};
        }
        const std::size_t from = pos_;
        const char c = source_[pos_];
        if (IsLetter(c) || static_cast<unsigned char>(c) >= 0x80) {
            while (pos_ < source_.size() && (IsLetter(source_[pos_]) || IsDigit(source_[pos_]) ||
                                             static_cast<unsigned char>(source_[pos_]) >= 0x80)) {
                ++pos_;
            }
        } else if (c == '\'') {
            const std::size_t end = source_.find('\'', pos_ + 1);
            pos_ = end == std::string_view::npos ? source_.size() : end + 1;
        } else if (IsDigit(c) || c == '$' || c == '#') {
            ++pos_;
            while (pos_ < source_.size() && (IsLetter(source_[pos_]) || IsDigit(source_[pos_]))) {
                ++pos_;
            }
        } else {
            ++pos_;
        }
        return source_.substr(from, pos_ - from);
    }

  private:
    void SkipBlanksAndComments() {
        while (pos_ < source_.size()) {
            const char c = source_[pos_];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') {
                ++pos_;
            } else if (c == '{') {
                Skip(source_.find('}', pos_), 1);
            } else if (source_.compare(pos_, 2, "(*") == 0) {
                Skip(source_.find("*)", pos_ + 2), 2);
            } else if (source_.compare(pos_, 2, "//") == 0) {
                Skip(source_.find('\n', pos_), 1);
            } else {
                return;
            }
        }
    }

    void Skip(std::size_t end, std::size_t length) {
        pos_ = end == std::string_view::npos ? source_.size() : end + length;
    }

    std::string_view source_;
    std::size_t pos_ = 0;
};

// Words that end a var section.
bool EndsVarSection(std::string_view token) {
    for (const std::string_view keyword :
         {"var",          "const",    "type",           "threadvar",  "resourcestring",
          "procedure",    "function", "implementation", "begin",      "initialization",
          "finalization", "end",      "constructor",    "destructor", "operator",
          "class",        "property", "exports",        "label",      "private",
          "protected",    "public",   "published",      "strict"}) {
        if (Is(token, keyword)) {
            return true;
        }
    }
    return false;
}

}  // namespace

UnitDeclarations ReadUnitDeclarations(std::string_view source) {
    UnitDeclarations unit;
    Tokens tokens(source);
    // The last tokens, for "Name = class(Ancestor": a window of five.
    std::string_view window[5];
    bool inVar = false;
    std::vector<std::string_view> names;  // the names of the declaration being read
    bool afterColon = false;
    std::vector<std::string_view> type;
    for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
        for (int i = 0; i < 4; ++i) {
            window[i] = window[i + 1];
        }
        window[4] = token;
        if (!window[0].empty() && IsLetter(window[0][0]) && window[1] == "=" &&
            Is(window[2], "class") && window[3] == "(" && IsLetter(token[0])) {
            unit.classes.push_back({std::string(window[0]), std::string(token)});
        } else if (Is(window[0], "class") && window[1] == "(" && window[3] == "." &&
                   IsLetter(token[0]) && !unit.classes.empty()) {
            unit.classes.back().ancestor = token;  // "class(Forms.TForm": the unit prefix goes
        }
        if (Is(token, "implementation")) {
            break;
        }
        if (Is(token, "var") || Is(token, "threadvar")) {
            inVar = true;
            names.clear();
            afterColon = false;
            continue;
        }
        if (!inVar) {
            continue;
        }
        if (!afterColon) {
            if (token == ":" && !names.empty()) {
                afterColon = true;
                type.clear();
            } else if (IsLetter(token[0]) && !EndsVarSection(token)) {
                names.push_back(token);
            } else if (token != ",") {
                inVar = false;
                names.clear();
            }
        } else if (token == ";") {
            // "Unit.TType" counts as "TType"; any other type ("array of X") is no form's.
            std::string typeName;
            if (type.size() == 1 || (type.size() == 3 && type[1] == ".")) {
                typeName = type.back();
            }
            for (const std::string_view name : names) {
                unit.variables.push_back({std::string(name), typeName});
            }
            names.clear();
            afterColon = false;
        } else {
            type.push_back(token);
        }
    }
    return unit;
}

}  // namespace parlix::forms
