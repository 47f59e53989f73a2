// Windows-1252 tables.
#include "store/cp1252.h"
#include "store/cp1252_widen.h"

#include <array>

namespace horavant::cp1252 {
namespace {

// Bytes 0x80..0x9F. The undefined ones keep their own number (lossless round trip).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> makeDecodeTable()
{
    std::array<char16_t, 256> t {};
    for (int b = 0; b < 256; ++b)
        t[b] = (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
    return t;
}

constexpr std::array<char16_t, 256> kDecode = makeDecodeTable();

}  // namespace

char16_t decodeByte(std::uint8_t byte)
{
    return kDecode[byte];
}

bool decodesTo(std::string_view bytes, std::u16string_view text)
{
    // One unit per byte, so the lengths must agree first.
    if (bytes.size() != text.size())
        return false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (kDecode[static_cast<std::uint8_t>(bytes[i])] != text[i])
            return false;
    }
    return true;
}

void decodeWithTable(const std::uint8_t* bytes, std::size_t size, char16_t* d)
{
    for (std::size_t i = 0; i < size; ++i)
        d[i] = kDecode[bytes[i]];
}

void decodeGrowing(const std::uint8_t* bytes, std::size_t size, std::u16string& out)
{
    out.resize(size);
    if (widen(bytes, size, out.data()))
        decodeWithTable(bytes, size, out.data());
}

void decodeInto(const std::uint8_t* bytes, std::size_t size, std::u16string& out)
{
    decodeIntoInline(bytes, size, out);
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
    default: return c;  // ß, µ and everything else stay
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
