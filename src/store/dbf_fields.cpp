// The table layer's field values: decoding the stored bytes of a field into text, and encoding a
// text into the edit buffer.
#include "store/dbf_table.h"

#include "store/cp1252.h"
#include "store/dbf_table_internal.h"
#include "store/error.h"
#include "store/field_padding.h"
#include "store/field_text.h"
#include "store/text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace horavant {
namespace {

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x -= 0x20;
        if (y >= u'a' && y <= u'z')
            y -= 0x20;
        if (x != y)
            return false;
    }
    return true;
}

using dbf::bitEnd;
using dbf::textBits16;
// The length of a field's text where `bytes` is all that may be read around it and the record's
// spare bytes do not follow: the padding is found sixteen bytes at a time from the end, and the
// last sixteen or fewer bytes are one load that stays inside `bytes`.
[[gnu::always_inline]] inline std::size_t withoutPadding(std::span<const std::uint8_t> bytes, std::size_t offset,
                                                         std::size_t n)
{
    const std::uint8_t* p = bytes.data() + offset;
#if defined(__SSE2__)
    for (; n > 16; n -= 16) {
        if (const std::uint32_t text = textBits16(p + n - 16))
            return n - 16 + bitEnd(text);
    }
    if (offset + 16 <= bytes.size())
        return bitEnd(textBits16(p) & ((1u << n) - 1));
    if (offset + n >= 16)
        return bitEnd(textBits16(p + n - 16) >> (16 - n));
#endif
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return n;
}

}  // namespace

void DbfTable::decodeField(const FieldInfo& field, std::span<const std::uint8_t> record, std::u16string& out)
{
    const auto offset = static_cast<std::size_t>(field.offset);
    const dbf::FieldSlot slot = dbf::fieldSlot(field.type == FieldType::Logical, field.width, field.offset);
    // Where `record` reaches dbf::kReadSlack bytes past the field (as the record buffers do, with
    // their spare bytes), the field is read as the scans read it; otherwise without reading past it.
    if (slot.kind == dbf::TextKind::Logical || slot.kind == dbf::TextKind::Empty
        || offset + slot.width + dbf::kReadSlack <= record.size())
        return dbf::fieldText(record.data(), slot, out);
    cp1252::decodeInto(record.data() + offset, withoutPadding(record, offset, static_cast<std::size_t>(field.width)),
                       out);
}

std::string_view DbfTable::fieldBytes(int index) const
{
    if (static_cast<std::uint32_t>(index) >= m_readableFields)
        throwNoField(index);
    const FieldInfo& f = m_fields[static_cast<std::size_t>(index)];
    const std::uint8_t* p = m_view.data() + f.offset;
    return {reinterpret_cast<const char*>(p), dbf::textLength(p, static_cast<std::size_t>(f.width))};
}

std::u16string DbfTable::fieldText(int index) const
{
    std::u16string out;
    readFieldText(index, out);
    return out;
}

std::u16string DbfTable::fieldTextOf(std::span<const std::uint8_t> record, int index) const
{
    std::u16string out;
    decodeField(field(index), record, out);
    return out;
}

bool DbfTable::fieldIsNull(int index) const
{
    requireActive();
    const FieldInfo& f = field(index);
    const std::uint8_t* p = m_view.data() + f.offset;
    return std::all_of(p, p + f.width, [](std::uint8_t b) { return b == ' '; });
}

void DbfTable::setFieldText(int index, std::u16string_view text)
{
    requireActive();
    requireEditing();
    if (m_readOnly)
        throw Error(dbf::kReadOnly);
    const FieldInfo& f = field(index);
    std::uint8_t* p = m_current.data() + f.offset;
    if (f.type == FieldType::Logical) {
        if (f.width < 1)
            return;
        if (text.empty())
            p[0] = ' ';
        else if (equalsIgnoringAsciiCase(text, dbf::kTrueText))
            p[0] = 'T';
        else if (equalsIgnoringAsciiCase(text, dbf::kFalseText))
            p[0] = 'F';
        else
            throw Error(
                formatMessage("'%s' is not a valid boolean value for field '%s'", {toUtf8(text), toUtf8(f.name)}));
        return;
    }
    const auto width = static_cast<std::size_t>(f.width);
    const std::u16string_view cut = text.substr(0, std::min(text.size(), width));
    for (std::size_t i = 0; i < width; ++i)
        p[i] = i < cut.size() ? cp1252::encodeUnit(cut[i]) : static_cast<std::uint8_t>(' ');
}

}  // namespace horavant
