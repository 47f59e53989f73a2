// Reading the rows for the working-time check.
#include "law/working_time_scan.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/work_time_fields.h"
#include "store/work_time_text.h"

#include <cstring>

namespace horavant {
namespace {

constexpr std::uint32_t kFree = 0xFFFFFFFF;

std::uint64_t mix(std::uint64_t h)
{
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 29);
}

template <class Word>
Word load(const char* p)
{
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Up to eight bytes as one number, with fixed-size loads that stay within the bytes.
std::uint64_t smallWord(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    const char* p = bytes.data();
    if (n >= 4)
        return load<std::uint32_t>(p) | std::uint64_t {load<std::uint32_t>(p + n - 4)} << ((n - 4) * 8);
    std::uint64_t w = 0;
    for (std::size_t i = 0; i < n; ++i)
        w |= std::uint64_t {static_cast<std::uint8_t>(p[i])} << (i * 8);
    return w;
}

std::uint64_t hashBytes(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    std::uint64_t h = 0x9E3779B97F4A7C15ull * (n + 1);
    if (n <= 8)
        return mix(h ^ smallWord(bytes));
    std::size_t i = 0;
    for (; i + 8 < n; i += 8)
        h = mix(h ^ load<std::uint64_t>(bytes.data() + i));
    // The last eight bytes, overlapping the words already taken.
    return mix(h ^ load<std::uint64_t>(bytes.data() + n - 8));
}

}  // namespace

RowReader::RowReader(DbfTable& table, std::optional<std::u16string_view> employee, const Regional& regional)
    : m_table(table),
      m_regional(regional),
      m_timeSeparator(regional.timeSeparator < 0x80 ? static_cast<char>(regional.timeSeparator) : ':'),
      m_all(!employee)
{
    if (employee) {
        // A name the code page cannot hold is in no row.
        m_wanted = cp1252::encode(*employee);
        m_wantedStorable = cp1252::decode(m_wanted) == *employee;
        m_names.emplace_back(*employee);
    } else {
        m_slots.assign(64, kFree);
    }
}

void RowReader::placeFields()
{
    // Asked on the first row, so that a table without rows is checked as before: a table
    // missing a field fails here as reading that field would.
    const auto place = [&](int index) {
        const FieldInfo& f = m_table.field(index);
        return Field {static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width),
                      f.type == FieldType::Logical};
    };
    m_employee = place(workfield::kEmployee);
    m_date = place(workfield::kDate);
    m_from = place(workfield::kFrom);
    m_to = place(workfield::kTo);
    m_break = place(workfield::kBreak);
    m_double = place(workfield::kDouble);
    m_remarks = place(workfield::kRemarks);
    m_placed = true;
}

std::uint32_t RowReader::employeeLookedUp(std::string_view name)
{
    const std::uint32_t found = employeeOfAll(name);
    if (m_lastEmployee != kOther)
        m_successor[m_lastEmployee] = found;
    return m_lastEmployee = found;
}

void RowReader::knowEmployees(const std::vector<std::u16string>& names)
{
    for (const std::u16string& name : names)
        employeeOfAll(cp1252::encode(name));
}

std::uint32_t RowReader::employeeOfAll(std::string_view bytes)
{
    const std::uint64_t h = hashBytes(bytes);
    std::size_t mask = m_slots.size() - 1;
    std::size_t i = h & mask;
    while (m_slots[i] != kFree) {
        const std::uint32_t known = m_slots[i];
        if (m_nameHashes[known] == h && sameBytes(m_nameBytes[known], bytes))
            return known;
        i = (i + 1) & mask;
    }
    const auto added = static_cast<std::uint32_t>(m_names.size());
    m_slots[i] = added;
    m_names.push_back(cp1252::decode(bytes));
    m_nameBytes.emplace_back(bytes);
    m_nameHashes.push_back(h);
    m_successor.push_back(kOther);
    if (m_names.size() * 2 > m_slots.size()) {
        // At most half full.
        m_slots.assign(m_slots.size() * 2, kFree);
        mask = m_slots.size() - 1;
        for (std::uint32_t n = 0; n < m_nameHashes.size(); ++n) {
            std::size_t j = m_nameHashes[n] & mask;
            while (m_slots[j] != kFree)
                j = (j + 1) & mask;
            m_slots[j] = n;
        }
    }
    return added;
}

std::optional<std::chrono::sys_days> RowReader::dateRead(std::string_view text)
{
    m_lastDate.assign(text);
    cp1252::decodeInto(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), m_text);
    m_lastDay = readStoredDate(m_text, m_regional);
    m_dateKnown = true;
    return m_lastDay;
}

std::int32_t RowReader::timeRead(std::string_view bytes)
{
    const auto read = [&] {
        cp1252::decodeInto(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), m_text);
        const auto ms = readStoredTime(m_text, m_regional);
        return ms ? static_cast<std::int32_t>(*ms) : -1;
    };
    if (bytes.size() > sizeof(std::uint64_t))
        return read();
    const std::uint64_t word = smallWord(bytes);
    TimeEntry& e = m_times[(word * 0x9E3779B97F4A7C15ull) >> 54];
    if (e.used && e.bytes == word && e.length == bytes.size())
        return e.value;
    e = TimeEntry {word, read(), static_cast<std::uint8_t>(bytes.size()), true};
    return e.value;
}

std::int32_t RowReader::endOfDayRead(std::string_view bytes)
{
    // Only texts that are no time of day come here, which is rare: they are not kept.
    cp1252::decodeInto(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), m_text);
    const auto ms = readStoredEndTime(m_text, m_regional);
    return ms ? static_cast<std::int32_t>(*ms) : -1;
}

ListedRow RowReader::storedTexts() const
{
    return {m_table.fieldText(workfield::kDate), m_table.fieldText(workfield::kFrom), m_table.fieldText(workfield::kTo),
            m_table.fieldText(workfield::kBreak)};
}

}  // namespace horavant
