#include "forms/form_codec.h"

#include "table/cp1252.h"

namespace parlix::forms::detail {

bool IsUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
        } else if (!NextUtf8Character(bytes, i)) {
            return false;
        }
    }
    return true;
}

void AppendBytes(std::string_view bytes, bool utf8, std::string& out) {
    if (utf8) {
        out += bytes;
        return;
    }
    for (const char byte : bytes) {
        AppendCodePoint(Cp1252ToUnicode(static_cast<unsigned char>(byte)), out);
    }
}

std::string Readable(std::string_view bytes) {
    std::string text;
    AppendBytes(bytes, IsUtf8(bytes), text);
    return text;
}

void AppendCodePoint(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace parlix::forms::detail
