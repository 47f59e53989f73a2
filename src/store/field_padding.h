// A stored field's text without its padding, judged in place sixteen bytes at a time, for the
// scans that read records as DbfTable::recordBytes shows them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavant::dbf {

// One bit per byte of the sixteen at p: set where the byte is text, clear for the padding (a
// blank or a zero byte).
[[gnu::always_inline]] inline std::uint32_t textBits16(const std::uint8_t* p)
{
#if defined(__SSE2__)
    // A blank (0x20) and a zero byte are the two bytes with nothing outside bit 5.
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i padding = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xDF))), _mm_setzero_si128());
    return ~static_cast<std::uint32_t>(_mm_movemask_epi8(padding)) & 0xFFFFu;
#else
    std::uint32_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= std::uint32_t {(p[i] & 0xDF) != 0} << i;
    return bits;
#endif
}

// The length of the text of a field of `width` bytes at p, without its trailing blanks and zero
// bytes. Reads up to fifteen bytes past the field, which the record's spare bytes allow.
[[gnu::always_inline]] inline std::size_t textLength(const std::uint8_t* p, std::size_t width)
{
    if (width == 0)
        return 0;
    std::size_t at = (width - 1) / 16 * 16;
    std::uint32_t bits = textBits16(p + at) & (0xFFFFu >> (16 - (width - at)));
    while (bits == 0 && at != 0) {
        at -= 16;
        bits = textBits16(p + at);
    }
    return bits == 0 ? 0 : at + static_cast<std::size_t>(32 - std::countl_zero(bits));
}

}  // namespace horavant::dbf
