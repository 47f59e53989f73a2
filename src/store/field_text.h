// A field's text from its stored bytes, inline for the scans: the padding cut off and the
// Windows-1252 bytes widened to UTF-16 in one pass over pieces of sixteen bytes.
#pragma once

#include "store/field_padding.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace horavant::dbf {

// How a field's text is read; fixed for each field when the table opens. A character field up
// to 64 bytes wide is judged in one go from as many pieces of 16 bytes as it spans.
enum class TextKind : std::uint8_t { Empty, Logical, Upto16, Upto32, Upto48, Upto64, Long };

struct FieldSlot {
    std::uint64_t widthBits = 0;  // one bit per byte of the field, for fields up to 64 bytes
    std::uint32_t offset = 0;  // from the start of the record
    std::uint16_t width = 0;
    TextKind kind = TextKind::Empty;
};

FieldSlot fieldSlot(bool logical, int width, int offset);

// The texts of a logical field's two values; an empty text is the blank value.
constexpr std::u16string_view kTrueText = u"True";
constexpr std::u16string_view kFalseText = u"False";
constexpr std::u16string_view logicalText(bool value)
{
    return value ? kTrueText : kFalseText;
}

// The rare paths, out of line and reached only as the last step of the common one, so that the
// common path saves no registers.
void putGrowingText(const std::uint8_t* p, std::size_t n, bool high, std::u16string& out);
void fixHighControls(const std::uint8_t* p, std::size_t n, char16_t* d);
void longFieldText(const std::uint8_t* p, std::size_t width, std::u16string& out);
void growLogicalText(bool yes, std::u16string& out);

namespace detail {

#if defined(__SSE2__)
[[gnu::always_inline]] inline __m128i load16(const std::uint8_t* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// One bit per byte: set for the padding, a blank (0x20) or a zero byte, the two bytes with nothing
// outside bit 5.
[[gnu::always_inline]] inline std::uint32_t paddingBits(__m128i v)
{
    const __m128i masked = _mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xDF)));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(masked, _mm_setzero_si128())));
}

// 0xFF where a byte lies in 0x80..0x9F: read as signed, those are the bytes below -96.
[[gnu::always_inline]] inline __m128i highBytes(__m128i v)
{
    return _mm_cmplt_epi8(v, _mm_set1_epi8(-96));
}

// Zero-extends the n bytes at p into d. Two overlapping pieces of 4, 8 or 16 bytes cover every
// length without a loop for the short texts; nothing is written outside d's n units.
[[gnu::always_inline]] inline void widen(const std::uint8_t* p, std::size_t n, char16_t* d)
{
    const __m128i zero = _mm_setzero_si128();
    if (n >= 16) {
        const auto piece = [&](std::size_t i) {
            const __m128i v = load16(p + i);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(v, zero));
        };
        for (std::size_t i = 0; i + 16 < n; i += 16)
            piece(i);
        piece(n - 16);
    } else if (n >= 8) {
        const auto piece = [&](std::size_t i) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(v, zero));
        };
        piece(0);
        piece(n - 8);
    } else if (n >= 4) {
        const auto piece = [&](std::size_t i) {
            std::int32_t w;
            std::memcpy(&w, p + i, sizeof w);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(_mm_cvtsi32_si128(w), zero));
        };
        piece(0);
        piece(n - 4);
    } else {
        for (std::size_t i = 0; i < n; ++i)
            d[i] = p[i];
    }
}
#endif

// Puts the text of the n bytes at p into out. `high` says that some byte may lie in 0x80..0x9F
// (it may also be set by bytes beyond the text: the fix-up looks at each byte).
[[gnu::always_inline]] inline void putText(const std::uint8_t* p, std::size_t n, bool high, std::u16string& out)
{
    if (n > out.size())
        return putGrowingText(p, n, high, out);
    out.resize(n);
    char16_t* d = out.data();
#if defined(__SSE2__)
    widen(p, n, d);
#else
    for (std::size_t i = 0; i < n; ++i)
        d[i] = p[i];
#endif
    if (high)
        return fixHighControls(p, n, d);
}

}  // namespace detail

