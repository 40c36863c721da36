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
    AppendCp1252AsUtf8(out, bytes);
}

std::string Readable(std::string_view bytes) {
    std::string text;
    AppendBytes(bytes, IsUtf8(bytes), text);
    return text;
}

}  // namespace parlix::forms::detail
