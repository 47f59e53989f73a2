// A number per record in runs, in one or two bytes, or in four.
#include "store/record_values.h"

#include <type_traits>

namespace horavant {

namespace {

constexpr std::uint32_t kBlockRecords = 4096;
// Runs are kept while they take less than half a byte a record.
constexpr std::uint64_t kRecordsPerRun = 16;
constexpr std::uint64_t kRunsToStartWith = 64;

}  // namespace

void RecordValues::finish()
{
    putInBlock();
    std::vector<std::int32_t>().swap(m_block);
}

void RecordValues::read(std::uint32_t first, std::span<std::int32_t> out) const
{
    const auto count = static_cast<std::uint32_t>(out.size());
    std::int32_t* to = out.data();
    switch (m_form) {
    case Form::Runs:
        for (std::uint32_t i = 0; i < count;) {
            const std::uint32_t record = first + i;
            std::uint32_t n = count - i;
            std::int32_t value = kNone;
            if (record < m_setEnd) {
                value = inRuns(record);
                n = std::min(n, m_foundFirst + m_foundCount - record);
            }
            std::fill_n(to + i, n, value);
            i += n;
        }
        break;
    case Form::Ones: widen(m_ones.data() + first, count, to); break;
    case Form::Twos: widen(m_twos.data() + first, count, to); break;
    case Form::Wide: std::copy_n(m_wide.begin() + first, count, to); break;
    }
    // The numbers not yet put into the form.
    const std::uint64_t blockEnd = std::uint64_t {m_blockFirst} + m_block.size();
    for (std::uint64_t r = std::max(first, m_blockFirst); r < std::min(std::uint64_t {first} + count, blockEnd); ++r)
        to[r - first] = m_block[r - m_blockFirst];
}

template <class Narrow>
Narrow RecordValues::narrowed(std::int32_t value) const
{
    const auto n = static_cast<std::uint32_t>(value) - static_cast<std::uint32_t>(m_base);
    return value == kNone ? kNoneOf<Narrow> : static_cast<Narrow>(n);
}

// Plain loops over pointers, which the compiler turns into vector instructions.
template <class Narrow>
void RecordValues::widen(const Narrow* from, std::size_t count, std::int32_t* to) const
{
    const auto base = static_cast<std::uint32_t>(m_base);
    for (std::size_t i = 0; i < count; ++i)
        to[i] = from[i] == kNoneOf<Narrow> ? kNone : static_cast<std::int32_t>(base + from[i]);
}

// False when a number lies outside the window; what was written is then to be undone.
template <class Narrow>
bool RecordValues::narrow(const std::int32_t* from, std::size_t count, Narrow* to) const
{
    const auto base = static_cast<std::uint32_t>(m_base);
    const auto low = static_cast<std::int32_t>(std::clamp<std::int64_t>(m_base, INT32_MIN, INT32_MAX));
    const auto high = static_cast<std::int32_t>(std::clamp<std::int64_t>(m_base + span(m_form), INT32_MIN, INT32_MAX));
    int outside = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t value = from[i];
        const bool none = value == kNone;
        outside |= static_cast<int>(!none) & (static_cast<int>(value < low) | static_cast<int>(value > high));
        to[i] = none ? kNoneOf<Narrow> : static_cast<Narrow>(static_cast<std::uint32_t>(value) - base);
    }
    return outside == 0;
}

void RecordValues::setOutsideBlock(std::uint32_t record, std::int32_t value)
{
    putInBlock();
    if (record < m_setEnd) {
        // Back to a record set before: on its own.
        putIn(record, &value, 1);
        return;
    }
    m_blockFirst = record;
    m_block.assign(std::min(kBlockRecords, m_size - record), kNone);
    m_block[0] = value;
}

void RecordValues::putInBlock()
{
    if (m_block.empty())
        return;
    std::vector<std::int32_t> block;
    block.swap(m_block);
    putIn(m_blockFirst, block.data(), static_cast<std::uint32_t>(block.size()));
    block.clear();
    block.swap(m_block);  // its room serves the next block
}

