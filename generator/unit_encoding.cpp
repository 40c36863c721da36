#include "generator/unit_encoding.h"

#include "table/cp1252.h"
#include "table/errors.h"
#include "table/file_io.h"

namespace parlix {

UnitEncoding ExistingUnitEncoding(const std::string& path) {
    // Only a regular file is read (FileReader refuses the rest): opening a FIFO would wait for
    // a writer.
    try {
        FileReader file(path);
        char start[kUtf8ByteOrderMark.size()] = {};
        std::size_t got = 0;
        while (got < sizeof start) {
            const std::size_t more = file.Read(start + got, sizeof start - got);
            if (more == 0) {
                break;
            }
            got += more;
        }
        const bool marked = std::string_view(start, got) == kUtf8ByteOrderMark;
        return marked ? UnitEncoding::Utf8 : UnitEncoding::Windows1252;
    } catch (const EFOpenError&) {
        return UnitEncoding::Windows1252;
    }
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
    // Runs of ASCII, most of a unit, are copied as they are.
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            continue;
        }
        encoded_.append(text.substr(run, i - run));
        run = i + 1;
        const char32_t code = Cp1252ToUnicode(byte);
        if (code < 0x800) {
            encoded_.push_back(static_cast<char>(0xC0 | (code >> 6)));
        } else {
            encoded_.push_back(static_cast<char>(0xE0 | (code >> 12)));
            encoded_.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        }
        encoded_.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    encoded_.append(text.substr(run));
    return encoded_;
}

}  // namespace parlix
