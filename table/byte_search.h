// Finding the first of two bytes in a text, 16 bytes at a time where the processor allows.
// Table files are mostly long runs of plain text between a few special bytes (quotes,
// backslashes, line breaks), so this is where reading and storing them spends its time.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace parlix::detail {

// The first byte in [from, end) that equals `a` or `b`, or `end`. Neither may be zero.
inline const char* FindEitherByte(const char* from, const char* end, char a, char b) {
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    auto hits = [&](__m128i chunk) {
        return _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, first), _mm_cmpeq_epi8(chunk, second)));
    };
    const char* const start = from;
    for (; end - from >= 16; from += 16) {
        if (const int found = hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)))) {
            return from + __builtin_ctz(static_cast<unsigned>(found));
        }
    }
    if (from == end) {
        return end;
    }
    if (from != start) {
        // The rest of a long text: the last 16 bytes once more, ignoring those already seen.
        const char* const last = end - 16;
        const unsigned found =
            static_cast<unsigned>(hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(last)))) >>
            (from - last);
        return found != 0 ? from + __builtin_ctz(found) : end;
    }
    // A text shorter than 16 bytes, byte by byte.
    for (; from < end; ++from) {
        if (*from == a || *from == b) {
            return from;
        }
    }
    return end;
#else
    for (; from < end; ++from) {
        if (*from == a || *from == b) {
            return from;
        }
    }
    return end;
#endif
}

}  // namespace parlix::detail
