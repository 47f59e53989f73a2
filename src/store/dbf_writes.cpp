// The table layer's writes: editing, posting, appending, deleting and re-reading, each under the
// locks that keep two copies of the program from writing over each other. Every write (and the
// start of an edit) holds the append lock while it checks the file and writes: a backup or a
// restore holds it from the first byte copied to the last file renamed, so a write waits for it,
// and after a restore finds its file replaced and refuses.
#include "store/dbf_table.h"

#include "store/byte_io.h"
#include "store/dbf_table_internal.h"
#include "store/error.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace horavant {

void DbfTable::releaseRecordLock()
{
    if (m_lockedRecord && active())
        oslock::unlock(m_fd.get(), dbf::recordLockOffset(*m_lockedRecord), 1);
    m_lockedRecord.reset();
}

void DbfTable::requireSameFile() const
{
    // A restore puts another file in the table's place; what this copy wrote into the old one
    // would be lost with it. The program's own bulk copies go into a fresh file and skip the look.
    if (m_bulk)
        return;
    struct stat open {};
    struct stat named {};
    if (::fstat(m_fd.get(), &open) != 0)
        writeFailed();
    if (::stat(path().c_str(), &named) != 0 || named.st_dev != open.st_dev || named.st_ino != open.st_ino)
        throw Error(dbf::kReplaced);
}

bool DbfTable::withAppendLock(bool wait, const std::function<void(int fd)>& work)
{
    requireActive();
    dbf::AppendLock lock(m_fd.get(), wait ? dbf::AppendLock::Wait : dbf::AppendLock::Try);
    if (!lock.held())
        return false;
    work(m_fd.get());
    return true;
}

void DbfTable::Edit()
{
    requireWritable();
    if (m_state == TableState::Edit || m_state == TableState::Insert)
        return;
    if (Eof())
        throw Error(dbf::kEmpty);
    dbf::AppendLock writing(m_fd.get());
    requireSameFile();
    if (!oslock::tryLock(m_fd.get(), dbf::recordLockOffset(m_pos), 1, true))
        throw RecordLockedError();
    m_lockedRecord = m_pos;
    // Re-read under the lock: another copy of the program may have changed the record.
    std::vector<std::uint8_t> fresh(m_recordLength);
    if (readFullyAt(m_fd.get(), fresh.data(), fresh.size(), recordOffset(m_pos))
        != static_cast<long long>(fresh.size())) {
        releaseRecordLock();
        throw Error(dbf::readErrorText(path()));
    }
    storeInCache(m_pos, fresh.data());
    if (fresh[0] == dbf::kDeletedFlag) {
        // Written back, the edit would bring nothing back and show as stored.
        releaseRecordLock();
        throw RecordDeletedError();
    }
    std::copy(fresh.begin(), fresh.end(), m_current.begin());
    viewCurrent();
    m_state = TableState::Edit;
}

void DbfTable::Append()
{
    requireWritable();
    checkBrowseMode();
    m_posBeforeInsert = m_pos;
    std::fill_n(m_current.begin(), m_recordLength, ' ');
    viewCurrent();
    m_state = TableState::Insert;
}

