// Where a row's recorded break lies: at the intervals its remarks list, or in the middle of the row.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace horavant {

// A period within one day: milliseconds since 00:00, from inclusive, to exclusive; to may be the
// end of the day.
struct TimeSpan {
    std::int32_t from = 0;
    std::int32_t to = 0;
    friend bool operator==(const TimeSpan&, const TimeSpan&) = default;
};

// The break parts of one row, in time order and apart.
struct RowBreaks {
    // A remarks field of 100 characters holds at most seven listed intervals.
    static constexpr std::size_t kMost = 8;
    std::array<TimeSpan, kMost> spans {};
    std::size_t count = 0;
};

// The last list of break intervals in a row's remarks (its stored bytes) as the break window
// writes it: a label ending in ":" (the word depends on the language), then " HH:MM-HH:MM" for
// each interval, the intervals joined by ";". Whatever follows the list is left alone. False when
// the remarks hold no list or one longer than RowBreaks::kMost.
bool listedBreaks(std::string_view remarks, RowBreaks& out);

// The intervals the remarks list, when they lie within the row from..to, apart from each other,
// and add up to its break.
bool listedBreaksFit(TimeSpan row, std::int32_t recordedBreak, std::string_view remarks, RowBreaks& out);

// Where the break of the row from..to lies (0 < recordedBreak <= to - from): at the intervals its
// remarks list, as listedBreaksFit accepts them; otherwise as one break in the middle of the row,
// starting (length - break) / 2 after the row's start, rounded down to the minute.
inline RowBreaks placeBreak(TimeSpan row, std::int32_t recordedBreak, std::string_view remarks)
{
    RowBreaks breaks;
    if (!remarks.empty() && listedBreaksFit(row, recordedBreak, remarks, breaks))
        return breaks;
    constexpr std::int32_t kMinute = 60 * 1000;
    const std::int32_t from = row.from + (row.to - row.from - recordedBreak) / 2 / kMinute * kMinute;
    breaks.spans[0] = {from, from + recordedBreak};
    breaks.count = 1;
    return breaks;
}

}  // namespace horavant
