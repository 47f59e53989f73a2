// Reading the current row of the work-time table for the working-time check: whose it is, its day
// and its times, from the stored bytes, with each distinct text read only once.
#pragma once

#include "evaluation/working_time_check.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

struct RowTimes {
    std::int32_t from = 0;
    std::int32_t to = 0;
    std::int32_t recordedBreak = 0;
};

class RowReader {
public:
    static constexpr std::uint32_t kOther = 0xFFFFFFFF;

    // Rows of `employee` only, or of everybody when it is empty.
    RowReader(DbfTable& table, std::optional<std::u16string_view> employee, const Regional& regional);

    // The index of the current row's employee, in order of first appearance, or kOther.
    std::uint32_t employee();
    std::optional<std::chrono::sys_days> date();
    // None when the start, the end or a break that is not empty cannot be read, or when the end
    // is not after the start (the recording refuses such a period; only an edit makes one).
    std::optional<RowTimes> times();
    bool markedDouble();
    UnreadableRow storedTexts() const;
    std::vector<std::u16string> takeEmployees() { return std::move(m_names); }

private:
    // A stored time read into ms, -1 when unreadable.
    std::int32_t readTime(std::string_view bytes);
    std::uint32_t employeeOfAll(std::string_view bytes);

    DbfTable& m_table;
    const Regional& m_regional;
    bool m_all;
    std::string m_wanted;  // the one employee's stored bytes
    bool m_wantedStorable = false;

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
