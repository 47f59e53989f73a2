// The table layer's reading: the read cache of record blocks, the current record, and the cursor
// over the visible records.
#include "store/dbf_table.h"

#include "store/dbf_table_internal.h"
#include "store/error.h"

#include <algorithm>
#include <functional>

namespace horavant {

const std::uint8_t* DbfTable::recordPtr(std::uint32_t record)
{
    if (std::uint8_t* cached = cachedRecord(record))
        return cached;
    const std::uint32_t perBlock = std::max<std::uint32_t>(1, dbf::kCacheBytes / m_recordLength);
    const std::uint32_t first = record / perBlock * perBlock;
    const std::uint32_t n = std::min(perBlock, m_count - first);
    const std::size_t bytes = static_cast<std::size_t>(n) * m_recordLength;
    if (viewsCache())
        keepCurrent();
    m_cache.resize(dbf::kCopyAlignment + bytes + dbf::kReadSlack);
    m_cacheCount = 0;
    // The kernel copies from the page cache several times faster when the buffer lies at the
    // same offset within a cache line as the file position (and far slower when it lies a few
    // bytes beyond it), so the block is placed to match.
    const std::uint64_t offset = recordOffset(first);
    const auto misalignment = [](std::uint64_t at) { return static_cast<std::size_t>(at % dbf::kCopyAlignment); };
    m_cacheData = m_cache.data()
        + (dbf::kCopyAlignment - misalignment(reinterpret_cast<std::uintptr_t>(m_cache.data())) + misalignment(offset)) % dbf::kCopyAlignment;
    const long long got = readFullyAt(m_fd.get(), m_cacheData, bytes, offset);
    if (got != static_cast<long long>(bytes))
        throw Error(dbf::readErrorText(path()));
    m_cacheFirst = first;
    m_cacheCount = n;
    return m_cacheData + static_cast<std::size_t>(record - first) * m_recordLength;
}

std::uint8_t* DbfTable::cachedRecord(std::uint32_t record) const
{
    if (record < m_cacheFirst || record - m_cacheFirst >= m_cacheCount)
        return nullptr;
    return m_cacheData + static_cast<std::size_t>(record - m_cacheFirst) * m_recordLength;
}

void DbfTable::storeInCache(std::uint32_t record, const std::uint8_t* bytes)
{
    if (std::uint8_t* cached = cachedRecord(record))
        std::copy(bytes, bytes + m_recordLength, cached);
}

bool DbfTable::viewsCache() const
{
    const std::less<const std::uint8_t*> before;
    return !before(m_view.data(), m_cache.data()) && before(m_view.data(), m_cache.data() + m_cache.size());
}

std::span<const std::uint8_t> DbfTable::cachedView(const std::uint8_t* record) const
{
    return {record, static_cast<std::size_t>(m_cache.data() + m_cache.size() - record)};
}

void DbfTable::viewCurrent()
{
    m_view = std::span(m_current);
}

void DbfTable::keepCurrent()
{
    if (m_view.data() != m_current.data()) {
        std::copy_n(m_view.data(), m_recordLength, m_current.begin());
        viewCurrent();
    }
}

void DbfTable::loadCurrent(std::uint32_t record)
{
    m_view = cachedView(recordPtr(record));
}

bool DbfTable::accepts(std::uint32_t record)
{
    const std::uint8_t* p = recordPtr(record);
    if (p[0] == dbf::kDeletedFlag)
        return false;
    if (!m_filtered || !m_filter)
        return true;
    // The filter reads a copy of the candidate through the field getters without touching the
    // current record or an edit buffer. It may read other records and so move the cache on,
    // which leaves both copies alone.
    if (viewsCache())
        keepCurrent();
    std::copy_n(p, m_recordLength, m_candidate.begin());
    const std::span<const std::uint8_t> saved = m_view;
    m_view = std::span(m_candidate);
    bool ok = false;
    try {
        ok = m_filter(*this);
    } catch (...) {
        m_view = saved;
        throw;
    }
    m_view = saved;
    return ok;
}

void DbfTable::seekVisibleFrom(std::uint32_t record)
{
    for (std::uint32_t r = record; r < m_count; ++r) {
        const std::uint8_t* p = recordPtr(r);
        if (p[0] == dbf::kDeletedFlag)
            continue;
        if (m_filtered && m_filter) {
            if (!accepts(r))
                continue;
            p = recordPtr(r);  // the filter may have read other records into the cache
        }
        m_pos = r;
        m_view = cachedView(p);
        return;
    }
    m_pos = m_count;
}

void DbfTable::checkBrowseMode()
{
    if (m_state == TableState::Edit || m_state == TableState::Insert)
        Post();
}

void DbfTable::First()
{
    requireActive();
    checkBrowseMode();
    seekVisibleFrom(0);
}

void DbfTable::Next()
{
    requireActive();
    // Most steps go to the next live record of the same cache block; that path saves no
    // registers and calls nothing.
    if (m_state == TableState::Browse && m_pos < m_count && !(m_filtered && m_filter)) {
        const std::uint8_t* p = cachedRecord(m_pos + 1);
        if (p && p[0] != dbf::kDeletedFlag) {
            ++m_pos;
            m_view = cachedView(p);
            return;
        }
    }
    stepOn();
}

void DbfTable::stepOn()
{
    checkBrowseMode();
    if (m_pos < m_count)
        seekVisibleFrom(m_pos + 1);
}

bool DbfTable::gotoRecord(std::uint32_t record)
{
    requireActive();
    checkBrowseMode();
    if (record >= m_count || recordPtr(record)[0] == dbf::kDeletedFlag)
        return false;
    m_pos = record;
    loadCurrent(record);
    return true;
}

std::span<const std::uint8_t> DbfTable::peekRecord(std::uint32_t record)
{
    requireActive();
    if (record >= m_count)
        throw Error(dbf::kEmpty);
    return std::span(recordPtr(record), m_recordLength);
}

}  // namespace horavant
