// The characters of form strings, shared by the readers: raw bytes that are UTF-8 or, failing
// that, Windows-1252, and character codes (code points or UTF-16 code units) as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace parlix::forms::detail {

// Whether the bytes are valid UTF-8 (plain ASCII is).
bool IsUtf8(std::string_view bytes);

// Appends the bytes as UTF-8: as they are when they are valid UTF-8, else read as
// Windows-1252, the code page of the old Delphi forms.
void AppendBytes(std::string_view bytes, bool utf8, std::string& out);

// The bytes as UTF-8 text, by the same rule: for names read from a form, which are UTF-8 like
// its texts (identifiers of a Windows-1252 form in Windows-1252).
std::string Readable(std::string_view bytes);

inline bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
inline char32_t CombineSurrogates(std::uint32_t high, std::uint32_t low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace parlix::forms::detail
