// Small text helpers shared by the whole system: trimming, case-insensitive names, numbers.
#pragma once

#include <cstdint>
#include <cstring>
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

// A 64-bit hash of a text for tables of many texts held in memory: quick on short texts, and its
// low bits, which pick a slot, depend on every byte. It reads the bytes as the processor's
// words, so it is not for files, which another system may read.
inline std::uint64_t HashText(std::string_view key) {
    // Eight bytes at a time in two lanes, each step multiplied and folded, the last bytes read
    // as a word overlapping the ones before; then MurmurHash3's finalizer.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    const std::size_t size = key.size();
    const char* const bytes = key.data();
    auto word = [bytes](std::size_t at) {
        std::uint64_t value;
        std::memcpy(&value, bytes + at, 8);
        return value;
    };
    auto mix = [](std::uint64_t hash, std::uint64_t value) {
        hash = (hash ^ value) * kMultiplier;
        return hash ^ (hash >> 32);
    };
    std::uint64_t hash = 0x2545F4914F6CDD1Du ^ size;
    if (size > 16) {
        std::uint64_t other = 0x6A09E667F3BCC909u;
        for (std::size_t i = 0; i + 16 < size; i += 16) {
            hash = mix(hash, word(i));
            other = mix(other, word(i + 8));
        }
        hash = mix(hash, word(size - 16)) ^ mix(other, word(size - 8)) * kMultiplier;
    } else if (size > 8) {
        hash = mix(mix(hash, word(0)), word(size - 8));
    } else if (size >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, bytes, 4);
        std::memcpy(&last, bytes + size - 4, 4);
        hash = mix(hash, std::uint64_t{first} << 32 | last);
    } else if (size > 0) {
        auto byte = [bytes](std::size_t at) {
            return std::uint64_t{static_cast<unsigned char>(bytes[at])};
        };
        hash = mix(hash, byte(0) << 16 | byte(size / 2) << 8 | byte(size - 1));
    }
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53u;
    return hash ^ (hash >> 33);
}

}  // namespace parlix
