// Reading the current row of the work-time table for the working-time check: whose it is, its day
// and its times, from the stored bytes, with each distinct text read only once.
#pragma once

#include "law/working_time_check.h"
#include "store/byte_io.h"
#include "store/dbf_table.h"
#include "store/field_padding.h"
#include "store/work_time_text.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

// Why a row is listed instead of counted.
enum class RowProblem : std::uint8_t { None, Unreadable, EndNotAfterStart, BreakLongerThanRow };

// Whether the `width` bytes at p hold a colon. Reads up to fifteen bytes beyond them, which the
// record's spare bytes (dbf::kReadSlack) allow.
[[gnu::always_inline]] inline bool holdsColon(const std::uint8_t* p, std::size_t width)
{
#if defined(__SSE2__)
    const __m128i colon = _mm_set1_epi8(':');
    __m128i found = _mm_setzero_si128();
    std::size_t at = 0;
    for (; at + 16 <= width; at += 16)
        found = _mm_or_si128(found, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)), colon));
    auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(found));
    if (at < width) {
        const __m128i tail = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at)), colon);
        bits |= static_cast<std::uint32_t>(_mm_movemask_epi8(tail)) & ((1u << (width - at)) - 1);
    }
    return bits != 0;
#else
    return std::memchr(p, ':', width) != nullptr;
#endif
}

struct RowTimes {
    std::int32_t from = 0;
    std::int32_t to = 0;  // up to kMsPerDay, which 24:00 reads as
    std::int32_t recordedBreak = 0;
    RowProblem problem = RowProblem::None;
};

class RowReader {
public:
    static constexpr std::uint32_t kOther = 0xFFFFFFFF;

    // Rows of `employee` only, or of everybody when it is empty.
    RowReader(DbfTable& table, std::optional<std::u16string_view> employee, const Regional& regional);

    // Takes the current row; what follows reads its stored bytes in place until the next one.
    void read()
    {
        if (!m_placed)
            placeFields();
        m_record = m_table.recordBytes().data();
    }

    // The index of the row's employee, in order of first appearance, or kOther.
    std::uint32_t employee()
    {
        const std::string_view name = bytes(m_employee);
        if (!m_all)
            return m_wantedStorable && sameBytes(name, m_wanted) ? 0 : kOther;
        // Rows often come in a steady round of the employees: the one that followed the last
        // employee before is tried first, then the last employee again.
        if (m_lastEmployee != kOther) {
            const std::uint32_t next = m_successor[m_lastEmployee];
            if (next != kOther && sameBytes(name, m_nameBytes[next]))
                return m_lastEmployee = next;
            if (sameBytes(name, m_nameBytes[m_lastEmployee]))
                return m_lastEmployee;
        }
        return employeeLookedUp(name);
    }

    std::optional<std::chrono::sys_days> date()
    {
        const std::string_view text = bytes(m_date);
        if (m_dateKnown && sameBytes(text, m_lastDate))
            return m_lastDay;
        return dateRead(text);
    }

    // Unreadable when the start, the end or a break that is not empty cannot be read. The
    // recording refuses an end not after the start and a break longer than the period; only an
    // edit makes such a row.
    RowTimes times()
    {
        const std::int32_t from = readTime(bytes(m_from), false);
        const std::int32_t to = readTime(bytes(m_to), true);
        const std::string_view pause = bytes(m_break);
        const std::int32_t recordedBreak = pause.empty() ? 0 : readTime(pause, false);
        RowProblem problem = RowProblem::None;
        if (from < 0 || to < 0 || recordedBreak < 0)
            problem = RowProblem::Unreadable;
        else if (to <= from)
            problem = RowProblem::EndNotAfterStart;
        else if (recordedBreak > to - from)
            problem = RowProblem::BreakLongerThanRow;
        return RowTimes {from, to, recordedBreak, problem};
    }

    // The remarks where they may list break intervals; empty when they hold no colon, as most do,
    // which is found without measuring their text.
    std::string_view remarksWithColon() const
    {
        if (!holdsColon(m_record + m_remarks.offset, m_remarks.width))
            return {};
        return bytes(m_remarks);
    }

    bool markedDouble() const
    {
        // As the field's text reads: a logical field is "True" for "T" or "t".
        if (m_double.logical)
            return m_double.width >= 1 && (m_record[m_double.offset] | 0x20) == 't';
        return bytes(m_double) == "True";
    }

    ListedRow storedTexts() const;
    std::vector<std::u16string> takeEmployees() { return std::move(m_names); }
    // Everybody: numbers these names in this order before any row is read, so that a check that
    // reads only some rows numbers the employees as one reading every row would.
    void knowEmployees(const std::vector<std::u16string>& names);

private:
    struct Field {
        std::size_t offset = 0;
        std::size_t width = 0;
        bool logical = false;
    };
    void placeFields();
    // The field's stored bytes without their padding.
    std::string_view bytes(const Field& field) const
    {
        const std::uint8_t* p = m_record + field.offset;
        return {reinterpret_cast<const char*>(p), dbf::textLength(p, field.width)};
    }

    // A stored time read into ms, -1 when unreadable; an end may be 24:00. HH:MM, the form the
    // program writes, is read in place; other forms through the general reader, each distinct
    // text once.
    std::int32_t readTime(std::string_view text, bool end)
    {
        const int minutes = end ? writtenEndMinutes(text, m_timeSeparator) : writtenTimeMinutes(text, m_timeSeparator);
        if (minutes != kOtherForm)
            return minutes == kNoTimeOfDay ? -1 : static_cast<std::int32_t>(minutes * kMsPerMinute);
        const std::int32_t ms = timeRead(text);
        return ms < 0 && end ? endOfDayRead(text) : ms;
    }
    std::int32_t endOfDayRead(std::string_view text);
    std::int32_t timeRead(std::string_view text);
    std::uint32_t employeeLookedUp(std::string_view name);
    std::uint32_t employeeOfAll(std::string_view bytes);
    std::optional<std::chrono::sys_days> dateRead(std::string_view text);

    DbfTable& m_table;
    const Regional& m_regional;
    // The regional time separator where it is one byte of the stored text, else ':'.
    char m_timeSeparator;
    bool m_all;
    std::string m_wanted;  // the one employee's stored bytes
    bool m_wantedStorable = false;

    const std::uint8_t* m_record = nullptr;
    bool m_placed = false;
    Field m_employee, m_date, m_from, m_to, m_break, m_double, m_remarks;

    // Everybody: the names and their stored bytes, an open-addressed index over them.
    std::vector<std::u16string> m_names;
    std::vector<std::string> m_nameBytes;
    std::vector<std::uint64_t> m_nameHashes;
    std::vector<std::uint32_t> m_slots;
    std::vector<std::uint32_t> m_successor;  // per employee, the one that followed it last
    std::uint32_t m_lastEmployee = kOther;

    // The last date text and its day; rows come mostly in date order.
    std::string m_lastDate;
    std::optional<std::chrono::sys_days> m_lastDay;
    bool m_dateKnown = false;

    // Times of up to eight stored bytes, direct-mapped by their bytes.
    struct TimeEntry {
        std::uint64_t bytes = 0;
        std::int32_t value = 0;
        std::uint8_t length = 0;
        bool used = false;
    };
    std::array<TimeEntry, 1024> m_times {};
    std::u16string m_text;
};

}  // namespace horavant
