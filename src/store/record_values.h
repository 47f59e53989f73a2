// One whole number per record of a table, noted by a scan for a later pass that visits only some
// records: two bytes a record where the numbers allow it.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace horavant {

// Numbers held in two bytes each while every one is a multiple of Unit and all lie within 65,534
// units of each other (the days of the work-time table, worked times in minutes): on ten million
// records 20 MB instead of 40. A number beyond that turns the whole list into four bytes a
// number, once. The window of two bytes starts centred on the first number met and moves while
// the numbers met so far still fit into one.
template <std::int32_t Unit = 1>
class RecordValues {
    static_assert(Unit > 0);

public:
    static constexpr std::int32_t kNone = INT32_MIN;  // a record without a number

    RecordValues() = default;
    // `records` records without a number.
    explicit RecordValues(std::uint32_t records) : m_size(records), m_narrow(records, kNarrowNone) {}

    // Callers pass record < size().
    void set(std::uint32_t record, std::int32_t value)
    {
        if (m_isWide) {
            m_wide[record] = value;
            return;
        }
        if (value == kNone) {
            m_narrow[record] = kNarrowNone;
            return;
        }
        const std::int64_t units = value / Unit;
        const bool fits = m_low <= m_high && units >= m_base && units - m_base <= kNarrowSpan;
        if (value % Unit != 0 || (!fits && !makeRoomFor(units))) {
            widen();
            m_wide[record] = value;
            return;
        }
        m_low = std::min(m_low, units);
        m_high = std::max(m_high, units);
        m_narrow[record] = static_cast<std::uint16_t>(units - m_base);
    }
    std::int32_t operator[](std::uint32_t record) const
    {
        if (m_isWide)
            return m_wide[record];
        const std::uint16_t n = m_narrow[record];
        return n == kNarrowNone ? kNone : static_cast<std::int32_t>((m_base + n) * Unit);
    }
    std::uint32_t size() const { return m_size; }
    // The bytes the list holds.
    std::size_t bytesHeld() const
    {
        return m_narrow.capacity() * sizeof(std::uint16_t) + m_wide.capacity() * sizeof(std::int32_t);
    }

private:
    static constexpr std::uint16_t kNarrowNone = 0xFFFF;
    static constexpr std::int64_t kNarrowSpan = 0xFFFE;  // the largest distance two numbers may have

    // Moves the window of two bytes so that it holds `units` as well; false when they are too far
    // apart for one window.
    bool makeRoomFor(std::int64_t units)
    {
        if (m_low > m_high) {
            // The first number: as much room below it as above.
            m_base = units - kNarrowSpan / 2;
            return true;
        }
        const std::int64_t low = std::min(m_low, units);
        const std::int64_t high = std::max(m_high, units);
        if (high - low > kNarrowSpan)
            return false;
        // Centred again on what is held, so that the window seldom moves twice.
        const std::int64_t base = low - (kNarrowSpan - (high - low)) / 2;
        for (std::uint16_t& n : m_narrow) {
            if (n != kNarrowNone)
                n = static_cast<std::uint16_t>(m_base + n - base);
        }
        m_base = base;
        return true;
    }
    void widen()
    {
        std::vector<std::int32_t> wide(m_size);
        for (std::uint32_t r = 0; r < m_size; ++r)
            wide[r] = (*this)[r];
        std::vector<std::uint16_t>().swap(m_narrow);
        m_wide = std::move(wide);
        m_isWide = true;
    }

    std::uint32_t m_size = 0;
    bool m_isWide = false;
    std::vector<std::uint16_t> m_narrow;  // a number less the base, in units; or kNarrowNone
    std::vector<std::int32_t> m_wide;
    std::int64_t m_base = 0;  // in units
    // The smallest and largest number held in two bytes so far, in units; none yet while low > high.
    std::int64_t m_low = INT64_MAX;
    std::int64_t m_high = INT64_MIN;
};

}  // namespace horavant
