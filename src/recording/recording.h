// Recording a work period: the checks before anything is stored, the double-booking scan and the
// texts of the new row.
#pragma once

#include "store/regional.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

// The recording window's control that takes the focus after a refusal.
enum class RecordingFocus { Orted, TatEd, DateTimePicker1, DateTimePicker4 };

struct RecordingRefusal {
    int message;  // 9 to 13
    RecordingFocus focus;

    bool operator==(const RecordingRefusal&) const = default;
};

// The first failing check, in the window's order: empty place (9), empty activity (10), equal
// times (11), break longer than the period (13). Times are milliseconds since 00:00 exactly as
// the fields hold them. Blank texts count as filled. An end before the start is no refusal but a
// night shift (see splitAtMidnight), whose break must fit into the longer of its two parts.
std::optional<RecordingRefusal> checkWorkPeriod(std::u16string_view place, std::u16string_view activity,
                                                std::int64_t from, std::int64_t to, std::int64_t breakTime);

// Why a row typed into the grid or the data list is not stored, and the field to correct.
struct RowRefusal {
    enum Kind {
        Message,  // `message` of the message table: the recording window's checks (9 to 13)
        UnreadableDate,  // the date cannot be read
        UnreadableTime,  // a time or the break cannot be read
    };
    Kind kind = Message;
    int message = 0;
    int field = 0;

    bool operator==(const RowRefusal&) const = default;
};

// The checks of the recording window for a row of the work-time table (its texts by field): a
// date, times and a break that can be read (an empty break is none; the end may be 24:00), then
// checkWorkPeriod, and an end after the start (12), for a row is one period, never a night shift.
std::optional<RowRefusal> checkWorkTimeRow(const std::vector<std::u16string>& row, const Regional& regional);

// The physical record number of the first row of `employee` (exact text) on `day` that overlaps
// from..to, scanning the rows the table shows from first to last; the recording window keeps the
// table's filter off, so that is the whole table. Rows whose date or times cannot be read are
// skipped. Periods that only touch do not overlap; two equal periods do. Moves the cursor.
std::optional<std::uint32_t> findOverlap(DbfTable& table, std::u16string_view employee, std::chrono::sys_days day,
                                         std::int64_t from, std::int64_t to, const Regional& regional);

struct DayPeriod {
    std::chrono::sys_days day;
    std::int64_t from = 0;
    std::int64_t to = 0;
};
// findOverlap for several periods in one pass: for each, the first row that overlaps it.
std::vector<std::optional<std::uint32_t>> findOverlaps(DbfTable& table, std::u16string_view employee,
                                                       const std::vector<DayPeriod>& periods, const Regional& regional);

// What one recording stores.
struct WorkPeriod {
    std::chrono::year_month_day date;
    std::u16string employee;
    std::u16string place;
    std::u16string activity;
    std::int64_t from = 0;  // milliseconds since 00:00
    std::int64_t to = 0;  // up to kMsPerDay, the end of the day, stored as 24:00
    std::u16string remarks {};
    bool away = false;
    std::int64_t breakTime = 0;
    bool doubleBooking = false;
};

// The rows a recording stores for a period as the window's fields hold it: the period itself;
// for an end of 00:00, the period until 24:00; for an end before the start, a night shift, two
// rows: until 24:00 on its day and from 00:00 on the next, the break on the longer of the two
// (the first when both are as long). Everything else goes into both.
std::vector<WorkPeriod> splitAtMidnight(const WorkPeriod& period);

// The ten texts of the row in field order: DD.MM.YYYY, the texts as typed, HH:MM for the times
// and the break, "True"/"False" for the two marks. Over-long texts are left for the table to cut.
std::vector<std::u16string> workPeriodRow(const WorkPeriod& period);

// Appends the row in one step; the table makes it durable before returning.
void appendWorkPeriod(DbfTable& table, const WorkPeriod& period);
// Appends the rows one after the other; when one fails, those appended before it are deleted
// again, so that a night shift is stored whole or not at all.
void appendWorkPeriods(DbfTable& table, const std::vector<WorkPeriod>& periods);

}  // namespace horavant
