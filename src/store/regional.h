// The user's regional settings, as far as the program reads and shows dates, times and numbers.
// The desktop layer fills it from the system locale; the core takes it as a parameter.
#pragma once

namespace horavant {

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

struct Regional {
    DateOrder dateOrder = DateOrder::DayMonthYear;
    char16_t dateSeparator = u'.';
    char16_t timeSeparator = u':';
    char16_t decimalSeparator = u',';

    static Regional german() { return {}; }
};

}  // namespace horavant
