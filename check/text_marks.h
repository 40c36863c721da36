// What a translation must keep of the text it translates: the Format placeholders, the
// accelerator marks, the blanks at its edges.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace parlix::check {

// One argument a Format placeholder takes: which one (counted from 0) and of what kind:
// 'i' integer (d u x, and a '*' width or precision), 'f' floating point (e f g n m),
// 's' string, 'p' pointer.
struct FormatArgument {
    int index;
    char kind;
    friend bool operator==(const FormatArgument&, const FormatArgument&) = default;
    friend auto operator<=>(const FormatArgument&, const FormatArgument&) = default;
};

// The placeholders of a Delphi Format string: "%" [index ":"] ["-"] [width] ["." precision]
// type, where index, width and precision are digits or "*" and type is one of d u e f g n m
// p s x in either case. An explicit index sets the argument of its placeholder and of those
// after it, which continue from there. "%%" is a literal percent sign; a percent sign that
// starts no placeholder is taken as text, since such a text is most likely never formatted.
struct FormatPlaceholders {
    std::vector<std::string_view> written;  // each placeholder as it stands in the text
    std::vector<FormatArgument> arguments;  // sorted, without repetitions
};
FormatPlaceholders ParseFormatPlaceholders(std::string_view text);

// The accelerator marks of a caption: every '&' before a character other than '&' ("&&" is
// a literal ampersand, a '&' at the end marks nothing). `letter` is the marked character of
// the first mark in lower case (Windows-1252), or '\0' when there is none.
struct Accelerators {
    int count = 0;
    char letter = '\0';
};
Accelerators FindAccelerators(std::string_view text);

// Lower case of a Windows-1252 character.
char FoldCase(char c);

// Whether the text holds a letter (ASCII or a Windows-1252 letter) outside its placeholders.
bool HasLetter(std::string_view text);

// The characters that trimming drops (codes up to 32) at the start and at the end.
std::string_view LeadingBlanks(std::string_view text);
std::string_view TrailingBlanks(std::string_view text);

}  // namespace parlix::check
