// Counted ANSI and wide strings.
#include "store/counted_strings.h"

#include "store/cp1252.h"
#include "store/error.h"

#include <cstdint>
#include <limits>

namespace horavant {
namespace {

std::int32_t countOf(std::u16string_view text)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw IoError("A text is too long to be stored.");
    return static_cast<std::int32_t>(text.size());
}

// The byte length of a count of units of unitBytes each, checked against what remains.
std::size_t checkedLength(ByteReader& in, std::int32_t count, std::size_t unitBytes)
{
    if (count < 0 || static_cast<std::uint64_t>(count) * unitBytes > in.remaining())
        in.fail();
    return static_cast<std::size_t>(count) * unitBytes;
}

}  // namespace

void WriteCountedAnsiString(ByteWriter& out, std::u16string_view text)
{
    out.writeI32(countOf(text));
    out.writeBytes(cp1252::encode(text));
}

std::u16string ReadCountedAnsiString(ByteReader& in)
{
    const std::int32_t count = in.readI32();
    return cp1252::decode(in.readBytes(checkedLength(in, count, 1)));
}

void WriteCountedWideString(ByteWriter& out, std::u16string_view text)
{
    out.writeI32(countOf(text));
    // In chunks through a small buffer: the translation store writes hundreds of thousands.
    char buffer[512];
    std::size_t used = 0;
    for (const char16_t unit : text) {
        putU16le(reinterpret_cast<std::uint8_t*>(buffer + used), static_cast<std::uint16_t>(unit));
        used += 2;
        if (used == sizeof buffer) {
            out.writeBytes({buffer, used});
            used = 0;
        }
    }
    if (used)
        out.writeBytes({buffer, used});
}

std::u16string ReadCountedWideString(ByteReader& in)
{
    const std::int32_t count = in.readI32();
    const std::string_view bytes = in.readBytes(checkedLength(in, count, 2));
    std::u16string text(static_cast<std::size_t>(count), u'\0');
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(getU16le(p + 2 * i));
    return text;
}

}  // namespace horavant
