// What the CSV writers share: the format's characters, the rules for quotes and the formula
// guard, and the UTF-8 form of every Windows-1252 byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace horavant::csv {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kSeparator = ';';
constexpr char kQuote = '"';
constexpr char kFormulaGuard = '\'';
// The file is written in blocks of about this size, small enough to stay in the processor's
// cache until the system copies them; only one block is held at a time.
constexpr std::size_t kBlockBytes = 256 * 1024;

template <class Unit>
constexpr bool isBlank(Unit u)
{
    return u == ' ' || u == '\t';
}

template <class Unit>
constexpr bool isSpecial(Unit u)
{
    return u == kSeparator || u == kQuote || u == '\r' || u == '\n';
}

template <class Unit>
constexpr bool isFormulaStart(Unit u)
{
    return u == '=' || u == '+' || u == '-' || u == '@';
}

// A spreadsheet runs a cell as a formula when its text starts with one of these, also after
// blanks or line breaks that it may drop.
template <class Unit>
bool looksLikeFormula(std::basic_string_view<Unit> text)
{
    for (const Unit u : text) {
        if (isBlank(u) || u == '\r' || u == '\n')
            continue;
        return isFormulaStart(u);
    }
    return false;
}

// The UTF-8 form of every Windows-1252 byte.
struct Cp1252Utf8 {
    struct Sequence {
        std::array<char, 3> bytes;
        std::uint8_t size;
    };
    Cp1252Utf8();
    std::array<Sequence, 256> utf8 {};
};

const Cp1252Utf8& cp1252Utf8();

}  // namespace horavant::csv
