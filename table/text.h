// Small text helpers shared by the whole system: trimming, case-insensitive names, numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace parlix {

// Trimming removes every leading and trailing character whose code is 32 or less; inner
// characters stay.
std::string_view TrimView(std::string_view text);
inline std::string Trim(std::string_view text) {
    return std::string(TrimView(text));
}

// Lower case of a Windows-1252 letter (ASCII and the accented Latin letters); other bytes
// unchanged.
unsigned char FoldCase(unsigned char c);

// Whether two Windows-1252 texts are equal without regard to case (ASCII and the accented
// Latin letters, so "ÄNDERUNG" equals "änderung"). Field names compare this way.
bool SameText(std::string_view a, std::string_view b);

// A decimal integer: optional sign and at least one digit, nothing else. Empty on anything
// else, including a value outside 64 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// A floating-point number written with a decimal comma or a decimal point, with an optional
// exponent: what a German number setting accepts, after a point was turned into a comma.
// Blanks around the number are allowed. Empty when the text is no such number.
std::optional<double> ParseDecimal(std::string_view text);

// The general number format: up to 15 significant digits, no trailing zeros, scientific
// notation ("1.5E-6", "1E20") for very large or small magnitudes. `separator` is the decimal
// separator to write. Not-a-number and infinities have no form; callers refuse them.
std::string FormatGeneral(double value, char separator);

// Appends the pieces of `text` between occurrences of `separator` to `pieces`, untrimmed and
// including empty ones, except that a separator at the very end gives no empty last piece.
// Returns the number of pieces appended. The list is not cleared first.
std::int32_t SplitAtChar(std::string_view text, std::vector<std::string>& pieces, char separator);
// The same pieces as views into `text`, for callers that split many texts and keep no piece.
std::int32_t SplitAtChar(std::string_view text, std::vector<std::string_view>& pieces,
                         char separator);

}  // namespace parlix
