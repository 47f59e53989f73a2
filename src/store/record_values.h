// One whole number per record of a table, noted by a scan for a later pass that visits only some
// records: in runs of equal numbers, or in one or two bytes a record, where the numbers allow it.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace horavant {

// A number per record, held as compactly as the numbers allow:
// - as runs of records with the same number while there are few runs (a table's rows come mostly
//   in date order, so its days form a few runs of hundreds of records), set in record order;
// - else in one byte a record while every number is a multiple of Unit and all lie within 254
//   units of each other (the index of an employee among a few hundred), in two bytes while they
//   lie within 65,534 units (the days of a table, worked times in minutes): on ten million records
//   10 or 20 MB instead of 40;
// - else in four bytes a record.
// A number that does not fit makes the list take the next form, once for each form. The window of
// the narrow numbers is centred on the numbers held and moves while they still fit into one.
// Reading remembers the run it found, so a pass in record order is about as quick as over an
// array; it is not for readers on several threads at once.
template <std::int32_t Unit = 1>
class RecordValues {
    static_assert(Unit > 0);

public:
    static constexpr std::int32_t kNone = INT32_MIN;  // a record without a number

    RecordValues() = default;
    // `records` records without a number.
    explicit RecordValues(std::uint32_t records) : m_size(records) {}

    // Callers pass record < size().
    void set(std::uint32_t record, std::int32_t value)
    {
        switch (m_form) {
        case Form::Runs:
            // Mostly the run goes on.
            if (record == m_runsEnd && !m_runs.empty() && m_runs.back().value == value) {
                m_runsEnd = record + 1;
                return;
            }
            break;
        case Form::Ones:
            if (const auto n = narrowed(value, span(Form::Ones))) {
                m_ones[record] = static_cast<std::uint8_t>(*n);
                return;
            }
            break;
        case Form::Twos:
            if (const auto n = narrowed(value, span(Form::Twos))) {
                m_twos[record] = static_cast<std::uint16_t>(*n);
                return;
            }
            break;
        case Form::Wide: m_wide[record] = value; return;
        }
        setOtherwise(record, value);
    }
    std::int32_t operator[](std::uint32_t record) const
    {
        switch (m_form) {
        case Form::Runs:
            if (record - m_foundFirst < m_foundCount)
                return m_foundValue;
            return inRuns(record);
        case Form::Ones: return widened(m_ones[record]);
        case Form::Twos: return widened(m_twos[record]);
        case Form::Wide: break;
        }
        return m_wide[record];
    }
    std::uint32_t size() const { return m_size; }
    // The bytes the list holds.
    std::size_t bytesHeld() const
    {
        return m_runs.capacity() * sizeof(Run) + m_ones.capacity() + m_twos.capacity() * 2 + m_wide.capacity() * 4;
    }

private:
    enum class Form { Runs, Ones, Twos, Wide };
    struct Run {
        std::uint32_t first;  // the run lasts until the next one's first record
        std::int32_t value;
    };
    // Runs are kept while they take less than half a byte a record.
    static constexpr std::uint64_t kRecordsPerRun = 16;
    static constexpr std::uint64_t kRunsToStartWith = 64;

    template <class Narrow>
    static constexpr Narrow kNoneOf = static_cast<Narrow>(~Narrow {0});
    // The largest distance two numbers of a narrow form may have, in units.
    static constexpr std::int64_t span(Form form) { return form == Form::Ones ? 0xFE : 0xFFFE; }

    // The value's place in the window, if it has one there (a multiple of the unit within it).
    std::optional<std::uint32_t> narrowed(std::int32_t value, std::int64_t span) const
    {
        const std::int64_t offset = std::int64_t {value} - m_baseValue;
        const std::int64_t units = offset / Unit;
        if (offset < 0 || units > span || units * Unit != offset)
            return std::nullopt;
        return static_cast<std::uint32_t>(units);
    }
    template <class Narrow>
    std::int32_t widened(Narrow n) const
    {
        // In 32 bits, wrapping: every number held is a 32-bit one.
        const std::uint32_t value = static_cast<std::uint32_t>(m_baseValue) + std::uint32_t {n} * std::uint32_t {Unit};
        return n == kNoneOf<Narrow> ? kNone : static_cast<std::int32_t>(value);
    }

    // Everything but the common cases of set().
    [[gnu::noinline]] void setOtherwise(std::uint32_t record, std::int32_t value)
    {
        if (m_form == Form::Runs) {
            if (record >= m_runsEnd && appendRun(record, value))
                return;
            spread();
        }
        if (m_form != Form::Wide && value != kNone) {
            if (value % Unit != 0)
                widen(Form::Wide, 0, 0);
            else if (!narrowed(value, span(m_form)))
                makeRoomFor(value / Unit);
        }
        store(record, value);
    }
    void store(std::uint32_t record, std::int32_t value)
    {
        switch (m_form) {
        case Form::Runs: return;  // not reached: runs are made by appendRun
        case Form::Ones: m_ones[record] = encode<std::uint8_t>(value); return;
        case Form::Twos: m_twos[record] = encode<std::uint16_t>(value); return;
        case Form::Wide: m_wide[record] = value; return;
        }
    }
    template <class Narrow>
    Narrow encode(std::int32_t value) const
    {
        return value == kNone ? kNoneOf<Narrow> : static_cast<Narrow>(value / Unit - m_base);
    }

