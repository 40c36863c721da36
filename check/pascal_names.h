// What the generated unit needs of the names it is given: constant names and property paths
// that Delphi and Free Pascal (in Delphi mode) accept, and language names that work as
// conditional symbols.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace parlix::check {

// Free Pascal rejects longer identifiers after a dot (Delphi takes 255 characters).
inline constexpr std::size_t kMaxIdentifierLength = 127;

// What is wrong with a word that should be an identifier.
enum class NameFault {
    None,
    Empty,
    Malformed,  // not ASCII letters, digits and underscores, or it starts with a digit
    Reserved,   // a reserved word
    TooLong,    // more than kMaxIdentifierLength characters
};

// Whether `word` is one of the words that neither Delphi nor Free Pascal in Delphi mode
// accept as the name of a constant or of a component or property: Delphi's reserved words
// (inline included, which Free Pascal would take), the directives at and on, which Delphi
// documents as reserved, and bitpacked and otherwise, which Free Pascal reserves. Case does
// not matter. All other directives (name, index, message, read, default, ...) are fine.
bool IsReservedWord(std::string_view word);

// An identifier: an ASCII letter or underscore, then letters, digits and underscores, at
// most kMaxIdentifierLength of them, and no reserved word.
NameFault CheckIdentifier(std::string_view word);

// A conditional symbol for {$IFDEF} and {$DEFINE}: an identifier, where reserved words are
// fine too.
NameFault CheckConditionalSymbol(std::string_view word);

// A unit name as a unit declares itself and a uses list names a unit: identifiers joined by
// dots, nothing between them ("uTexte", "System.SysUtils", "uTexte.de"). A name that is not
// made of identifiers and dots is Malformed, whatever else is wrong with it; else `word` is
// the first reserved (Reserved) or over-long (TooLong) identifier in it.
struct UnitName {
    NameFault fault = NameFault::None;
    std::string_view word;
};
UnitName CheckUnitName(std::string_view name);

// A property piece as the unit assigns to it: identifiers joined by dots, each optionally
// followed by an index in brackets, a decimal integer that fits into 32 bits
// ("StatusBar1.Panels[0].Text"). Blanks (space, tab) may stand between the parts, as Pascal
// allows between tokens, but not inside an identifier or a number.
// With `key`, a valid path appends its comparison key there: lower case, without blanks and
// without leading zeros of indexes, so that two spellings of one property give one key; it
// starts with the first identifier in lower case.
struct PropertyPath {
    NameFault fault = NameFault::None;  // Malformed also for a fault of punctuation or index
    std::string_view word;              // the offending identifier (Reserved, TooLong); else empty
    std::string_view first;  // the first identifier (the form or variable); valid paths only
};
PropertyPath ParsePropertyPath(std::string_view piece, std::string* key = nullptr);

// A path without the blanks Pascal allows between its parts, in its own case: how the forms
// name it.
std::string PathWithoutBlanks(std::string_view piece);

// ASCII lower case, as Pascal compares identifiers.
void AppendLowerAscii(std::string& key, std::string_view word);

}  // namespace parlix::check
