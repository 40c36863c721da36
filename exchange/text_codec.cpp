#include "exchange/text_codec.h"

#include <cstdio>
#include <optional>

#include "table/cp1252.h"

namespace parlix::exchange::detail {

namespace {

constexpr char32_t kControlPictures = 0x2400;
constexpr int kListedCharacters = 8;

// The characters that Windows maps the code page's five undefined bytes to.
bool IsUndefined(char32_t c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

bool IsXmlControl(unsigned char b) {
    return b < 0x20 && b != '\t' && b != '\n' && b != '\r';
}

void ListUnheld(std::string& unheld, int& listed, char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    std::string entry;
    if (c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0)) {
        AppendUtf8(entry, c);
        entry += " (";
        entry += code;
        entry += ')';
    } else {
        entry = code;
    }
    if (unheld.find(entry) != std::string::npos) {
        return;
    }
    if (listed == kListedCharacters) {
        unheld += ", ...";
    } else if (listed < kListedCharacters) {
        unheld += (listed == 0 ? "" : ", ") + entry;
    }
    ++listed;
}

}  // namespace

void AppendXml(std::string& out, std::string_view bytes, bool attribute) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        const char* reference = nullptr;
        switch (b) {
            case '&':
                reference = "&amp;";
                break;
            case '<':
                reference = "&lt;";
                break;
            case '>':
                reference = "&gt;";
                break;
            case '"':
                reference = attribute ? "&quot;" : nullptr;
                break;
            case '\t':
                reference = attribute ? "&#9;" : nullptr;
                break;
            case '\n':
                reference = "&#10;";
                break;
            case '\r':
                reference = "&#13;";
                break;
            default:
                break;
        }
        if (reference == nullptr && b >= 0x20 && b < 0x80) {
            continue;
        }
        if (reference == nullptr && b < 0x80 && !IsXmlControl(b)) {
            continue;  // a tab or a quote in character data
        }
        out.append(bytes.data() + run, i - run);
        run = i + 1;
        if (reference != nullptr) {
            out += reference;
        } else if (b >= 0x80) {
            AppendUtf8(out, Cp1252ToUnicode(b));
        } else {
            AppendUtf8(out, kControlPictures + b);
        }
    }
    out.append(bytes.data() + run, bytes.size() - run);
}

bool TakenForFormula(std::string_view text) {
    const std::size_t first = text.find_first_not_of('\'');
    return first != std::string_view::npos &&
           std::string_view("=+-@\t\r").find(text[first]) != std::string_view::npos;
}

void RemoveFormulaMark(std::string& cell) {
    if (cell.starts_with('\'') && TakenForFormula(cell)) {
        cell.erase(0, 1);
    }
}

Conversion ToCp1252(std::string_view text, bool controlPictures, std::string& out,
                    std::string* unheld) {
    out.clear();
    out.reserve(text.size());
    Conversion held = Conversion::Held;
    int listed = 0;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        std::optional<char32_t> c = NextUtf8Character(text, i);
        if (!c) {
            return Conversion::Unheld;  // readers hand over valid UTF-8 only
        }
        std::optional<unsigned char> byte = UnicodeToCp1252(*c);
        if (!byte && controlPictures && *c >= kControlPictures && *c < kControlPictures + 0x20 &&
            IsXmlControl(static_cast<unsigned char>(*c - kControlPictures))) {
            byte = static_cast<unsigned char>(*c - kControlPictures);
        }
        if (byte && !IsUndefined(*c)) {
            out += static_cast<char>(*byte);
            continue;
        }
        if (byte) {
            out += static_cast<char>(*byte);
            held = held == Conversion::Unheld ? held : Conversion::Undefined;
        } else if (unheld == nullptr) {
            return Conversion::Unheld;
        } else {
            held = Conversion::Unheld;
        }
        if (unheld != nullptr) {
            ListUnheld(*unheld, listed, *c);
        }
    }
    return held;
}

}  // namespace parlix::exchange::detail