    // Runs: false when there are too many.
    bool appendRun(std::uint32_t record, std::int32_t value)
    {
        if (record > m_runsEnd)
            extendRuns(m_runsEnd, kNone);  // the records passed over have no number
        extendRuns(record, value);
        m_runsEnd = record + 1;
        // Judged along the way as well, so that numbers that change from record to record leave
        // the runs early, before they took much room.
        const std::uint64_t judged = std::min<std::uint64_t>(m_size, m_runsEnd + kRunsToStartWith * kRecordsPerRun);
        return m_runs.size() <= judged / kRecordsPerRun;
    }
    void extendRuns(std::uint32_t record, std::int32_t value)
    {
        if (m_runs.empty() || m_runs.back().value != value)
            m_runs.push_back({record, value});
    }
    std::int32_t inRuns(std::uint32_t record) const
    {
        if (record >= m_runsEnd)
            return kNone;
        // The run after the one found before, or else the one a search finds.
        std::size_t at = m_foundAt + 1;
        if (at >= m_runs.size() || record < m_runs[at].first
            || (at + 1 < m_runs.size() && record >= m_runs[at + 1].first)) {
            const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), record,
                                                [](std::uint32_t r, const Run& run) { return r < run.first; });
            at = static_cast<std::size_t>(after - m_runs.begin()) - 1;
        }
        m_foundAt = at;
        m_foundFirst = m_runs[at].first;
        m_foundCount = (at + 1 < m_runs.size() ? m_runs[at + 1].first : m_runsEnd) - m_foundFirst;
        m_foundValue = m_runs[at].value;
        return m_foundValue;
    }
    // From runs to numbers per record, in the narrowest form that holds them all.
    void spread()
    {
        std::vector<Run> runs;
        runs.swap(m_runs);
        m_foundCount = 0;
        Form form = Form::Ones;
        std::int64_t low = INT64_MAX;
        std::int64_t high = INT64_MIN;
        for (const Run& run : runs) {
            if (run.value == kNone)
                continue;
            if (run.value % Unit != 0)
                form = Form::Wide;
            low = std::min<std::int64_t>(low, run.value / Unit);
            high = std::max<std::int64_t>(high, run.value / Unit);
        }
        if (form != Form::Wide && low <= high)
            form = high - low <= span(Form::Ones)   ? Form::Ones
                   : high - low <= span(Form::Twos) ? Form::Twos
                                                    : Form::Wide;
        widen(form, low, high);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            const std::uint32_t end = i + 1 < runs.size() ? runs[i + 1].first : m_runsEnd;
            for (std::uint32_t r = runs[i].first; r < end; ++r)
                store(r, runs[i].value);
        }
    }

    // Moves the window so that it holds `units` as well as the numbers held, or widens the list.
    void makeRoomFor(std::int64_t units)
    {
        std::int64_t low = units;
        std::int64_t high = units;
        if (m_form == Form::Ones)
            heldRange(m_ones, low, high);
        else
            heldRange(m_twos, low, high);
        if (high - low > span(m_form)) {
            widen(high - low > span(Form::Twos) ? Form::Wide : Form::Twos, low, high);
            return;
        }
        const std::int64_t base = centred(m_form, low, high);
        if (m_form == Form::Ones)
            shift(m_ones, m_base - base);
        else
            shift(m_twos, m_base - base);
        setBase(base);
    }
    template <class Narrow>
    void heldRange(const std::vector<Narrow>& numbers, std::int64_t& low, std::int64_t& high) const
    {
        for (const Narrow n : numbers) {
            if (n != kNoneOf<Narrow>) {
                low = std::min<std::int64_t>(low, m_base + n);
                high = std::max<std::int64_t>(high, m_base + n);
            }
        }
    }
    void setBase(std::int64_t base)
    {
        m_base = base;
        m_baseValue = base * Unit;
    }
    // Centred on the numbers, so that the window seldom moves twice.
    static std::int64_t centred(Form form, std::int64_t low, std::int64_t high)
    {
        return low - (span(form) - (high - low)) / 2;
    }
    template <class Narrow>
    static void shift(std::vector<Narrow>& numbers, std::int64_t by)
    {
        for (Narrow& n : numbers) {
            if (n != kNoneOf<Narrow>)
                n = static_cast<Narrow>(n + by);
        }
    }
    // To `form`, the numbers held so far kept; low..high is what a narrow window is to hold.
    void widen(Form form, std::int64_t low, std::int64_t high)
    {
        RecordValues wider;
        wider.m_size = m_size;
        wider.m_form = form;
        switch (form) {
        case Form::Runs: break;
        case Form::Ones: wider.m_ones.assign(m_size, kNoneOf<std::uint8_t>); break;
        case Form::Twos: wider.m_twos.assign(m_size, kNoneOf<std::uint16_t>); break;
        case Form::Wide: wider.m_wide.assign(m_size, kNone); break;
        }
        wider.m_base = low <= high && form != Form::Wide ? centred(form, low, high) : 0;
        if (m_form != Form::Runs) {
            for (std::uint32_t r = 0; r < m_size; ++r)
                wider.store(r, (*this)[r]);
        }
        m_ones.swap(wider.m_ones);
        m_twos.swap(wider.m_twos);
        m_wide.swap(wider.m_wide);
        setBase(wider.m_base);
        m_form = form;
    }

    std::uint32_t m_size = 0;
    Form m_form = Form::Runs;
    std::vector<Run> m_runs;
    std::uint32_t m_runsEnd = 0;  // records from here on have no number yet
    // The run read last: its place, records and number.
    mutable std::size_t m_foundAt = 0;
    mutable std::uint32_t m_foundFirst = 0;
    mutable std::uint32_t m_foundCount = 0;
    mutable std::int32_t m_foundValue = kNone;
    std::vector<std::uint8_t> m_ones;  // a number less the base, in units; or kNoneOf
    std::vector<std::uint16_t> m_twos;
    std::vector<std::int32_t> m_wide;
    std::int64_t m_base = 0;  // in units
    std::int64_t m_baseValue = 0;  // m_base * Unit
};

}  // namespace horavant
