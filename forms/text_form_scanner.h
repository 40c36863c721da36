// The characters of a text form, for its reader (text_form_reader.cpp): blanks and line
// counting, words, numbers, string values with their pieces and codes, binary data, and the
// messages that name the line and what stands there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "forms/form.h"
#include "forms/form_codec.h"
#include "table/cp1252.h"

namespace parlix::forms::detail {

inline bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

class TextScanner {
  protected:
    // `form` receives the file's name and the warnings.
    TextScanner(std::string_view bytes, FormSyntax syntax, Form& form)
        : bytes_(bytes), syntax_(syntax), form_(form) {}

    // One piece of a string value: quoted bytes as the file holds them, or a #nnn code.
    struct Piece {
        std::string_view bytes;
        std::uint32_t code = 0;
        bool isCode = false;
    };

    [[noreturn]] void Fail(const std::string& message) const { FailAt(line_, message); }

    [[noreturn]] void FailAt(int line, const std::string& message) const {
        throw FaultError(Fault::In(form_.file, message, line));
    }

    // What stands at the current position, for a message: the word just read, else the
    // character there.
    std::string Found(std::string_view word) const {
        if (!word.empty()) {
            return "„" + detail::Readable(word) + "“";
        }
        if (pos_ >= bytes_.size()) {
            return "das Ende der Datei";
        }
        const unsigned char c = static_cast<unsigned char>(bytes_[pos_]);
        if (c < 0x20) {
            return "das Steuerzeichen #" + std::to_string(c);
        }
        std::size_t end = pos_;
        if (c < 0x80 || !NextUtf8Character(bytes_, end)) {
            end = pos_ + 1;
        }
        return "„" + detail::Readable(bytes_.substr(pos_, end - pos_)) + "“";
    }

    char Peek() const { return pos_ < bytes_.size() ? bytes_[pos_] : '\0'; }

    bool AtEnd() const { return pos_ >= bytes_.size(); }

    void SkipBlanks() {
        while (pos_ < bytes_.size()) {
            const char c = bytes_[pos_];
            if (c == '\n') {
                ++line_;
            } else if (c == '\r') {
                if (pos_ + 1 >= bytes_.size() || bytes_[pos_ + 1] != '\n') {
                    ++line_;
                }
            } else if (c != ' ' && c != '\t') {
                return;
            }
            ++pos_;
        }
    }

    // An identifier at the current position, or nothing.
    std::string_view Word() {
        const std::size_t from = pos_;
        if (pos_ < bytes_.size() && IsLetter(bytes_[pos_])) {
            while (pos_ < bytes_.size() && (IsLetter(bytes_[pos_]) || IsDigit(bytes_[pos_]))) {
                ++pos_;
            }
        }
        return bytes_.substr(from, pos_ - from);
    }

    // A name with dotted parts ("Font.Name", "Form2.Button1"), as UTF-8.
    std::string DottedName(std::string_view first) {
        std::string name = detail::Readable(first);
        while (Peek() == '.') {
            ++pos_;
            const std::string_view part = Word();
            if (part.empty()) {
                Fail("nach „" + name + ".“ fehlt ein Name");
            }
            name += '.';
            name += detail::Readable(part);
        }
        return name;
    }

    void Expect(char c, std::string_view what) {
        SkipBlanks();
        if (Peek() != c) {
            Fail("„" + std::string(1, c) + "“ erwartet " + std::string(what) + ", nicht " +
                 Found({}));
        }
        ++pos_;
    }

    int ChildPosition() {
        const std::size_t from = pos_;
        long long value = 0;
        while (pos_ < bytes_.size() && IsDigit(bytes_[pos_]) && value < 1000000000) {
            value = value * 10 + (bytes_[pos_] - '0');
            ++pos_;
        }
        if (pos_ == from || IsDigit(Peek())) {
            Fail("Position der Komponente erwartet, nicht " + Found({}));
        }
        return static_cast<int>(value);
    }

    void Number() {
        if (Peek() == '-' || Peek() == '+') {
            ++pos_;
        }
        const bool hex = Peek() == '$';
        if (hex) {
            ++pos_;
        }
        if (!(hex ? IsHexDigit(Peek()) : IsDigit(Peek()))) {
            Fail("Zahl erwartet, nicht " + Found({}));
        }
        // The digits, a fraction, an exponent and a suffix such as Currency's "c": what a number
        // is worth does not matter here, only where it ends.
        while (pos_ < bytes_.size()) {
            const char c = bytes_[pos_];
            const bool exponentSign = !hex && (c == '-' || c == '+') &&
                                      (bytes_[pos_ - 1] == 'e' || bytes_[pos_ - 1] == 'E');
            if (!IsDigit(c) && !IsLetter(c) && c != '.' && !exponentSign) {
                break;
            }
            ++pos_;
        }
    }

