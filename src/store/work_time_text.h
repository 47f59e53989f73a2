// The one reading and writing of the dates and times stored as text in the work-time table.
#pragma once

#include "store/byte_io.h"
#include "store/regional.h"
#include "store/work_time_fields.h"

#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace horavant {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int64_t kMsPerDay = 24 * kMsPerHour;

// Puts "0" in front until the text has at least `width` characters.
std::u16string PadZeros(std::u16string text, std::size_t width);

// Reads a stored date. Two forms are accepted:
// - DD.MM.YYYY exactly (two, two and four digits, full stops), the form the program writes,
//   whatever the regional settings; it is read as day, month, year whenever that is a date;
// - the regional short-date form: day, month and year in the regional order, separated by the
//   regional date separator, day and month of one or two digits, the year of four digits.
// Nothing else: no blanks, no two-digit or missing year (their meaning would depend on the
// current date), no names of months. The day must exist in the calendar; years 1 to 9999.
std::optional<std::chrono::sys_days> readStoredDate(std::u16string_view text, const Regional& regional);

// The days of one record after another from their date fields' stored bytes (without padding), as
// readStoredDate reads them, in days since 1970. Rows come mostly in date order, so a date text is
// read only when it differs from the row before's.
class StoredDays {
public:
    static constexpr std::int32_t kNoDay = INT32_MIN;  // a date that cannot be read

    explicit StoredDays(const Regional& regional) : m_regional(regional) {}
    std::int32_t of(std::string_view dateBytes)
    {
        return m_known && sameBytes(dateBytes, m_lastBytes) ? m_lastDay : read(dateBytes);
    }

private:
    std::int32_t read(std::string_view dateBytes);

    const Regional& m_regional;
    std::string m_lastBytes;
    std::int32_t m_lastDay = kNoDay;
    bool m_known = false;
    std::u16string m_text;
};

// Reads a stored time of day or duration as milliseconds since 00:00: hours of one or two
// digits, minutes of two digits and optionally seconds of two digits, separated by ":" or by
// the regional time separator (the same one throughout). Empty text, hours above 23, minutes
// or seconds above 59, blanks, fractions of a second and morning/afternoon markers are
// unreadable.
std::optional<std::int64_t> readStoredTime(std::u16string_view text, const Regional& regional);

// Reads a stored end time: as readStoredTime, and also 24:00 (or 24:00:00), the end of the day,
// which a period up to midnight ends with. Never a start or a break.
std::optional<std::int64_t> readStoredEndTime(std::u16string_view text, const Regional& regional);

// The stored bytes of a time in the form the program writes, HH:MM (":" or the regional separator
// `separator`), read in place: its minutes since 00:00, kNoTimeOfDay when it has that form but is
// no time of day, kOtherForm when it has another form, which readStoredTime then reads.
constexpr int kNoTimeOfDay = -1;
constexpr int kOtherForm = -2;
constexpr int writtenTimeMinutes(std::string_view bytes, char separator)
{
    const auto digit = [](char c) { return static_cast<unsigned>(c - '0') < 10; };
    if (bytes.size() != 5 || !digit(bytes[0]) || !digit(bytes[1]) || !digit(bytes[3]) || !digit(bytes[4])
        || (bytes[2] != ':' && bytes[2] != separator))
        return kOtherForm;
    const int hours = (bytes[0] - '0') * 10 + (bytes[1] - '0');
    const int minutes = (bytes[3] - '0') * 10 + (bytes[4] - '0');
    return hours > 23 || minutes > 59 ? kNoTimeOfDay : hours * 60 + minutes;
}

// As writtenTimeMinutes for an end time, which may also be 24:00 (1440 minutes).
constexpr int writtenEndMinutes(std::string_view bytes, char separator)
{
    const int minutes = writtenTimeMinutes(bytes, separator);
    if (minutes == kNoTimeOfDay && bytes[0] == '2' && bytes[1] == '4' && bytes[3] == '0' && bytes[4] == '0')
        return 24 * 60;
    return minutes;
}

// DD.MM.YYYY, numbers padded with "0" to two, two and four digits, whatever the regional settings.
std::u16string formatStoredDate(std::chrono::year_month_day date);

// HH:MM of a time of day; seconds and milliseconds are dropped. Values outside one day are
// taken modulo a day first, as a time-of-day field would hold them.
std::u16string formatStoredTime(std::int64_t ms);

// HH:MM of an end time: as formatStoredTime, but the end of the day (kMsPerDay) is 24:00.
std::u16string formatStoredEndTime(std::int64_t ms);

}  // namespace horavant
