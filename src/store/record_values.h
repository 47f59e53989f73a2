// One whole number per record of a table, noted by a scan for a later pass that visits only some
// records: one or two bytes a record where the numbers allow it.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace horavant {

// Numbers held in one byte each while every one is a multiple of Unit and all lie within 254
// units of each other (the index of an employee among a few hundred), in two bytes while they lie
// within 65,534 units (the days of the work-time table, worked times in minutes): on ten million
// records 10 or 20 MB instead of 40. A number beyond that makes the whole list wider, once for
// each width. The window of the narrow numbers starts centred on the first number met and moves
// while the numbers met so far still fit into one.
template <std::int32_t Unit = 1>
class RecordValues {
    static_assert(Unit > 0);

public:
    static constexpr std::int32_t kNone = INT32_MIN;  // a record without a number

    RecordValues() = default;
    // `records` records without a number.
    explicit RecordValues(std::uint32_t records) : m_size(records), m_ones(records, kNoneOf<std::uint8_t>) {}

    // Callers pass record < size().
    void set(std::uint32_t record, std::int32_t value)
    {
        if (m_width < 4 && value != kNone) {
            const std::int64_t units = value / Unit;
            if (value % Unit != 0) {
                widen(4, 0, 0);
            } else {
                if (m_low > m_high || units < m_base || units - m_base > span(m_width))
                    makeRoomFor(units);
                m_low = std::min(m_low, units);
                m_high = std::max(m_high, units);
            }
        }
        switch (m_width) {
        case 1: m_ones[record] = encode<std::uint8_t>(value); return;
        case 2: m_twos[record] = encode<std::uint16_t>(value); return;
        default: m_wide[record] = value; return;
        }
    }
    std::int32_t operator[](std::uint32_t record) const
    {
        switch (m_width) {
        case 1: return decode(m_ones[record]);
        case 2: return decode(m_twos[record]);
        default: return m_wide[record];
        }
    }
    std::uint32_t size() const { return m_size; }
    // The bytes the list holds.
    std::size_t bytesHeld() const { return m_ones.capacity() + m_twos.capacity() * 2 + m_wide.capacity() * 4; }

private:
    template <class Narrow>
    static constexpr Narrow kNoneOf = static_cast<Narrow>(~Narrow {0});
    // The largest distance two numbers of a width may have, in units.
    static constexpr std::int64_t span(int width) { return width == 1 ? 0xFE : 0xFFFE; }

    template <class Narrow>
    Narrow encode(std::int32_t value) const
    {
        return value == kNone ? kNoneOf<Narrow> : static_cast<Narrow>(value / Unit - m_base);
    }
    template <class Narrow>
    std::int32_t decode(Narrow n) const
    {
        return n == kNoneOf<Narrow> ? kNone : static_cast<std::int32_t>((m_base + n) * Unit);
    }

    // Moves the window so that it holds `units` as well, or widens the list.
    void makeRoomFor(std::int64_t units)
    {
        if (m_low > m_high) {
            // The first number: as much room below it as above.
            m_base = units - span(m_width) / 2;
            return;
        }
        const std::int64_t low = std::min(m_low, units);
        const std::int64_t high = std::max(m_high, units);
        if (high - low > span(m_width)) {
            widen(high - low > span(2) ? 4 : 2, low, high);
            return;
        }
        const std::int64_t base = centred(m_width, low, high);
        if (m_width == 1)
            shift(m_ones, m_base - base);
        else
            shift(m_twos, m_base - base);
        m_base = base;
    }
    // Centred on what is held, so that the window seldom moves twice.
    static std::int64_t centred(int width, std::int64_t low, std::int64_t high)
    {
        return low - (span(width) - (high - low)) / 2;
    }
    template <class Narrow>
    static void shift(std::vector<Narrow>& numbers, std::int64_t by)
    {
        for (Narrow& n : numbers) {
            if (n != kNoneOf<Narrow>)
                n = static_cast<Narrow>(n + by);
        }
    }
    // To `width` bytes a number; low..high is what the narrow window is to hold.
    void widen(int width, std::int64_t low, std::int64_t high)
    {
        std::vector<std::uint16_t> twos;
        std::vector<std::int32_t> wide;
        const std::int64_t base = width == 2 ? centred(2, low, high) : 0;
        if (width == 2)
            twos.resize(m_size);
        else
            wide.resize(m_size);
        for (std::uint32_t r = 0; r < m_size; ++r) {
            const std::int32_t value = (*this)[r];
            if (width == 4)
                wide[r] = value;
            else
                twos[r] = value == kNone ? kNoneOf<std::uint16_t> : static_cast<std::uint16_t>(value / Unit - base);
        }
        std::vector<std::uint8_t>().swap(m_ones);
        m_twos.swap(twos);
        m_wide.swap(wide);
        m_base = base;
        m_width = width;
    }

    std::uint32_t m_size = 0;
    int m_width = 1;
    std::vector<std::uint8_t> m_ones;  // a number less the base, in units; or kNoneOf
    std::vector<std::uint16_t> m_twos;
    std::vector<std::int32_t> m_wide;
    std::int64_t m_base = 0;  // in units
    // The smallest and largest number held narrow so far, in units; none yet while low > high.
    std::int64_t m_low = INT64_MAX;
    std::int64_t m_high = INT64_MIN;
};

}  // namespace horavant
