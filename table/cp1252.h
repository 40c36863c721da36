// Windows-1252, the single-byte character set of the table files and generated units.
//
// Every byte maps to one Unicode character: the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same number, as Windows does,
// so that any byte sequence converts to Unicode and back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parlix {

char32_t Cp1252ToUnicode(unsigned char byte);

// The byte of a Unicode character, or nothing when Windows-1252 cannot hold it.
std::optional<unsigned char> UnicodeToCp1252(char32_t character);

// Windows-1252 bytes as UTF-8 text.
std::string Cp1252ToUtf8(std::string_view bytes);

// The same, appended to `out`: runs of ASCII go over in one piece, so that writers of long
// UTF-8 files can use it on every text.
void AppendCp1252AsUtf8(std::string& out, std::string_view bytes);

// Appends the UTF-8 form of a Unicode character (U+0000 to U+10FFFF).
void AppendUtf8(std::string& out, char32_t character);

// UTF-8 text as Windows-1252 bytes; nothing when the text holds a character that Windows-1252
// cannot hold or is no valid UTF-8.
std::optional<std::string> Utf8ToCp1252(std::string_view text);

// The character whose UTF-8 form starts at text[i], with i moved past it; nothing, and i as it
// was, when no valid UTF-8 form starts there (a cut or overlong form, a surrogate, a value
// above U+10FFFF). For readers that report which characters a text holds.
std::optional<char32_t> NextUtf8Character(std::string_view text, std::size_t& i);

}  // namespace parlix
