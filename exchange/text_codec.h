// Text between the table's Windows-1252 bytes and the UTF-8 of the exchange files, beyond
// what table/cp1252.h does for every file: XML character data and the refusal of characters
// the table cannot hold.
#pragma once

#include <string>
#include <string_view>

namespace parlix::exchange::detail {

// Appends the bytes as UTF-8 XML character data: "&", "<" and ">" as references, and in an
// attribute value also the quote and the tab. The control bytes that XML 1.0 cannot hold (all
// below 0x20 but tab, line feed and carriage return) become their control pictures U+2400 to
// U+241F, which ToCp1252 with `controlPictures` turns back.
void AppendXml(std::string& out, std::string_view bytes, bool attribute);

// CSV cells that a spreadsheet would take for a formula: a text that starts with "=", "+",
// "-", "@", a tab or a carriage return, after any apostrophes. The export writes such a text
// with one apostrophe more in front, which spreadsheets show as text, and the import removes
// exactly that one, so that every text comes back as it was.
bool TakenForFormula(std::string_view text);
void RemoveFormulaMark(std::string& cell);

// How much of a text Windows-1252 holds.
enum class Conversion {
    Held,  // every character
    // Every character has a byte, but some are the C1 controls U+0081, U+008D, U+008F, U+0090
    // or U+009D, which stand for the five bytes the code page leaves undefined: no text may
    // bring them into the table, but a key or a text it holds already may contain them.
    Undefined,
    Unheld,  // a character has no byte, or the text is no valid UTF-8
};

// UTF-8 text as Windows-1252 bytes into `out` (complete unless Unheld). `unheld`, when given,
// lists the characters that make the text Undefined or Unheld as "→ (U+2192)", each once, the
// first few. With `controlPictures` the pictures that AppendXml writes are read as the
// control bytes they stand for.
Conversion ToCp1252(std::string_view text, bool controlPictures, std::string& out,
                    std::string* unheld = nullptr);

}  // namespace parlix::exchange::detail
