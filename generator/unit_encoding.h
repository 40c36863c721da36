// The character set of a generated unit.
//
// Texts are Windows-1252 in the translation table, and a unit in Windows-1252 is what Delphi up
// to 2007 reads. Lazarus (whose strings are UTF-8) and a Delphi since 2009 on a machine whose
// code page is not 1252 need the unit in UTF-8 with a byte-order mark, which both compilers
// take as such. The generator produces Windows-1252 text; UnitEncoder turns it into the unit's
// bytes. Every text and name keeps its meaning, and every other byte stays as it is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace parlix {

enum class UnitEncoding { Windows1252, Utf8 };

// What a build asks for: the encoding of the unit it replaces (a user converts the unit once
// and it stays so), or one of the two.
enum class UnitEncodingChoice { AsBefore, Windows1252, Utf8 };

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The encoding of the unit at `path`: UTF-8 when the file starts with a UTF-8 byte-order mark,
// Windows-1252 otherwise (also when there is no regular file or it cannot be read).
UnitEncoding ExistingUnitEncoding(const std::string& path);

// The encoding of a unit that replaces the file at `path`.
UnitEncoding ResolveUnitEncoding(UnitEncodingChoice choice, const std::string& path);

// How many bytes a Windows-1252 character takes in the encoding.
std::size_t EncodedCharacterSize(UnitEncoding encoding, char character);

// Turns the generated Windows-1252 text into the unit's bytes, piece by piece: unchanged, or
// in UTF-8 with the byte-order mark before the first piece.
class UnitEncoder {
  public:
    explicit UnitEncoder(UnitEncoding encoding) : encoding_(encoding) {}

    UnitEncoding Encoding() const { return encoding_; }

    // The bytes of the next piece of the unit; for Windows-1252 the piece itself, otherwise
    // a view of a buffer that the next call reuses.
    std::string_view Encode(std::string_view text);

  private:
    UnitEncoding encoding_;
    bool started_ = false;
    std::string encoded_;
};

}  // namespace parlix
