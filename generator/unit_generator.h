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
// character codes ('Zeile 1'#9'Zeile 2').
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "project/project_files.h"
#include "table/ptf_table.h"

namespace parlix {

// Texts longer than this are written as several literals joined with '+', one per line, so
// that every Delphi compiler accepts them.
inline constexpr std::size_t kMaxLiteralLength = 255;

// Appends `text` to `unit` as a Delphi string literal: enclosed in apostrophes, with every
// apostrophe inside doubled, and each character below 32 outside them as its code
// ('abc'#26'def'). A text longer than kMaxLiteralLength becomes literals of at most that many
// characters joined with '+', each after the first on a line of its own.
void AppendPascalLiteral(std::string& unit, std::string_view text);

// Generates the unit for the project's settings (SourceFileName for the unit name, UsesList,
// BuildLanguage and LanguageNames) from the translation table, and returns its text, every
// line followed by CR LF.
//
// The table is opened if it is closed and walked with First and Next, in its current order
// (once to see whether any record has a constant name, then four times): a pending edit is
// stored first. The language fields are taken by position
// (columns 3 and 4); their names are the unit's conditional symbols. Views bound to the table
// hear nothing during the walks, and the cursor ends past the last record. Throws PtfError
// when the table lacks the language columns or BuildLanguage is not 0, 1 or 2.
std::string GenerateUnit(const ProjectState& state, PtfTable& translations);

// Receives a generated unit in consecutive pieces.
using UnitSink = std::function<void(std::string_view text)>;

// GenerateUnit for units of any size: hands the text to `sink` in pieces of about a megabyte
// (each ending after a line) instead of holding it whole.
void GenerateUnit(const ProjectState& state, PtfTable& translations, const UnitSink& sink);

}  // namespace parlix