void DbfTable::AppendRecord(const std::vector<std::u16string>& values)
{
    Append();
    // One step: when a value is refused or the write fails, nothing stays pending that a later
    // post or close could store after all.
    try {
        for (std::size_t i = 0; i < values.size() && i < m_fields.size(); ++i)
            setFieldText(static_cast<int>(i), values[i]);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

std::vector<std::uint8_t> DbfTable::storedRecord(std::uint32_t record) const
{
    std::vector<std::uint8_t> bytes(m_recordLength);
    if (readFullyAt(m_fd.get(), bytes.data(), bytes.size(), recordOffset(record))
        != static_cast<long long>(bytes.size()))
        throw Error(dbf::readErrorText(path()));
    return bytes;
}

void DbfTable::Post()
{
    requireActive();
    requireEditing();
    if (m_state == TableState::Insert) {
        appendPending();
        return;
    }
    {
        // Every write takes the append lock: a restore excludes them all, and the journal's
        // entries follow the order in which the copies of the program write.
        dbf::AppendLock writing(m_fd.get());
        requireSameFile();
        if (m_changeHook) {
            const std::vector<std::uint8_t> before = storedRecord(m_pos);
            m_changeHook(*this, {TableChange::Kind::Edit, m_pos, before, {m_current.data(), m_recordLength}});
        }
        writeAt(m_current.data(), m_recordLength, recordOffset(m_pos));
        sync();
    }
    storeInCache(m_pos, m_current.data());
    releaseRecordLock();
    m_state = TableState::Browse;
    if (m_indexBuilt && m_filtered && !accepts(m_pos)) {
        auto it = std::lower_bound(m_acceptedList.begin(), m_acceptedList.end(), m_pos);
        if (it != m_acceptedList.end() && *it == m_pos)
            m_acceptedList.erase(it);
    }
}

void DbfTable::appendPending()
{
    dbf::AppendLock lock(m_fd.get());
    requireSameFile();
    // Another copy of the program may have appended since we last looked: the header counts
    // the records as they are now.
    std::uint8_t countBytes[4];
    const long long size = fileSize(m_fd.get());
    if (size < 0 || readFullyAt(m_fd.get(), countBytes, 4, dbf::kRecordCountOffset) != 4)
        writeFailed();
    const std::uint32_t inFile = size >= m_headerLength ? static_cast<std::uint32_t>(
                                     std::min<long long>((size - m_headerLength) / m_recordLength, 0xFFFFFFFEll))
                                                        : 0;
    const std::uint32_t n = std::min(getU32le(countBytes), inFile);

    m_current[0] = dbf::kLiveFlag;
    std::vector<std::uint8_t> bytes(m_current.begin(), m_current.begin() + m_recordLength);
    if (m_changeHook)
        m_changeHook(*this, {TableChange::Kind::Append, n, {}, bytes});
    bytes.push_back(dbf::kEndOfFile);
    std::vector<std::uint8_t> header = m_header;
    dbf::putToday(header.data() + dbf::kDateOffset);
    putU32le(header.data() + dbf::kRecordCountOffset, n + 1);
    const bool ok = writeFullyAt(m_fd.get(), bytes.data(), bytes.size(), recordOffset(n))
                    && writeFullyAt(m_fd.get(), header.data() + dbf::kDateOffset, 7, dbf::kDateOffset)
                    && (m_bulk || ::fdatasync(m_fd.get()) == 0);
    if (!ok) {
        // Leave the table as it was: no partial record, the old count, an end-of-file byte.
        if (::ftruncate(m_fd.get(), static_cast<off_t>(recordOffset(n))) == 0) {
            const std::uint8_t eof = dbf::kEndOfFile;
            writeFullyAt(m_fd.get(), &eof, 1, recordOffset(n));
        }
        putU32le(countBytes, n);
        writeFullyAt(m_fd.get(), countBytes, 4, dbf::kRecordCountOffset);
        writeFailed();
    }
    m_header = std::move(header);

    const std::uint32_t before = m_count;
    m_count = n + 1;
    if (n < before) {
        // The file holds fewer records than we thought (damaged by another program): start over.
        invalidateCache();
        resetIndex();
    } else if (m_indexBuilt) {
        extendIndex(before, m_count);
    }
    m_pos = n;
    m_state = TableState::Browse;
    viewCurrent();
}

void DbfTable::Cancel()
{
    requireActive();
    if (m_state == TableState::Edit) {
        releaseRecordLock();
        m_state = TableState::Browse;
        loadCurrent(m_pos);
    } else if (m_state == TableState::Insert) {
        m_state = TableState::Browse;
        m_pos = m_posBeforeInsert;
        if (m_pos < m_count)
            loadCurrent(m_pos);
        else
            viewCurrent();
    }
}

void DbfTable::Delete()
{
    requireWritable();
    if (m_state == TableState::Insert) {
        Cancel();
        return;
    }
    if (m_state == TableState::Edit)
        Cancel();
    if (Eof())
        throw Error(dbf::kEmpty);
    const std::uint32_t record = m_pos;
    {
        dbf::AppendLock writing(m_fd.get());
        requireSameFile();
        if (!oslock::tryLock(m_fd.get(), dbf::recordLockOffset(record), 1, true))
            throw RecordLockedError();
        const std::uint8_t flag = dbf::kDeletedFlag;
        bool ok = false;
        try {
            if (m_changeHook) {
                const std::vector<std::uint8_t> before = storedRecord(record);
                std::vector<std::uint8_t> after = before;
                after[0] = flag;
                m_changeHook(*this, {TableChange::Kind::Delete, record, before, after});
            }
            ok = writeFullyAt(m_fd.get(), &flag, 1, recordOffset(record)) && (m_bulk || ::fdatasync(m_fd.get()) == 0);
        } catch (...) {
            oslock::unlock(m_fd.get(), dbf::recordLockOffset(record), 1);
            throw;
        }
        oslock::unlock(m_fd.get(), dbf::recordLockOffset(record), 1);
        if (!ok)
            writeFailed();
    }
    const std::uint8_t flag = dbf::kDeletedFlag;
    keepCurrent();
    m_current[0] = flag;
    storeInCache(record, m_current.data());
    if (m_indexBuilt) {
        if (m_filtered) {
            auto it = std::lower_bound(m_acceptedList.begin(), m_acceptedList.end(), record);
            if (it != m_acceptedList.end() && *it == record)
                m_acceptedList.erase(it);
        } else {
            m_deletedList.insert(std::lower_bound(m_deletedList.begin(), m_deletedList.end(), record), record);
        }
    }
    // Like a data set: the next record becomes current, or the one before at the end.
    seekVisibleFrom(record + 1);
    if (Eof()) {
        for (std::uint32_t r = record; r-- > 0;) {
            if (accepts(r)) {
                m_pos = r;
                loadCurrent(r);
                return;
            }
        }
        m_pos = m_count;
    }
}

std::uint32_t DbfTable::countInFile() const
{
    std::uint8_t countBytes[4];
    const long long size = fileSize(m_fd.get());
    if (size < 0 || readFullyAt(m_fd.get(), countBytes, 4, dbf::kRecordCountOffset) != 4)
        throw Error(dbf::readErrorText(path()));
    const std::uint32_t inFile = size >= m_headerLength ? static_cast<std::uint32_t>(
                                     std::min<long long>((size - m_headerLength) / m_recordLength, 0xFFFFFFFFll))
                                                        : 0;
    return std::min(getU32le(countBytes), inFile);
}

void DbfTable::Refresh()
{
    requireActive();
    checkBrowseMode();
    m_count = countInFile();
    invalidateCache();
    resetIndex();
    const std::uint32_t at = m_pos;
    seekVisibleFrom(std::min(at, m_count));
}

bool DbfTable::takeInAppended()
{
    requireActive();
    const std::optional<FileStamp> stamp = horavant::fileStamp(m_fd.get());
    if (stamp && stamp == m_lookedAt)
        return false;
    m_lookedAt = stamp;
    const std::uint32_t now = countInFile();
    // A record read before may have been changed by another copy since.
    invalidateCache();
    // Fewer records than before is damage, which Refresh reports.
    if (now <= m_count)
        return false;
    const std::uint32_t before = m_count;
    m_count = now;
    if (m_pos >= before)
        m_pos = m_count;  // at the end it stays at the end
    if (m_indexBuilt)
        extendIndex(before, m_count);
    return true;
}

}  // namespace horavant