// The text of the field described by `slot` in the record at `record`, into out (replacing what
// it held): a character field without its trailing blanks and zero bytes, a logical field as
// "True", "False" or empty. Reads 64 bytes from the field's start whatever its width, and no
// further than the field's end beyond them: the record buffers end in dbf::kReadSlack spare bytes.
[[gnu::always_inline]] inline void fieldText(const std::uint8_t* record, const FieldSlot& slot, std::u16string& out)
{
    using namespace detail;
    const std::uint8_t* p = record + slot.offset;
#if defined(__SSE2__)
    // The pieces are loaded once: they give both the text's end and whether it needs the fix-up.
    switch (slot.kind) {
    case TextKind::Upto16: {
        const __m128i a = load16(p);
        const std::uint32_t text = ~paddingBits(a) & static_cast<std::uint32_t>(slot.widthBits);
        return putText(p, static_cast<std::size_t>(std::bit_width(text)), _mm_movemask_epi8(highBytes(a)) != 0, out);
    }
    case TextKind::Upto32: {
        const __m128i a = load16(p), b = load16(p + 16);
        const std::uint32_t text = ~(paddingBits(a) | paddingBits(b) << 16)
                                   & static_cast<std::uint32_t>(slot.widthBits);
        const int high = _mm_movemask_epi8(_mm_or_si128(highBytes(a), highBytes(b)));
        return putText(p, static_cast<std::size_t>(std::bit_width(text)), high != 0, out);
    }
    case TextKind::Upto48: {
        const __m128i a = load16(p), b = load16(p + 16), c = load16(p + 32);
        const std::uint64_t padding = paddingBits(a) | paddingBits(b) << 16 | std::uint64_t {paddingBits(c)} << 32;
        const int high = _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(highBytes(a), highBytes(b)), highBytes(c)));
        return putText(p, static_cast<std::size_t>(std::bit_width(~padding & slot.widthBits)), high != 0, out);
    }
    case TextKind::Upto64: {
        const __m128i a = load16(p), b = load16(p + 16), c = load16(p + 32), e = load16(p + 48);
        const std::uint64_t padding = paddingBits(a) | paddingBits(b) << 16 | std::uint64_t {paddingBits(c)} << 32
                                      | std::uint64_t {paddingBits(e)} << 48;
        const __m128i high = _mm_or_si128(_mm_or_si128(highBytes(a), highBytes(b)),
                                          _mm_or_si128(highBytes(c), highBytes(e)));
        return putText(p, static_cast<std::size_t>(std::bit_width(~padding & slot.widthBits)),
                       _mm_movemask_epi8(high) != 0, out);
    }
    case TextKind::Logical: break;
    case TextKind::Long: return longFieldText(p, slot.width, out);
    case TextKind::Empty: return out.clear();
    default: __builtin_unreachable();
    }
#else
    if (slot.kind == TextKind::Empty)
        return out.clear();
    if (slot.kind != TextKind::Logical)
        return longFieldText(p, slot.width, out);
#endif
    // "True" or "False" in two fixed-size copies: the first four units of one text or the other,
    // and then "False"'s fifth.
    const std::uint8_t b = p[0];
    if (b == ' ')
        return out.clear();
    const bool yes = (b | 0x20) == 't';
    const std::size_t n = yes ? kTrueText.size() : kFalseText.size();
    if (n > out.size())
        return growLogicalText(yes, out);
    out.resize(n);
    std::memcpy(out.data(), yes ? kTrueText.data() : kFalseText.data(), kTrueText.size() * sizeof(char16_t));
    if (!yes)
        out[4] = kFalseText[4];
}

}  // namespace horavant::dbf
