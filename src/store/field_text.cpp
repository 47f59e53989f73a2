// The rare paths of reading a field's text: strings that grow, bytes 0x80..0x9F, and fields wider
// than 64 bytes.
#include "store/field_text.h"

#include "store/cp1252.h"

namespace horavant::dbf {

FieldSlot fieldSlot(bool logical, int width, int offset)
{
    FieldSlot slot;
    slot.offset = static_cast<std::uint32_t>(offset);
    slot.width = static_cast<std::uint16_t>(width);
    slot.widthBits = width >= 64 ? ~std::uint64_t {0} : (std::uint64_t {1} << width) - 1;
    if (width < 1)
        slot.kind = TextKind::Empty;
    else if (logical)
        slot.kind = TextKind::Logical;
    else if (width <= 16)
        slot.kind = TextKind::Upto16;
    else if (width <= 32)
        slot.kind = TextKind::Upto32;
    else if (width <= 48)
        slot.kind = TextKind::Upto48;
    else if (width <= 64)
        slot.kind = TextKind::Upto64;
    else
        slot.kind = TextKind::Long;
    return slot;
}

void putGrowingText(const std::uint8_t* p, std::size_t n, bool high, std::u16string& out)
{
    out.resize(n);
    detail::putText(p, n, high, out);
}

void fixHighControls(const std::uint8_t* p, std::size_t n, char16_t* d)
{
    for (std::size_t i = 0; i < n; ++i) {
        if ((p[i] & 0xE0) == 0x80)
            d[i] = cp1252::decodeByte(p[i]);
    }
}

void longFieldText(const std::uint8_t* p, std::size_t width, std::u16string& out)
{
    const std::size_t n = textLength(p, width);
    bool high = false;
#if defined(__SSE2__)
    // Whole pieces of the text, and the last sixteen bytes (the field is wider than that).
    __m128i any = detail::highBytes(detail::load16(p + (n >= 16 ? n - 16 : 0)));
    for (std::size_t i = 0; i + 16 <= n; i += 16)
        any = _mm_or_si128(any, detail::highBytes(detail::load16(p + i)));
    high = _mm_movemask_epi8(any) != 0;
#else
    for (std::size_t i = 0; i < n; ++i)
        high |= (p[i] & 0xE0) == 0x80;
#endif
    detail::putText(p, n, high, out);
}

void growLogicalText(bool yes, std::u16string& out)
{
    out.assign(logicalText(yes));
}

}  // namespace horavant::dbf
