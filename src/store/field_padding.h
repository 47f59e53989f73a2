// A stored field's text without its padding, judged in place many bytes at a time, for the
// readers that may read past a field's end into the record buffer's spare bytes
// (dbf::kReadSlack, as DbfTable::recordBytes shows them).
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
    const __m128i padding = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xDF))),
                                           _mm_setzero_si128());
    return ~static_cast<std::uint32_t>(_mm_movemask_epi8(padding)) & 0xFFFFu;
#else
    std::uint32_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= std::uint32_t {(p[i] & 0xDF) != 0} << i;
    return bits;
#endif
}

// One past the highest set bit.
[[gnu::always_inline]] inline std::size_t bitEnd(std::uint64_t bits)
{
    return static_cast<std::size_t>(64 - std::countl_zero(bits));
}

#if defined(__SSE2__)
// True when all 64 bytes are blanks or zero bytes: the four blocks' bytes are merged first, so
// one compare answers for all of them.
[[gnu::always_inline]] inline bool allPadding64(const std::uint8_t* q)
{
    const __m128i notBlank = _mm_set1_epi8(static_cast<char>(0xDF));
    const auto masked = [&](int i) {
        return _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * i)), notBlank);
    };
    const __m128i any = _mm_or_si128(_mm_or_si128(masked(0), masked(1)), _mm_or_si128(masked(2), masked(3)));
    return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

[[gnu::always_inline]] inline std::uint64_t textBits64(const std::uint8_t* q)
{
    return textBits16(q) | std::uint64_t {textBits16(q + 16)} << 16 | std::uint64_t {textBits16(q + 32)} << 32
           | std::uint64_t {textBits16(q + 48)} << 48;
}
#endif

// The length of the text of a field of `width` bytes at p, without its trailing blanks and zero
// bytes. Up to 64 bytes are judged at once without a branch on where the text ends, and the
// bytes beyond the field are masked off: reads up to fifteen bytes past the field.
[[gnu::always_inline]] inline std::size_t textLength(const std::uint8_t* p, std::size_t width)
{
#if defined(__SSE2__)
    std::size_t n = width;
    // Wide fields are mostly padding at their end: 64 bytes are first tested as a whole.
    for (; n > 64; n -= 64) {
        if (!allPadding64(p + n - 64))
            return n - 64 + bitEnd(textBits64(p + n - 64));
    }
    if (n <= 16)
        return bitEnd(textBits16(p) & (0xFFFFu >> (16 - n)));
    if (n <= 32)
        return bitEnd((textBits16(p) | textBits16(p + 16) << 16) & (0xFFFFFFFFu >> (32 - n)));
    if (n <= 48) {
        const std::uint64_t text = textBits16(p) | textBits16(p + 16) << 16 | std::uint64_t {textBits16(p + 32)} << 32;
        return bitEnd(text & (~std::uint64_t {0} >> (64 - n)));
    }
    return bitEnd(textBits64(p) & (~std::uint64_t {0} >> (64 - n)));
#else
    while (width > 0 && (p[width - 1] == ' ' || p[width - 1] == 0))
        --width;
    return width;
#endif
}

}  // namespace horavant::dbf
