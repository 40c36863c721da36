// Reading form files. Each reader takes the file's bytes and gives the whole form or throws
// FaultError with the file, the line (text forms) or byte offset (binary forms) and the reason;
// nothing is kept from a damaged form.
//
// Text forms (.lfm and .dfm) share one grammar: `object`, `inherited` or `inline` blocks with
// "Name: TClass [n]" headers, properties "Name.Sub = value" (names in any case), values that
// are strings ('...' with '' for a quote, #nnn character codes, pieces joined with +),
// numbers, identifiers and dotted references, sets [...], lists (...), collections
// <item ... end> and binary data {hex}. They differ in the characters: a .lfm is UTF-8 and its
// #nnn are code points; a .dfm's #nnnn are UTF-16 code units (a surrogate pair makes one
// character), and its quoted bytes are Windows-1252 when they are no UTF-8 (an old Delphi).
// A .lfm string that is no valid UTF-8 is read as Windows-1252 too, with a warning.
//
// Binary forms are what Delphi and Free Pascal store in the program: "TPF0" and the root
// component, optionally behind a 16-bit resource header (FF 0A 00, name, flags, size).
#pragma once

#include <string>
#include <string_view>

#include "forms/form.h"

namespace parlix::forms {

Form ReadLazarusForm(std::string_view bytes, const std::string& file);
Form ReadDelphiForm(std::string_view bytes, const std::string& file);
Form ReadBinaryForm(std::string_view bytes, const std::string& file);

// The kind of a form file: binary when its bytes start with "TPF0" or a resource header,
// otherwise text, Delphi's for a name ending in ".dfm" (any case) and Lazarus' for the rest.
FormSyntax SyntaxOf(std::string_view file, std::string_view bytes);

// Reads the bytes with the reader SyntaxOf chooses.
Form ReadForm(std::string_view bytes, const std::string& file);

// Reads a form file; a file that cannot be read is a FaultError too.
Form ReadFormFile(const std::string& path);

}  // namespace parlix::forms
