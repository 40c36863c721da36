#include "generator/unit_encoding.h"

#include <filesystem>
#include <fstream>

#include "table/cp1252.h"

namespace parlix {

UnitEncoding ExistingUnitEncoding(const std::string& path) {
    // Only a regular file is read: opening a FIFO would wait for a writer.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return UnitEncoding::Windows1252;
    }
    std::ifstream file(path, std::ios::binary);
    char start[kUtf8ByteOrderMark.size()] = {};
    file.read(start, sizeof start);
    const bool marked = file && std::string_view(start, sizeof start) == kUtf8ByteOrderMark;
    return marked ? UnitEncoding::Utf8 : UnitEncoding::Windows1252;
}

UnitEncoding ResolveUnitEncoding(UnitEncodingChoice choice, const std::string& path) {
    switch (choice) {
        case UnitEncodingChoice::Windows1252:
            return UnitEncoding::Windows1252;
        case UnitEncodingChoice::Utf8:
            return UnitEncoding::Utf8;
        case UnitEncodingChoice::AsBefore:
            break;
    }
    return ExistingUnitEncoding(path);
}

std::size_t EncodedCharacterSize(UnitEncoding encoding, char character) {
    if (encoding == UnitEncoding::Windows1252) {
        return 1;
    }
    const char32_t code = Cp1252ToUnicode(static_cast<unsigned char>(character));
    return code < 0x80 ? 1 : code < 0x800 ? 2 : 3;
}

std::string_view UnitEncoder::Encode(std::string_view text) {
    if (encoding_ == UnitEncoding::Windows1252) {
        return text;
    }
    encoded_.clear();
    if (!started_) {
        encoded_.append(kUtf8ByteOrderMark);
        started_ = true;
    }
    encoded_.append(Cp1252ToUtf8(text));
    return encoded_;
}

}  // namespace parlix
