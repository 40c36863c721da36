// The translated unit: the Delphi source that Build generates from the translation table.
//
// The unit declares, for each of the two languages, a conditional block of string constants
// and holds one procedure, ParlixTranslate, that assigns the texts to component properties:
//
//   unit uTexte;
//
//   interface
//
//   uses
//     uAddress, uAbout;
//
//   procedure ParlixTranslate();
//   {$DEFINE English}                       <- only when a language is chosen
//
//   const                                   <- only when the table has a constant name
//   {$IFDEF Deutsch}
//     sTitle<TAB>= 'Adressbuch';
//   {$ENDIF}
//   ...
//   begin
//
//   {$IFDEF Deutsch}
//     frmAddress.Caption<TAB>:= sTitle;
//     frmAddress.btClose.Caption<TAB>:= 'Fertig';
//   {$ENDIF}
//   ...
//
// Every line ends with CR LF, the last one too. Texts are Windows-1252 bytes and are written
// byte for byte, but for characters below 32, which stand outside the apostrophes as
// character codes ('Zeile 1'#9'Zeile 2'). A unit in UTF-8 (generator/unit_encoding.h) holds
// the same characters in that encoding, after a byte-order mark.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "generator/unit_encoding.h"
#include "project/project_files.h"
#include "table/ptf_table.h"

namespace parlix {

// Texts longer than this (in bytes of the unit's encoding) are written as several literals
// joined with '+', one per line, so that every Delphi compiler accepts them.
inline constexpr std::size_t kMaxLiteralLength = 255;

// Appends `text` to `unit` as a Delphi string literal: enclosed in apostrophes, with every
// apostrophe inside doubled, and each character below 32 outside them as its code
// ('abc'#26'def'). A text longer than kMaxLiteralLength bytes in the unit's encoding becomes
// literals of at most that many bytes joined with '+', each after the first on a line of its
// own; a character is never cut.
void AppendPascalLiteral(std::string& unit, std::string_view text,
                         UnitEncoding encoding = UnitEncoding::Windows1252);

// Generates the unit for the project's settings (SourceFileName for the unit name, UsesList,
// BuildLanguage and LanguageNames) from the translation table, and returns its bytes in the
// encoding, every line followed by CR LF.
//
// The table is opened if it is closed and walked with First and Next, in its current order
// (once to see whether any record has a constant name, then four times): a pending edit is
// stored first. The language fields are taken by position
// (columns 3 and 4); their names are the unit's conditional symbols. Views bound to the table
// hear nothing during the walks, and the cursor ends past the last record. Throws PtfError
// when the table lacks the language columns or BuildLanguage is not 0, 1 or 2.
std::string GenerateUnit(const ProjectState& state, PtfTable& translations,
                         UnitEncoding encoding = UnitEncoding::Windows1252);

// Receives a generated unit in consecutive pieces.
using UnitSink = std::function<void(std::string_view text)>;

// GenerateUnit for units of any size: hands the bytes to `sink` in pieces of about a megabyte
// (each ending after a line) instead of holding them whole. Returns the number of lines.
std::size_t GenerateUnit(const ProjectState& state, PtfTable& translations, const UnitSink& sink,
                         UnitEncoding encoding = UnitEncoding::Windows1252);

}  // namespace parlix
