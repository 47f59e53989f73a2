// The table layer's reading: the read cache of record blocks, the current record, and the cursor
// over the visible records.
#include "store/dbf_table.h"

#include "store/dbf_table_internal.h"
#include "store/error.h"
#include "store/read_ahead.h"

#include <algorithm>
#include <functional>

namespace horavant {

void DbfTable::keepViewsOutOfBlock()
{
    const auto inBlock = [this](std::span<const std::uint8_t> view) {
        const std::less<const std::uint8_t*> before;
        return !before(view.data(), m_blockBegin) && before(view.data(), m_blockLimit);
    };
    // Browsing reads the current record in place in the block; it is copied out only here, when
    // the block is about to move on, or for an edit.
    if (m_judging) {
        // A filter moves the block on while it judges a record in place: the candidate and the
        // current record go to their own buffers first.
        if (inBlock(m_view)) {
            std::copy_n(m_view.data(), m_recordLength, m_candidate.begin());
            m_view = std::span(m_candidate);
        }
        if (inBlock(m_judgedFrom)) {
            std::copy_n(m_judgedFrom.data(), m_recordLength, m_current.begin());
            m_judgedFrom = std::span(m_current);
        }
    } else if (inBlock(m_view)) {
        keepCurrent();
    }
}

const std::uint8_t* DbfTable::loadBlock(std::uint32_t record)
{
    keepViewsOutOfBlock();
    // A scan that goes on from one block to the next reads ever larger blocks, up to
    // kBlockBytes; so does a visit of chosen records in their order, as long as its next record
    // lies in the block a scan would read next. A look elsewhere reads a small one around its record.
    const auto perBlock = [this](std::size_t bytes) {
        return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(bytes / m_recordLength));
    };
    const std::uint32_t end = m_blockFirst + m_blockCount;
    const std::size_t onwardBytes = std::min(2 * m_blockBytes, dbf::kBlockBytes);
    const bool onward = m_blockCount != 0 && record >= end && record - end < perBlock(onwardBytes);
    m_blockBytes = onward ? onwardBytes : dbf::kFirstBlockBytes;
    m_blockCount = 0;
    const std::uint32_t first = onward ? end : record / perBlock(m_blockBytes) * perBlock(m_blockBytes);
    const std::uint32_t n = std::min(perBlock(m_blockBytes), m_count - first);
    const std::size_t bytes = static_cast<std::size_t>(n) * m_recordLength;
    std::uint8_t* data = takeReadAhead(first, n);
    if (!data) {
        data = placeBlock(m_cache, m_cacheSize, first, n);
        // A file cut short by another program since it was counted reads short: a failed read.
        if (readFullyAt(m_fd.get(), data, bytes, recordOffset(first)) != static_cast<long long>(bytes))
            throw Error(dbf::readErrorText(path()));
    }
    std::fill_n(data + bytes, dbf::kReadSlack, std::uint8_t {0});
    m_blockData = data;
    m_blockBegin = data;
    m_blockLimit = data + bytes + dbf::kReadSlack;
    m_blockFirst = first;
    m_blockCount = n;
    // A scan's next block is read while this one is decoded.
    const std::uint32_t next = first + n;
    if (onward && next < m_count)
        readAhead(next, std::min(perBlock(std::min(2 * m_blockBytes, dbf::kBlockBytes)), m_count - next));
    return data + static_cast<std::size_t>(record - first) * m_recordLength;
}

std::uint8_t* DbfTable::placeBlock(std::unique_ptr<std::uint8_t[]>& buffer, std::size_t& size, std::uint32_t first,
                                   std::uint32_t n)
{
    const std::size_t needed = dbf::kCopyAlignment + static_cast<std::size_t>(n) * m_recordLength + dbf::kReadSlack;
    if (needed > size) {
        // Uninitialised: the read fills the block, and its spare bytes are cleared after it.
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(needed);
        size = needed;
    }
    // The kernel copies from the page cache several times faster when the buffer lies at the
    // same offset within a cache line as the file position (and far slower when it lies a few
    // bytes beyond it), so the block is placed to match.
    const auto misalignment = [](std::uint64_t at) { return static_cast<std::size_t>(at % dbf::kCopyAlignment); };
    return buffer.get()
           + (dbf::kCopyAlignment - misalignment(reinterpret_cast<std::uintptr_t>(buffer.get()))
              + misalignment(recordOffset(first)))
                 % dbf::kCopyAlignment;
}

void DbfTable::readAhead(std::uint32_t first, std::uint32_t n)
{
    dropReadAhead();
    if (!dbf::ReadAhead::worthwhile())
        return;
    if (!m_readAhead)
        m_readAhead = std::make_unique<dbf::ReadAhead>();
    m_aheadData = placeBlock(m_aheadCache, m_aheadCacheSize, first, n);
    if (m_readAhead->start(m_fd.get(), m_aheadData, static_cast<std::size_t>(n) * m_recordLength,
                           recordOffset(first))) {
        m_aheadFirst = first;
        m_aheadCount = n;
    }
}

std::uint8_t* DbfTable::takeReadAhead(std::uint32_t first, std::uint32_t n)
{
    if (m_aheadCount == 0)
        return nullptr;
    const bool same = first == m_aheadFirst && n == m_aheadCount;
    const long long got = m_readAhead->finish();
    m_aheadCount = 0;
    // Read short, the file may have been cut since: it is read again, and so judged, as the block.
    if (!same || got != static_cast<long long>(n) * m_recordLength)
        return nullptr;
    // The block read ahead becomes the current one, and the current one's buffer the next to read into.
    std::swap(m_cache, m_aheadCache);
    std::swap(m_cacheSize, m_aheadCacheSize);
    return m_aheadData;
}

void DbfTable::dropReadAhead()
{
    if (m_aheadCount == 0)
        return;
    m_readAhead->finish();
    m_aheadCount = 0;
}

void DbfTable::storeInCache(std::uint32_t record, const std::uint8_t* bytes)
{
    if (record - m_aheadFirst < m_aheadCount)
        dropReadAhead();
    if (const std::uint8_t* cached = cachedRecord(record))
        std::copy(bytes, bytes + m_recordLength, const_cast<std::uint8_t*>(cached));
}

void DbfTable::invalidateCache()
{
    keepViewsOutOfBlock();
    dropReadAhead();
    m_blockCount = 0;
    m_blockBegin = m_blockLimit = nullptr;
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
    // The filter reads the candidate in place, through the field getters, without touching the
    // current record or an edit buffer. Should it read other records and so move the block on,
    // both are copied out of the block first (keepViewsOutOfBlock).
    const bool wasJudging = m_judging;
    const std::span<const std::uint8_t> outer = m_judgedFrom;
    m_judging = true;
    m_judgedFrom = m_view;
    m_view = cachedView(p);
    const auto restore = [&] {
        m_view = m_judgedFrom;
        m_judgedFrom = outer;
        m_judging = wasJudging;
    };
    bool ok = false;
    try {
        ok = m_filter(*this);
    } catch (...) {
        restore();
        throw;
    }
    restore();
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
    // Every scan reads the file afresh: another program may have changed records since the blocks
    // were read.
    invalidateCache();
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
