// The table layer's index of visible records: which records the grid shows (live ones, and while
// filtering only the accepted ones), for random access by row number without reading them all.
#include "store/dbf_table.h"

#include <algorithm>

namespace horavant {

void DbfTable::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (active())
        checkBrowseMode();
    m_filtered = filtered;
    resetIndex();
    if (!active())
        return;
    try {
        seekVisibleFrom(0);
    } catch (...) {
        // A filter that could not be applied is not left on for the next reader of the table.
        m_filtered = !filtered;
        resetIndex();
        throw;
    }
}

void DbfTable::setFilter(Filter filter)
{
    m_filter = std::move(filter);
    resetIndex();
}

void DbfTable::resetIndex()
{
    m_indexBuilt = false;
    m_deletedList.clear();
    m_acceptedList.clear();
}

void DbfTable::ensureIndex()
{
    requireActive();
    if (m_indexBuilt)
        return;
    m_deletedList.clear();
    m_acceptedList.clear();
    invalidateCache();  // a record deleted by another program since is seen
    extendIndex(0, m_count);
    m_indexBuilt = true;
}

void DbfTable::extendIndex(std::uint32_t from, std::uint32_t to)
{
    for (std::uint32_t r = from; r < to; ++r) {
        if (m_filtered) {
            if (accepts(r))
                m_acceptedList.push_back(r);
        } else if (recordPtr(r)[0] == dbf::kDeletedFlag) {
            m_deletedList.push_back(r);
        }
    }
}

std::size_t DbfTable::visibleCount()
{
    ensureIndex();
    return m_filtered ? m_acceptedList.size() : m_count - m_deletedList.size();
}

std::uint32_t DbfTable::visibleRecord(std::size_t n)
{
    ensureIndex();
    if (m_filtered)
        return m_acceptedList.at(n);
    // deleted[i] - i grows with i: the deleted records before the answer are those with
    // deleted[i] - i <= n.
    std::size_t lo = 0, hi = m_deletedList.size();
    while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (m_deletedList[mid] - mid <= n)
            lo = mid + 1;
        else
            hi = mid;
    }
    return static_cast<std::uint32_t>(n + lo);
}

std::optional<std::size_t> DbfTable::visibleIndexOf(std::uint32_t record)
{
    ensureIndex();
    if (m_filtered) {
        auto it = std::lower_bound(m_acceptedList.begin(), m_acceptedList.end(), record);
        if (it == m_acceptedList.end() || *it != record)
            return std::nullopt;
        return static_cast<std::size_t>(it - m_acceptedList.begin());
    }
    if (record >= m_count)
        return std::nullopt;
    auto it = std::lower_bound(m_deletedList.begin(), m_deletedList.end(), record);
    if (it != m_deletedList.end() && *it == record)
        return std::nullopt;
    return record - static_cast<std::size_t>(it - m_deletedList.begin());
}

}  // namespace horavant
