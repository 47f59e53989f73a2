// The rules behind "Okay, erfassen".
#include "recording/recording.h"

#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/work_time_text.h"

#include <algorithm>

namespace horavant {
namespace {

bool overlaps(std::int64_t rowFrom, std::int64_t rowTo, std::int64_t newFrom, std::int64_t newTo)
{
    return (rowFrom > newFrom && rowFrom < newTo) || (rowTo > newFrom && rowTo < newTo)
           || (newFrom > rowFrom && newFrom < rowTo) || (newTo > rowFrom && newTo < rowTo)
           || (newTo == rowTo && newFrom == rowFrom);
}

}  // namespace

std::optional<RecordingRefusal> checkWorkPeriod(std::u16string_view place, std::u16string_view activity,
                                                std::int64_t from, std::int64_t to, std::int64_t breakTime)
{
    if (place.empty())
        return RecordingRefusal {9, RecordingFocus::Orted};
    if (activity.empty())
        return RecordingRefusal {10, RecordingFocus::TatEd};
    if (from == to)
        return RecordingRefusal {11, RecordingFocus::DateTimePicker1};
    // A night shift's break goes to its longer part; an end of 00:00 is the end of the day.
    const std::int64_t longest = to > from ? to - from : std::max(kMsPerDay - from, to);
    if (longest < breakTime)
        return RecordingRefusal {13, RecordingFocus::DateTimePicker4};
    return std::nullopt;
}

std::optional<RowRefusal> checkWorkTimeRow(const std::vector<std::u16string>& row, const Regional& regional)
{
    const auto text = [&](int field) -> std::u16string_view {
        return static_cast<std::size_t>(field) < row.size() ? std::u16string_view(row[static_cast<std::size_t>(field)])
                                                            : std::u16string_view();
    };
    if (!readStoredDate(text(workfield::kDate), regional))
        return RowRefusal {RowRefusal::UnreadableDate, 0, workfield::kDate};
    const auto from = readStoredTime(text(workfield::kFrom), regional);
    if (!from)
        return RowRefusal {RowRefusal::UnreadableTime, 0, workfield::kFrom};
    const auto to = readStoredEndTime(text(workfield::kTo), regional);
    if (!to)
        return RowRefusal {RowRefusal::UnreadableTime, 0, workfield::kTo};
    const auto breakTime = text(workfield::kBreak).empty() ? std::optional<std::int64_t>(0)
                                                           : readStoredTime(text(workfield::kBreak), regional);
    if (!breakTime)
        return RowRefusal {RowRefusal::UnreadableTime, 0, workfield::kBreak};
    auto refusal = checkWorkPeriod(text(workfield::kPlace), text(workfield::kActivity), *from, *to, *breakTime);
    // A row is one period: an end before the start, a night shift, the recording window stores as
    // two rows, and a row cannot be. Its break then fits the period, as checkWorkPeriod judges.
    if (*to < *from && (!refusal || refusal->message == 13))
        refusal = RecordingRefusal {12, RecordingFocus::DateTimePicker1};
    if (!refusal)
        return std::nullopt;
    int field = workfield::kFrom;
    switch (refusal->focus) {
    case RecordingFocus::Orted: field = workfield::kPlace; break;
    case RecordingFocus::TatEd: field = workfield::kActivity; break;
    case RecordingFocus::DateTimePicker1: field = workfield::kTo; break;
    case RecordingFocus::DateTimePicker4: field = workfield::kBreak; break;
    }
    return RowRefusal {RowRefusal::Message, refusal->message, field};
}

std::optional<std::uint32_t> findOverlap(DbfTable& table, std::u16string_view employee, std::chrono::sys_days day,
                                         std::int64_t from, std::int64_t to, const Regional& regional)
{
    return findOverlaps(table, employee, {DayPeriod {day, from, to}}, regional).front();
}

std::vector<std::optional<std::uint32_t>> findOverlaps(DbfTable& table, std::u16string_view employee,
                                                       const std::vector<DayPeriod>& periods, const Regional& regional)
{
    table.takeInAppended();
    std::vector<std::optional<std::uint32_t>> found(periods.size());
    std::u16string text;
    // Every unreadable field skips the row and the day must match, so the date is read first and
    // the times only for the employee's rows of those days; the outcome is the same in any order.
    for (table.First(); !table.Eof(); table.Next()) {
        // Other employees' rows are told apart by their stored bytes, without decoding.
        if (!cp1252::decodesTo(table.fieldBytes(workfield::kEmployee), employee))
            continue;
        table.readFieldText(workfield::kDate, text);
        const auto date = readStoredDate(text, regional);
        if (!date)
            continue;
        std::optional<std::int64_t> rowFrom, rowTo;
        for (std::size_t i = 0; i < periods.size(); ++i) {
            const DayPeriod& p = periods[i];
            if (found[i] || *date != p.day)
                continue;
            if (!rowFrom) {
                table.readFieldText(workfield::kFrom, text);
                rowFrom = readStoredTime(text, regional);
                table.readFieldText(workfield::kTo, text);
                rowTo = readStoredEndTime(text, regional);
            }
            if (rowFrom && rowTo && overlaps(*rowFrom, *rowTo, p.from, p.to))
                found[i] = table.recNo();
        }
    }
    return found;
}

std::vector<WorkPeriod> splitAtMidnight(const WorkPeriod& period)
{
    if (period.to == 0 && period.from > 0) {
        WorkPeriod untilMidnight = period;
        untilMidnight.to = kMsPerDay;
        return {untilMidnight};
    }
    if (period.to >= period.from)
        return {period};
    WorkPeriod first = period;
    first.to = kMsPerDay;
    WorkPeriod second = period;
    second.date = std::chrono::sys_days(period.date) + std::chrono::days(1);
    second.from = 0;
    (kMsPerDay - period.from >= period.to ? second : first).breakTime = 0;
    return {first, second};
}

std::vector<std::u16string> workPeriodRow(const WorkPeriod& p)
{
    return {formatStoredDate(p.date),
            p.employee,
            p.place,
            p.activity,
            formatStoredTime(p.from),
            formatStoredEndTime(p.to),
            p.remarks,
            std::u16string(dbf::logicalText(p.away)),
            formatStoredTime(p.breakTime),
            std::u16string(dbf::logicalText(p.doubleBooking))};
}

void appendWorkPeriod(DbfTable& table, const WorkPeriod& period)
{
    table.AppendRecord(workPeriodRow(period));
}

void appendWorkPeriods(DbfTable& table, const std::vector<WorkPeriod>& periods)
{
    std::vector<std::uint32_t> appended;
    try {
        for (const WorkPeriod& period : periods) {
            appendWorkPeriod(table, period);
            appended.push_back(table.recNo());
        }
    } catch (...) {
        // The flag is written in place, so this works where an append found the disk full.
        try {
            for (const std::uint32_t record : appended) {
                if (table.gotoRecord(record))
                    table.Delete();
            }
        } catch (...) {
        }
        throw;
    }
}

}  // namespace horavant
