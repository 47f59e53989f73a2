// The distinct texts of a field of the work-time table: the suggestion lists and the evaluations'
// subjects both gather them.
#include "store/distinct_texts.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace horavant {

namespace {

// A quick hash of a field's stored bytes, eight at a time.
std::uint64_t hashBytes(std::string_view bytes)
{
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    }
    std::uint64_t tail = 0;
    if (i < bytes.size() && bytes.size() >= 8) {
        // The last eight bytes, overlapping the words already taken.
        std::memcpy(&tail, bytes.data() + bytes.size() - 8, sizeof tail);
    } else {
        for (; i < bytes.size(); ++i)
            tail = tail << 8 | static_cast<std::uint8_t>(bytes[i]);
    }
    // Every input bit reaches the low bits, which pick the slot.
    h = (h ^ tail) * 0x94D049BB133111EBull;
    h ^= h >> 32;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 29);
}

// The texts of one field met so far. Texts are told apart by their stored bytes (decoding is one
// to one), so only the first row of each text is decoded. An open-addressed index over the texts
// found so far, instead of a search through the list: the same list in the same order, without
// the time growing with the number of distinct texts.
class DistinctTexts {
public:
    explicit DistinctTexts(int position) : m_position(position) {}

    // The index of the current record's text in the list.
    std::uint32_t take(const DbfTable& table)
    {
        const std::string_view bytes = table.fieldBytes(m_position);
        // Neighbouring rows often repeat a text; that costs one comparison instead of a hash.
        if (m_last != kFree && sameBytes(bytes, m_bytesFound[m_last]))
            return m_last;
        const std::uint64_t h = hashBytes(bytes);
        const std::size_t mask = m_slots.size() - 1;
        std::size_t i = h & mask;
        while (m_slots[i] != kFree && (m_hashes[m_slots[i]] != h || !sameBytes(m_bytesFound[m_slots[i]], bytes)))
            i = (i + 1) & mask;
        if (m_slots[i] != kFree) {
            m_last = m_slots[i];
            return m_last;
        }
        m_last = static_cast<std::uint32_t>(m_bytesFound.size());
        m_slots[i] = m_last;
        m_bytesFound.emplace_back(bytes);
        m_hashes.push_back(h);
        m_found.push_back(cp1252::decode(bytes));
        if (m_bytesFound.size() * 2 > m_slots.size())
            grow();
        return m_last;
    }

    std::vector<std::u16string> release() { return std::move(m_found); }

private:
    static constexpr std::uint32_t kFree = 0xFFFFFFFF;

    // Keeps the index at most half full.
    void grow()
    {
        m_slots.assign(m_slots.size() * 2, kFree);
        for (std::uint32_t t = 0; t < m_hashes.size(); ++t) {
            std::size_t j = m_hashes[t] & (m_slots.size() - 1);
            while (m_slots[j] != kFree)
                j = (j + 1) & (m_slots.size() - 1);
            m_slots[j] = t;
        }
    }

    int m_position;
    std::vector<std::string> m_bytesFound;
    std::vector<std::uint64_t> m_hashes;  // of m_bytesFound, one to one
    std::vector<std::uint32_t> m_slots = std::vector<std::uint32_t>(64, kFree);
    std::vector<std::u16string> m_found;
    std::uint32_t m_last = kFree;
};

}  // namespace

std::vector<std::u16string> collectDistinctTexts(DbfTable& table, int position)
{
    return std::move(collectDistinctTexts(table, std::vector<int> {position}).front());
}

std::vector<std::vector<std::u16string>> collectDistinctTexts(DbfTable& table, const std::vector<int>& positions,
                                                              const std::function<void(const DbfTable&)>& alsoEach)
{
    std::vector<DistinctTexts> fields(positions.begin(), positions.end());
    if (fields.empty() && !alsoEach)
        return {};
    table.takeInAppended();
    for (table.First(); !table.Eof(); table.Next()) {
        for (DistinctTexts& f : fields)
            f.take(table);
        if (alsoEach)
            alsoEach(table);
    }
    std::vector<std::vector<std::u16string>> found;
    for (DistinctTexts& f : fields)
        found.push_back(f.release());
    return found;
}

DistinctTextRows collectDistinctTextRows(DbfTable& table, int position,
                                         const std::function<void(const DbfTable&)>& alsoEach)
{
    table.takeInAppended();
    DistinctTextRows rows;
    rows.file = table.fileStamp();
    rows.records = table.physicalCount();
    rows.textOfRecord = RecordValues(rows.records);
    DistinctTexts field(position);
    for (table.First(); !table.Eof(); table.Next()) {
        const std::uint32_t text = field.take(table);
        if (text <= INT32_MAX)
            rows.textOfRecord.set(table.recNo(), static_cast<std::int32_t>(text));
        else
            rows.complete = false;
        if (alsoEach)
            alsoEach(table);
    }
    rows.textOfRecord.finish();
    rows.texts = field.release();
    return rows;
}

DatedTextRows collectDatedTextRows(DbfTable& table, int position, const Regional& regional)
{
    table.takeInAppended();
    DatedTextRows rows;
    rows.dayOfRecord = RecordValues(table.physicalCount());
    StoredDays days(regional);
    rows.subjects = collectDistinctTextRows(table, position, [&](const DbfTable& t) {
        rows.dayOfRecord.set(t.recNo(), days.of(t.fieldBytes(workfield::kDate)));
    });
    rows.dayOfRecord.finish();
    return rows;
}

std::optional<std::vector<std::uint32_t>> DatedTextRows::recordsOf(const DbfTable& table, std::u16string_view text,
                                                                   std::chrono::sys_days from,
                                                                   std::chrono::sys_days to) const
{
    if (!subjects.stillCurrent(table) || dayOfRecord.size() != subjects.records)
        return std::nullopt;
    const auto at = std::find(subjects.texts.begin(), subjects.texts.end(), text);
    std::vector<std::uint32_t> found;
    if (at == subjects.texts.end())
        return found;
    const auto wanted = static_cast<std::int32_t>(at - subjects.texts.begin());
    const auto first = static_cast<std::int32_t>(from.time_since_epoch().count());
    const auto last = static_cast<std::int32_t>(to.time_since_epoch().count());
    forEachRecord(
        subjects.records,
        [&](std::uint32_t r, std::int32_t t, std::int32_t day) {
            if (t == wanted && (day == kNoDay || (day >= first && day <= last)))
                found.push_back(r);
        },
        subjects.textOfRecord, dayOfRecord);
    if (!subjects.fewEnough(found.size()))
        return std::nullopt;
    return found;
}

bool DistinctTextRows::stillCurrent(const DbfTable& table) const
{
    return complete && file && table.physicalCount() == records && table.fileStamp() == file;
}

}  // namespace horavant
