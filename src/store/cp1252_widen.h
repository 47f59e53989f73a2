// The common path of decoding Windows-1252 bytes, inline so that the table's field getters
// decode without a call: bytes outside 0x80..0x9F are their own code points.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavant::cp1252 {

#if defined(__SSE2__)
// Widens each byte to its own code point and tells whether any lay in 0x80..0x9F (those need the
// table). Field texts are short, so instead of a loop with a scalar tail, two overlapping loads of
// 4, 8 or 16 bytes cover every length; nothing is read or written outside the two buffers.
[[gnu::always_inline]] inline bool widen(const std::uint8_t* s, std::size_t n, char16_t* d)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i topBits = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i highControl = _mm_set1_epi8(static_cast<char>(0x80));
    __m128i seen = zero;
    const auto note = [&](__m128i v) {
        seen = _mm_or_si128(seen, _mm_cmpeq_epi8(_mm_and_si128(v, topBits), highControl));
    };
    const auto wide16 = [&](std::size_t i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        note(v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(v, zero));
    };
    const auto wide8 = [&](std::size_t i) {
        const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + i));
        note(v);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
    };
    const auto wide4 = [&](std::size_t i) {
        std::int32_t w;
        std::memcpy(&w, s + i, sizeof w);
        const __m128i v = _mm_cvtsi32_si128(w);
        note(v);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
    };
    if (n >= 16) {
        for (std::size_t i = 0; i + 16 < n; i += 16)
            wide16(i);
        wide16(n - 16);
    } else if (n >= 8) {
        wide8(0);
        wide8(n - 8);
    } else if (n >= 4) {
        wide4(0);
        wide4(n - 4);
    } else {
        bool high = false;
        for (std::size_t i = 0; i < n; ++i) {
            d[i] = s[i];
            high |= (s[i] & 0xE0) == 0x80;
        }
        return high;
    }
    return _mm_movemask_epi8(seen) != 0;
}
#else
[[gnu::always_inline]] inline bool widen(const std::uint8_t* s, std::size_t n, char16_t* d)
{
    bool high = false;
    for (std::size_t i = 0; i < n; ++i) {
        d[i] = s[i];
        high |= (s[i] & 0xE0) == 0x80;
    }
    return high;
}
#endif

// The rare cases, out of line so that the common one saves no registers and calls nothing.
void decodeWithTable(const std::uint8_t* bytes, std::size_t size, char16_t* d);
void decodeGrowing(const std::uint8_t* bytes, std::size_t size, std::u16string& out);

// What decodeInto does.
[[gnu::always_inline]] inline void decodeIntoInline(const std::uint8_t* bytes, std::size_t size, std::u16string& out)
{
    // Growing may allocate; shrinking only moves the end.
    if (size > out.size())
        return decodeGrowing(bytes, size, out);
    out.resize(size);
    if (widen(bytes, size, out.data()))
        decodeWithTable(bytes, size, out.data());
}

}  // namespace horavant::cp1252