void RecordValues::putIn(std::uint32_t first, const std::int32_t* values, std::uint32_t count)
{
    std::uint32_t i = 0;
    if (m_form == Form::Runs) {
        // A stretch of equal numbers at a time.
        while (i < count) {
            std::uint32_t end = i + 1;
            while (end < count && values[end] == values[i])
                ++end;
            const std::uint32_t record = first + i;
            if (record == m_setEnd && !m_runs.empty() && m_runs.back().value == values[i]) {
                m_setEnd = first + end;
            } else if (record >= m_setEnd && appendRun(record, values[i])) {
                m_setEnd = first + end;
            } else {
                spread();
                break;  // this stretch and those after it go into the new form below
            }
            i = end;
        }
        if (m_form == Form::Runs)
            return;
    }
    // Mostly the numbers fit the window; else it moves, or the list widens, and they go in again.
    const std::uint32_t rest = count - i;
    const bool fits = m_form == Form::Ones   ? narrow(values + i, rest, m_ones.data() + first + i)
                      : m_form == Form::Twos ? narrow(values + i, rest, m_twos.data() + first + i)
                                             : (std::copy_n(values + i, rest, m_wide.data() + first + i), true);
    if (!fits) {
        if (m_form == Form::Ones)
            std::fill_n(m_ones.data() + first + i, rest, kNoneOf<std::uint8_t>);
        else
            std::fill_n(m_twos.data() + first + i, rest, kNoneOf<std::uint16_t>);
        std::int64_t low = INT64_MAX;
        std::int64_t high = INT64_MIN;
        for (std::uint32_t j = i; j < count; ++j) {
            if (values[j] != kNone) {
                low = std::min<std::int64_t>(low, values[j]);
                high = std::max<std::int64_t>(high, values[j]);
            }
        }
        makeRoomFor(low, high);
        for (std::uint32_t j = i; j < count; ++j)
            store(first + j, values[j]);
    }
    m_setEnd = std::max(m_setEnd, first + count);
}

bool RecordValues::appendRun(std::uint32_t record, std::int32_t value)
{
    if (record > m_setEnd)
        extendRuns(m_setEnd, kNone);  // the records passed over have no number
    extendRuns(record, value);
    m_setEnd = record + 1;
    // Judged along the way as well, so that numbers that change from record to record leave the
    // runs early, before they took much room.
    const std::uint64_t judged = std::min<std::uint64_t>(m_size, m_setEnd + kRunsToStartWith * kRecordsPerRun);
    return m_runs.size() <= judged / kRecordsPerRun;
}

void RecordValues::extendRuns(std::uint32_t record, std::int32_t value)
{
    if (m_runs.empty() || m_runs.back().value != value)
        m_runs.push_back({record, value});
}

std::int32_t RecordValues::inRuns(std::uint32_t record) const
{
    if (record >= m_setEnd)
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
    m_foundCount = (at + 1 < m_runs.size() ? m_runs[at + 1].first : m_setEnd) - m_foundFirst;
    m_foundValue = m_runs[at].value;
    return m_foundValue;
}

void RecordValues::spread()
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
        low = std::min<std::int64_t>(low, run.value);
        high = std::max<std::int64_t>(high, run.value);
    }
    if (low <= high)
        form = high - low <= span(Form::Ones) ? Form::Ones : high - low <= span(Form::Twos) ? Form::Twos : Form::Wide;
    widen(form, low, high);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::uint32_t end = i + 1 < runs.size() ? runs[i + 1].first : m_setEnd;
        for (std::uint32_t r = runs[i].first; r < end; ++r)
            store(r, runs[i].value);
    }
}

void RecordValues::store(std::uint32_t record, std::int32_t value)
{
    switch (m_form) {
    case Form::Runs: return;  // not reached: runs are made by appendRun
    case Form::Ones: m_ones[record] = narrowed<std::uint8_t>(value); return;
    case Form::Twos: m_twos[record] = narrowed<std::uint16_t>(value); return;
    case Form::Wide: m_wide[record] = value; return;
    }
}

void RecordValues::makeRoomFor(std::int64_t low, std::int64_t high)
{
    if (m_form == Form::Ones)
        heldRange(m_ones, low, high);
    else
        heldRange(m_twos, low, high);
    if (high - low > span(m_form)) {
        widen(high - low > span(Form::Twos) ? Form::Wide : Form::Twos, low, high);
        return;
    }
    const std::int64_t base = centred(m_form, low, high);
    const auto shift = [&](auto& numbers) {
        using Narrow = std::remove_reference_t<decltype(numbers[0])>;
        for (Narrow& n : numbers) {
            if (n != kNoneOf<Narrow>)
                n = static_cast<Narrow>(n + m_base - base);
        }
    };
    if (m_form == Form::Ones)
        shift(m_ones);
    else
        shift(m_twos);
    m_base = base;
}

template <class Narrow>
void RecordValues::heldRange(const std::vector<Narrow>& numbers, std::int64_t& low, std::int64_t& high) const
{
    for (const Narrow n : numbers) {
        if (n != kNoneOf<Narrow>) {
            low = std::min<std::int64_t>(low, m_base + n);
            high = std::max<std::int64_t>(high, m_base + n);
        }
    }
}

std::int64_t RecordValues::centred(Form form, std::int64_t low, std::int64_t high)
{
    // Centred on the numbers, so that the window seldom moves twice.
    return low - (span(form) - (high - low)) / 2;
}

void RecordValues::widen(Form form, std::int64_t low, std::int64_t high)
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
        for (std::uint32_t r = 0; r < m_setEnd; ++r)
            wider.store(r, (*this)[r]);
    }
    m_ones.swap(wider.m_ones);
    m_twos.swap(wider.m_twos);
    m_wide.swap(wider.m_wide);
    m_base = wider.m_base;
    m_form = form;
}

}  // namespace horavant
