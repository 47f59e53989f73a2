// One whole number per record of a table, noted by a scan for a later pass that visits only some
// records: in runs of equal numbers, or in one or two bytes a record, where the numbers allow it.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace horavant {

// A number per record, held as compactly as the numbers allow:
// - as runs of records with the same number while there are few runs (a table's rows come mostly
//   in date order, so its days form a few runs of hundreds of records);
// - else in one byte a record while all lie within 254 of each other (the index of an employee
//   among a few hundred), in two bytes while they lie within 65,534 (the days of a table): on ten
//   million records 10 or 20 MB instead of 40;
// - else in four bytes a record.
// A number that does not fit makes the list take the next form, once for each form. The window of
// the narrow numbers is centred on the numbers held and moves while they still fit into one.
// Numbers set in record order (as a scan sets them) gather in a block of plain numbers that goes
// into that form a block at a time; finish() puts in the last block. Reading is the same before
// and after; a pass over many records reads them a block at a time (forEachRecord). Reading
// remembers the run it found, so it is not for readers on several threads at once.
class RecordValues {
public:
    static constexpr std::int32_t kNone = INT32_MIN;  // a record without a number

    RecordValues() = default;
    // `records` records without a number.
    explicit RecordValues(std::uint32_t records) : m_size(records) {}

    // Callers pass record < size().
    void set(std::uint32_t record, std::int32_t value)
    {
        const std::uint32_t at = record - m_blockFirst;
        if (at < m_block.size()) {
            m_block[at] = value;
            return;
        }
        setOutsideBlock(record, value);
    }
    // Puts the numbers of the last block into their form and lets the block go.
    void finish();
    std::int32_t operator[](std::uint32_t record) const
    {
        const std::uint32_t at = record - m_blockFirst;
        if (at < m_block.size())
            return m_block[at];
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
    // The numbers of the records from `first` on, as many as `out` holds (callers keep within
    // size()): a pass over many records reads them a block at a time, quicker than one by one.
    void read(std::uint32_t first, std::span<std::int32_t> out) const;
    std::uint32_t size() const { return m_size; }
    // The bytes the list holds.
    std::size_t bytesHeld() const
    {
        return m_block.capacity() * 4 + m_runs.capacity() * sizeof(Run) + m_ones.capacity() + m_twos.capacity() * 2
               + m_wide.capacity() * 4;
    }

private:
    enum class Form { Runs, Ones, Twos, Wide };
    struct Run {
        std::uint32_t first;  // the run lasts until the next one's first record
        std::int32_t value;
    };

    template <class Narrow>
    static constexpr Narrow kNoneOf = static_cast<Narrow>(~Narrow {0});
    // The largest distance two numbers of a narrow form may have.
    static constexpr std::int64_t span(Form form) { return form == Form::Ones ? 0xFE : 0xFFFE; }

    template <class Narrow>
    std::int32_t widened(Narrow n) const
    {
        // In 32 bits, wrapping: every number held is a 32-bit one.
        const auto value = static_cast<std::uint32_t>(m_base) + std::uint32_t {n};
        return n == kNoneOf<Narrow> ? kNone : static_cast<std::int32_t>(value);
    }
    template <class Narrow>
    Narrow narrowed(std::int32_t value) const;
    template <class Narrow>
    void widen(const Narrow* from, std::size_t count, std::int32_t* to) const;
    template <class Narrow>
    bool narrow(const std::int32_t* from, std::size_t count, Narrow* to) const;

    void setOutsideBlock(std::uint32_t record, std::int32_t value);
    void putInBlock();
    void putIn(std::uint32_t first, const std::int32_t* values, std::uint32_t count);
    bool appendRun(std::uint32_t record, std::int32_t value);
    void extendRuns(std::uint32_t record, std::int32_t value);
    std::int32_t inRuns(std::uint32_t record) const;
    void spread();
    void store(std::uint32_t record, std::int32_t value);
    void makeRoomFor(std::int64_t low, std::int64_t high);
    template <class Narrow>
    void heldRange(const std::vector<Narrow>& numbers, std::int64_t& low, std::int64_t& high) const;
    static std::int64_t centred(Form form, std::int64_t low, std::int64_t high);
    void widen(Form form, std::int64_t low, std::int64_t high);

    std::uint32_t m_size = 0;
    Form m_form = Form::Runs;
    std::uint32_t m_setEnd = 0;  // records from here on have not been put in
    // The numbers being set, of records from m_blockFirst on.
    std::vector<std::int32_t> m_block;
    std::uint32_t m_blockFirst = 0;
    std::vector<Run> m_runs;
    // The run read last: its place, records and number.
    mutable std::size_t m_foundAt = 0;
    mutable std::uint32_t m_foundFirst = 0;
    mutable std::uint32_t m_foundCount = 0;
    mutable std::int32_t m_foundValue = kNone;
    std::vector<std::uint8_t> m_ones;  // a number less the base, or kNoneOf
    std::vector<std::uint16_t> m_twos;
    std::vector<std::int32_t> m_wide;
    std::int64_t m_base = 0;
};

// Calls each(record, number, ...) for the records below `records` with their number in each of
// `lists`, read a block at a time.
template <class Each, class... Lists>
void forEachRecord(std::uint32_t records, Each&& each, const Lists&... lists)
{
    constexpr std::uint32_t kBlock = 4096;
    std::array<std::array<std::int32_t, kBlock>, sizeof...(Lists)> numbers;
    for (std::uint32_t first = 0, count = 0; first < records; first += count) {
        count = std::min(kBlock, records - first);
        [&]<std::size_t... List>(std::index_sequence<List...>)
        {
            (lists.read(first, std::span(numbers[List].data(), count)), ...);
            for (std::uint32_t i = 0; i < count; ++i)
                each(first + i, numbers[List][i]...);
        }
        (std::index_sequence_for<Lists...>());
    }
}

}  // namespace horavant
