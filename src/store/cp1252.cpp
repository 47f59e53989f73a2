// Windows-1252 tables.
#include "store/cp1252.h"

#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavant::cp1252 {
namespace {

// Bytes 0x80..0x9F. The undefined ones keep their own number (lossless round trip).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> makeDecodeTable()
{
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[b] = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
    return t;
}

constexpr std::array<char16_t, 256> kDecode = makeDecodeTable();

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
    const auto note = [&](__m128i v) { seen = _mm_or_si128(seen, _mm_cmpeq_epi8(_mm_and_si128(v, topBits), highControl)); };
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

}  // namespace

char16_t decodeByte(std::uint8_t byte)
{
    return kDecode[byte];
}

namespace {

// The rare cases, out of line so that the common one saves no registers and calls nothing.
[[gnu::noinline]] void decodeWithTable(const std::uint8_t* bytes, std::size_t size, char16_t* d)
{
    for (std::size_t i = 0; i < size; ++i)
        d[i] = kDecode[bytes[i]];
}

[[gnu::noinline]] void decodeGrowing(const std::uint8_t* bytes, std::size_t size, std::u16string& out)
{
    out.resize(size);
    if (widen(bytes, size, out.data()))
        decodeWithTable(bytes, size, out.data());
}

}  // namespace

void decodeInto(const std::uint8_t* bytes, std::size_t size, std::u16string& out)
{
    // Growing may allocate; shrinking only moves the end.
    if (size > out.size())
        return decodeGrowing(bytes, size, out);
    out.resize(size);
    // Outside 0x80..0x9F a byte is its own code point; the table runs only for the rare text that
    // needs it.
    if (widen(bytes, size, out.data()))
        decodeWithTable(bytes, size, out.data());
}

std::u16string decode(std::string_view bytes)
{
    std::u16string out;
    decodeInto(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out);
    return out;
}

std::uint8_t encodeUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<std::uint8_t>(unit);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit)
            return static_cast<std::uint8_t>(0x80 + i);
    }
    return '?';
}

std::string encode(std::u16string_view text)
{
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<char>(encodeUnit(text[i]));
    return out;
}

char16_t toUpper(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)  // à..þ without ÷
        return c - 0x20;
    switch (c) {
    case 0x00FF: return 0x0178;  // ÿ -> Ÿ
    case 0x0161: return 0x0160;  // š -> Š
    case 0x0153: return 0x0152;  // œ -> Œ
    case 0x017E: return 0x017D;  // ž -> Ž
    default: return c;           // ß, µ and everything else stay
    }
}

std::u16string toUpper(std::u16string_view text)
{
    std::u16string out(text);
    for (auto& c : out)
        c = toUpper(c);
    return out;
}

}  // namespace horavant::cp1252
