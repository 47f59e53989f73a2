// Reading and writing the stored date and time texts of the work-time table.
#include "store/work_time_text.h"

#include "store/cp1252.h"

#include <array>

namespace horavant {
namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Splits `text` at `separator` into exactly N runs of digits whose lengths lie within the given
// bounds; false for anything else.
template <std::size_t N>
bool splitNumbers(std::u16string_view text, char16_t separator, const std::array<std::size_t, N>& minDigits,
                  const std::array<std::size_t, N>& maxDigits, std::array<int, N>& out)
{
    std::size_t pos = 0;
    for (std::size_t part = 0; part < N; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != separator)
                return false;
            ++pos;
        }
        const std::size_t start = pos;
        int value = 0;
        while (pos < text.size() && isDigit(text[pos]) && pos - start < maxDigits[part]) {
            value = value * 10 + (text[pos] - u'0');
            ++pos;
        }
        if (pos - start < minDigits[part])
            return false;
        out[part] = value;
    }
    return pos == text.size();
}

std::optional<std::chrono::sys_days> makeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    const std::chrono::year_month_day ymd {std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    if (!ymd.ok())
        return std::nullopt;
    return std::chrono::sys_days(ymd);
}

std::u16string decimal(long long value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

}  // namespace

std::u16string PadZeros(std::u16string text, std::size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), u'0');
    return text;
}

std::optional<std::chrono::sys_days> readStoredDate(std::u16string_view text, const Regional& regional)
{
    std::array<int, 3> n {};
    // The written form first: on a computer whose own form has the same separator but another
    // order, the program's rows must still mean what the program meant when it wrote them.
    if (text.size() == 10 && splitNumbers<3>(text, u'.', {2, 2, 4}, {2, 2, 4}, n)) {
        if (auto date = makeDate(n[2], n[1], n[0]))
            return date;
    }

    switch (regional.dateOrder) {
    case DateOrder::DayMonthYear:
        if (splitNumbers<3>(text, regional.dateSeparator, {1, 1, 4}, {2, 2, 4}, n))
            return makeDate(n[2], n[1], n[0]);
        break;
    case DateOrder::MonthDayYear:
        if (splitNumbers<3>(text, regional.dateSeparator, {1, 1, 4}, {2, 2, 4}, n))
            return makeDate(n[2], n[0], n[1]);
        break;
    case DateOrder::YearMonthDay:
        if (splitNumbers<3>(text, regional.dateSeparator, {4, 1, 1}, {4, 2, 2}, n))
            return makeDate(n[0], n[1], n[2]);
        break;
    }
    return std::nullopt;
}

std::int32_t StoredDays::read(std::string_view dateBytes)
{
    m_lastBytes.assign(dateBytes);
    cp1252::decodeInto(reinterpret_cast<const std::uint8_t*>(dateBytes.data()), dateBytes.size(), m_text);
    const auto day = readStoredDate(m_text, m_regional);
    m_lastDay = day ? static_cast<std::int32_t>(day->time_since_epoch().count()) : kNoDay;
    m_known = true;
    return m_lastDay;
}

namespace {

// A time of day; with `endOfDay` also 24:00 and 24:00:00, the end of the day.
std::optional<std::int64_t> readTime(std::u16string_view text, const Regional& regional, bool endOfDay)
{
    // HH:MM, the form the program writes, is read without splitting: scans over the whole table
    // read three times a row.
    if (text.size() == 5 && isDigit(text[0]) && isDigit(text[1]) && isDigit(text[3]) && isDigit(text[4])
        && (text[2] == u':' || text[2] == regional.timeSeparator)) {
        const int hours = (text[0] - u'0') * 10 + (text[1] - u'0');
        const int minutes = (text[3] - u'0') * 10 + (text[4] - u'0');
        if (endOfDay && hours == 24 && minutes == 0)
            return kMsPerDay;
        if (hours > 23 || minutes > 59)
            return std::nullopt;
        return hours * kMsPerHour + minutes * kMsPerMinute;
    }
    std::size_t firstSeparator = 0;
    while (firstSeparator < text.size() && isDigit(text[firstSeparator]))
        ++firstSeparator;
    if (firstSeparator >= text.size())
        return std::nullopt;
    const char16_t separator = text[firstSeparator];
    if (separator != u':' && separator != regional.timeSeparator)
        return std::nullopt;

    std::array<int, 3> hms {};
    std::array<int, 2> hm {};
    if (splitNumbers<2>(text, separator, {1, 2}, {2, 2}, hm))
        hms = {hm[0], hm[1], 0};
    else if (!splitNumbers<3>(text, separator, {1, 2, 2}, {2, 2, 2}, hms))
        return std::nullopt;
    if (endOfDay && hms == std::array<int, 3> {24, 0, 0})
        return kMsPerDay;
    if (hms[0] > 23 || hms[1] > 59 || hms[2] > 59)
        return std::nullopt;
    return hms[0] * kMsPerHour + hms[1] * kMsPerMinute + hms[2] * kMsPerSecond;
}

}  // namespace

std::optional<std::int64_t> readStoredTime(std::u16string_view text, const Regional& regional)
{
    return readTime(text, regional, false);
}

std::optional<std::int64_t> readStoredEndTime(std::u16string_view text, const Regional& regional)
{
    return readTime(text, regional, true);
}

std::u16string formatStoredDate(std::chrono::year_month_day date)
{
    return PadZeros(decimal(static_cast<unsigned>(date.day())), 2) + u'.'
           + PadZeros(decimal(static_cast<unsigned>(date.month())), 2) + u'.'
           + PadZeros(decimal(static_cast<int>(date.year())), 4);
}

std::u16string formatStoredTime(std::int64_t ms)
{
    ms %= kMsPerDay;
    if (ms < 0)
        ms += kMsPerDay;
    return PadZeros(decimal(ms / kMsPerHour), 2) + u':' + PadZeros(decimal(ms % kMsPerHour / kMsPerMinute), 2);
}

std::u16string formatStoredEndTime(std::int64_t ms)
{
    return ms == kMsPerDay ? std::u16string(u"24:00") : formatStoredTime(ms);
}

}  // namespace horavant