    // "{" is read: hexadecimal digit pairs, over any number of lines, up to "}".
    void BinaryData(int line) {
        std::size_t digits = 0;
        for (;;) {
            SkipBlanks();
            const char c = Peek();
            if (c == '}') {
                ++pos_;
                break;
            }
            if (!IsHexDigit(c)) {
                Fail(AtEnd()
                         ? "Binärdaten ab Zeile " + std::to_string(line) + " enden nicht mit „}“"
                         : "Hexadezimalziffer erwartet in Binärdaten, nicht " + Found({}));
            }
            ++digits;
            ++pos_;
        }
        if (digits % 2 != 0) {
            FailAt(line, "Binärdaten mit einer ungeraden Zahl von Hexadezimalziffern");
        }
    }

    // A string value: pieces written side by side ('a'#13'b'), joined with "+" over lines.
    std::string Text() {
        const int line = line_;
        pieces_.clear();
        for (;;) {
            Pieces();
            const std::size_t pos = pos_;
            const int lineBefore = line_;
            SkipBlanks();
            if (Peek() != '+') {
                pos_ = pos;
                line_ = lineBefore;
                break;
            }
            ++pos_;
            SkipBlanks();
            if (Peek() != '\'' && Peek() != '#') {
                Fail("Text erwartet nach „+“, nicht " + Found({}));
            }
        }
        return Decode(line);
    }

    void Pieces() {
        for (;;) {
            const char c = Peek();
            if (c == '\'') {
                Quoted();
            } else if (c == '#') {
                ++pos_;
                pieces_.push_back({{}, CharacterCode(), true});
            } else {
                return;
            }
        }
    }

    void Quoted() {
        ++pos_;
        std::size_t from = pos_;
        for (;;) {
            const std::size_t end = bytes_.find_first_of("'\r\n", pos_);
            if (end == std::string_view::npos || bytes_[end] != '\'') {
                Fail("Text ohne schließendes Hochkomma");
            }
            if (end + 1 < bytes_.size() && bytes_[end + 1] == '\'') {
                pieces_.push_back({bytes_.substr(from, end + 1 - from)});
                pos_ = end + 2;
                from = pos_;
                continue;
            }
            pieces_.push_back({bytes_.substr(from, end - from)});
            pos_ = end + 1;
            return;
        }
    }

    // The number after "#", decimal or "$" hexadecimal.
    std::uint32_t CharacterCode() {
        const bool hex = Peek() == '$';
        if (hex) {
            ++pos_;
        }
        const std::size_t from = pos_;
        std::uint32_t code = 0;
        while (pos_ < bytes_.size() && (hex ? IsHexDigit(bytes_[pos_]) : IsDigit(bytes_[pos_]))) {
            const char c = bytes_[pos_];
            const auto digit =
                static_cast<std::uint32_t>(IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
            code = code < 0x1000000 ? code * (hex ? 16 : 10) + digit : code;
            ++pos_;
        }
        if (pos_ == from) {
            Fail("Zeichennummer erwartet nach „#“, nicht " + Found({}));
        }
        return code;
    }

    std::string Decode(int line) {
        bool utf8 = true;
        for (const Piece& piece : pieces_) {
            if (!piece.isCode && !detail::IsUtf8(piece.bytes)) {
                utf8 = false;
            }
        }
        if (!utf8 && syntax_ == FormSyntax::Lazarus && form_.warnings.empty()) {
            form_.warnings.push_back(Fault::In(
                form_.file, "der Text ist kein gültiges UTF-8 und wurde als Windows-1252 gelesen",
                line));
        }
        const std::uint32_t largest = syntax_ == FormSyntax::Delphi ? 0xFFFF : 0x10FFFF;
        std::string text;
        for (std::size_t i = 0; i < pieces_.size(); ++i) {
            const Piece& piece = pieces_[i];
            if (!piece.isCode) {
                detail::AppendBytes(piece.bytes, utf8, text);
                continue;
            }
            const std::uint32_t code = piece.code;
            if (code > largest) {
                FailAt(line,
                       "#" + std::to_string(code) + " ist kein " +
                           (syntax_ == FormSyntax::Delphi ? "UTF-16-Zeichen" : "Unicode-Zeichen"));
            }
            if (detail::IsHighSurrogate(code) && i + 1 < pieces_.size() && pieces_[i + 1].isCode &&
                detail::IsLowSurrogate(pieces_[i + 1].code)) {
                AppendUtf8(text, detail::CombineSurrogates(code, pieces_[i + 1].code));
                ++i;
            } else if (detail::IsHighSurrogate(code) || detail::IsLowSurrogate(code)) {
                FailAt(line, "#" + std::to_string(code) +
                                 " ist eine halbe UTF-16-Ersatzfolge ohne ihre andere Hälfte");
            } else {
                AppendUtf8(text, code);
            }
        }
        return text;
    }

    std::string_view bytes_;
    FormSyntax syntax_;
    Form& form_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::vector<Piece> pieces_;
};

}  // namespace parlix::forms::detail
