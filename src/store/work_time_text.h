// The one reading and writing of the dates and times stored as text in the work-time table.
#pragma once

#include "store/regional.h"
#include "store/work_time_fields.h"

#include <chrono>
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

// Reads a stored time of day or duration as milliseconds since 00:00: hours of one or two
// digits, minutes of two digits and optionally seconds of two digits, separated by ":" or by
// the regional time separator (the same one throughout). Empty text, hours above 23, minutes
// or seconds above 59, blanks, fractions of a second and morning/afternoon markers are
// unreadable.
std::optional<std::int64_t> readStoredTime(std::u16string_view text, const Regional& regional);

// DD.MM.YYYY, numbers padded with "0" to two, two and four digits, whatever the regional settings.
std::u16string formatStoredDate(std::chrono::year_month_day date);

// HH:MM of a time of day; seconds and milliseconds are dropped. Values outside one day are
// taken modulo a day first, as a time-of-day field would hold them.
std::u16string formatStoredTime(std::int64_t ms);

}  // namespace horavant
