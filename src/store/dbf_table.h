// The dBase IV table layer: character and logical fields, records in physical order, a cursor,
// edit and append with locks between processes, and random access for the data grid.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/error.h"
#include "store/field_text.h"
#include "store/posix_file.h"

namespace horavant {

enum class FieldType { Character, Logical };

struct FieldDef {
    std::u16string name;
    FieldType type = FieldType::Character;
    int width = 0;  // 0 for logical fields
};

struct FieldInfo {
    std::u16string name;  // as stored in the file, upper-cased
    FieldType type = FieldType::Character;
    int width = 0;
    int offset = 0;  // from the start of the record, after the deletion flag
};

enum class TableState { Closed, Browse, Edit, Insert };

// What a table file's header says, read without opening the table.
struct TableFileSummary {
    std::uint32_t storedCount = 0;  // the header's record count, deleted records included
    std::uint32_t wholeRecords = 0;  // the whole records the file's size holds
    int fieldCount = 0;
};

namespace dbf {
class ReadAhead;

// File layout.
constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kDescriptorSize = 32;
constexpr std::size_t kVersionOffset = 0;
constexpr std::size_t kDateOffset = 1;
constexpr std::size_t kRecordCountOffset = 4;
constexpr std::size_t kHeaderLengthOffset = 8;
constexpr std::size_t kRecordLengthOffset = 10;
constexpr std::size_t kIndexFlagOffset = 28;
constexpr std::size_t kLanguageDriverOffset = 29;
constexpr std::size_t kFieldNameSize = 11;
constexpr std::size_t kFieldTypeOffset = 11;
constexpr std::size_t kFieldWidthOffset = 16;
constexpr std::uint8_t kVersionDbase = 0x03;
constexpr std::uint8_t kMemoBit = 0x80;
constexpr std::uint8_t kLanguageDriverAnsi = 0x03;
constexpr std::uint8_t kHeaderTerminator = 0x0D;
constexpr std::uint8_t kEndOfFile = 0x1A;
constexpr std::uint8_t kLiveFlag = 0x20;
constexpr std::uint8_t kDeletedFlag = 0x2A;
constexpr int kMaxFieldNameBytes = 10;
constexpr int kMaxCharacterWidth = 255;
constexpr int kMaxFieldCount = 4095;
// Lock bytes lie far beyond any data, as dBase programs place them.
constexpr std::uint64_t kAppendLockOffset = 0xEFFFFFFFull;
constexpr std::uint64_t recordLockOffset(std::uint32_t record)
{
    return 0xEFFFFFFFull - (record + 1ull);
}
// The record buffers (the current record and the read cache) end in this many spare bytes, so a
// reader may read a whole block at any field's start and mask off what lies beyond it.
constexpr std::size_t kReadSlack = 64;
}  // namespace dbf

// A record another copy of the program (or another table object) holds for editing.
class RecordLockedError : public Error {
public:
    RecordLockedError() : Error("Record locked.") {}
};

// A record that another copy of the program deleted after this one read it.
class RecordDeletedError : public Error {
public:
    RecordDeletedError() : Error("Record deleted.") {}
};

// A change of one record, told before its bytes are written.
struct TableChange {
    enum class Kind { Append, Edit, Delete };
    Kind kind = Kind::Append;
    std::uint32_t record = 0;  // physical, from 0
    std::span<const std::uint8_t> before;  // the record as stored now; empty for an append
    std::span<const std::uint8_t> after;  // the record as it is about to be stored
};

class DbfTable {
public:
    using Filter = std::function<bool(const DbfTable&)>;
    using ChangeHook = std::function<void(const DbfTable&, const TableChange&)>;

    DbfTable();
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    void setFolder(std::filesystem::path folder) { m_folder = std::move(folder); }
    const std::filesystem::path& folder() const { return m_folder; }
    void setTableName(std::string name) { m_tableName = std::move(name); }
    std::filesystem::path path() const { return m_folder / m_tableName; }

    // Field definitions: used only by CreateTable; an opened table takes its fields from the file.
    void clearFieldDefs() { m_defs.clear(); }
    void addFieldDef(std::u16string name, FieldType type, int width);
    const std::vector<FieldDef>& fieldDefs() const { return m_defs; }

    // Creates the file from the definitions, replacing one of the same name; the table stays
    // closed. On failure nothing of the new file is left behind.
    void CreateTable();
    void Open();
    // Reads a table file's header and field descriptors without writing anything; throws what
    // Open throws for a file that is no table.
    static TableFileSummary inspect(const std::filesystem::path& file);
    static TableFileSummary inspect(int fd);
    // Writes back a pending edit or insert and releases the file.
    void Close();
    bool active() const { return m_fd.get() >= 0; }
    TableState state() const { return m_state; }

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const FieldInfo& field(int index) const { return m_fields.at(static_cast<std::size_t>(index)); }
    std::uint32_t physicalCount() const { return m_count; }
    // The open file as it is on disk now: a write to it, by this or another program, changes the
    // stamp (its modification time, to the clock's granularity). Nothing when the system cannot
    // be asked.
    std::optional<FileStamp> fileStamp() const;
    std::uint16_t headerLength() const { return m_headerLength; }
    std::uint16_t recordLength() const { return m_recordLength; }

    // Cursor over the visible records (live and, while filtering, accepted) in physical order.
    void First();
    void Next();
    bool Eof() const { return m_pos >= m_count; }
    std::uint32_t recNo() const { return m_pos; }
    // Makes a physical record current; false when it is deleted or beyond the end.
    bool gotoRecord(std::uint32_t record);

    // Field values of the current record (the edit buffer while editing or inserting).
    std::u16string fieldText(int index) const;
    // Inline, for the scans that read every record's fields.
    [[gnu::always_inline]] void readFieldText(int index, std::u16string& out) const
    {
        if (static_cast<std::uint32_t>(index) >= m_readableFields)
            throwNoField(index);
        // The view always reaches dbf::kReadSlack bytes past the record.
        dbf::fieldText(m_view.data(), m_slots[static_cast<std::size_t>(index)], out);
    }
    // A character field's stored bytes without their padding, undecoded; valid until the cursor
    // moves. Decoding is one to one, so two texts are equal exactly when these bytes are.
    std::string_view fieldBytes(int index) const;
    // The current record's stored bytes (the deletion flag, then the fields at their offsets),
    // followed by at least dbf::kReadSlack spare bytes that may be read; valid until the cursor
    // moves.
    std::span<const std::uint8_t> recordBytes() const
    {
        requireActive();
        return m_view;
    }
    bool fieldIsNull(int index) const;
    // "True", "False" or the empty text (null) for logical fields; the text for character fields.
    void setFieldText(int index, std::u16string_view text);

    // Begins editing the current record, which is read again under its lock; throws
    // RecordLockedError while another copy edits it and RecordDeletedError when one deleted it.
    void Edit();
    void Post();
    void Cancel();
    // Starts a new record; Post stores it after the last one, whatever the cursor position.
    void Append();
    // Appends, sets the first fields from the values in order and posts. An empty list stores a
    // blank record.
    void AppendRecord(const std::vector<std::u16string>& values);
    // Marks the current record deleted (flag 0x2A); it stays in the file and in the count.
    void Delete();
    // Re-reads the header and forgets cached records, so records written by another copy of the
    // program appear.
    void Refresh();
    // Takes in what another copy of the program wrote since the last look, cheaply, without
    // leaving an edit: records appended (the header's count, no more than the file's size holds)
    // join the table and its index, and records read before are read again when next needed.
    // Every action that reads the table calls it first. True when records were appended.
    bool takeInAppended();

    // Random access for the grid, without holding the records in memory.
    std::size_t visibleCount();
    std::uint32_t visibleRecord(std::size_t n);
    // The position of a physical record among the visible ones, if it is visible.
    std::optional<std::size_t> visibleIndexOf(std::uint32_t record);
    // The raw bytes of a record; valid until the next read of the table.
    std::span<const std::uint8_t> peekRecord(std::uint32_t record);
    std::u16string fieldTextOf(std::span<const std::uint8_t> record, int index) const;
    static void decodeField(const FieldInfo& field, std::span<const std::uint8_t> record, std::u16string& out);

    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool readOnly() const { return m_readOnly; }
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    void setFilter(Filter filter);

    // Runs work on the open file while holding the append lock, so that no copy of the program
    // appends meanwhile. Waits for the lock; with wait false, returns false at once, without
    // running work, when another copy holds it.
    bool withAppendLock(bool wait, const std::function<void(int fd)>& work);

    // Told of every append, post and delete while the append lock is held, before the record is
    // written; a hook that throws stops the write, and the table stays as it was.
    void setChangeHook(ChangeHook hook) { m_changeHook = std::move(hook); }

    // While bulk mode is on, appends and posts are not synced one by one; endBulk syncs once.
    void beginBulk() { m_bulk = true; }
    void endBulk();

private:
    void requireActive() const
    {
        if (!active())
            throwClosed();
    }
    [[noreturn]] void throwNoField(int index) const;
    [[noreturn]] static void throwClosed();
    void requireWritable() const;
    void requireEditing() const;
    // Refuses to write into a file that another copy has replaced under its name.
    void requireSameFile() const;
    [[noreturn]] void writeFailed() const;
    void writeAt(const void* data, std::size_t size, std::uint64_t offset) const;
    void sync() const;
    void writeHeaderAndEof(std::uint32_t count, std::uint8_t version, std::uint8_t indexFlag);
    // The first 32 bytes as writeHeaderAndEof would write them today.
    std::vector<std::uint8_t> headerFor(std::uint32_t count, std::uint8_t version, std::uint8_t indexFlag) const;
    bool headerAndEofAreCurrent() const;
    std::uint64_t recordOffset(std::uint32_t record) const
    {
        return m_headerLength + static_cast<std::uint64_t>(record) * m_recordLength;
    }

    // The records are read a block at a time into m_cache.
    const std::uint8_t* recordPtr(std::uint32_t record)
    {
        const std::uint8_t* p = cachedRecord(record);
        return p ? p : loadBlock(record);
    }
    [[gnu::noinline]] const std::uint8_t* loadBlock(std::uint32_t record);
    // Where the n records from `first` go in `buffer` (grown to hold them), at the file's
    // offset within a cache line.
    std::uint8_t* placeBlock(std::unique_ptr<std::uint8_t[]>& buffer, std::size_t& size, std::uint32_t first,
                             std::uint32_t n);
    // Starts reading the n records from `first` ahead; takes them when they are the ones asked for.
    void readAhead(std::uint32_t first, std::uint32_t n);
    std::uint8_t* takeReadAhead(std::uint32_t first, std::uint32_t n);
    // Waits for a read ahead and forgets it: the table's own write or a look at the file again.
    void dropReadAhead();
    // The record's bytes in the current block, or null when the block does not hold it.
    const std::uint8_t* cachedRecord(std::uint32_t record) const
    {
        // One compare: below the block, the difference wraps to more than any block holds.
        if (record - m_blockFirst >= m_blockCount)
            return nullptr;
        return m_blockData + static_cast<std::size_t>(record - m_blockFirst) * m_recordLength;
    }
    std::span<const std::uint8_t> cachedView(const std::uint8_t* record) const
    {
        return {record, static_cast<std::size_t>(m_blockLimit - record)};
    }
    void viewCurrent();
    void keepCurrent();
    void loadCurrent(std::uint32_t record);
    bool accepts(std::uint32_t record);
    void seekVisibleFrom(std::uint32_t record);
    [[gnu::noinline]] void stepOn();
    // The header's count, but no more records than the file holds whole.
    std::uint32_t countInFile() const;
    void invalidateCache();
    void keepViewsOutOfBlock();
    // The block in m_cache follows the table's own writes.
    void storeInCache(std::uint32_t record, const std::uint8_t* bytes);
    void resetIndex();
    void ensureIndex();
    void extendIndex(std::uint32_t from, std::uint32_t to);
    void appendPending();
    void checkBrowseMode();
    void releaseRecordLock();
    // The record as the file holds it now, for the change hook.
    std::vector<std::uint8_t> storedRecord(std::uint32_t record) const;

    std::filesystem::path m_folder;
    std::string m_tableName;
    std::vector<FieldDef> m_defs;

    UniqueFd m_fd;
    std::vector<FieldInfo> m_fields;
    std::vector<dbf::FieldSlot> m_slots;  // how each field's text is read
    // The fields the getters may read: all of them while the table is open, none while closed,
    // so one compare of the index stands for both checks.
    std::uint32_t m_readableFields = 0;
    std::uint16_t m_headerLength = 0;
    std::uint16_t m_recordLength = 0;
    std::uint8_t m_version = dbf::kVersionDbase;
    std::uint8_t m_indexFlag = 0;
    std::uint32_t m_count = 0;

    TableState m_state = TableState::Closed;
    std::uint32_t m_pos = 0;
    std::vector<std::uint8_t> m_current;  // the current record, or the edit buffer; ends in spare bytes
    std::vector<std::uint8_t> m_candidate;  // the record the filter judges, once it must leave the block
    // While the filter judges a record, m_view shows the candidate and this the current record.
    bool m_judging = false;
    std::span<const std::uint8_t> m_judgedFrom;
    // What the field getters read: the current record in the cache or in m_current, or the
    // candidate; it reaches to the end of its buffer, spare bytes included.
    std::span<const std::uint8_t> m_view;
    std::vector<std::uint8_t> m_header;  // the header as read at opening
    std::optional<std::uint32_t> m_lockedRecord;
    std::optional<FileStamp> m_lookedAt;  // the file when takeInAppended last looked
    std::uint32_t m_posBeforeInsert = 0;

    // The current block of records: m_blockCount records from m_blockFirst at m_blockData, in
    // readable memory from m_blockBegin to m_blockLimit (spare bytes included).
    const std::uint8_t* m_blockData = nullptr;
    std::uint32_t m_blockFirst = 0;
    std::uint32_t m_blockCount = 0;
    const std::uint8_t* m_blockBegin = nullptr;
    const std::uint8_t* m_blockLimit = nullptr;
    std::size_t m_blockBytes = 0;  // the size the block was read at
    std::unique_ptr<std::uint8_t[]> m_cache;
    std::size_t m_cacheSize = 0;
    // The block after the current one, read on a thread of its own while a scan decodes the
    // current one: m_aheadCount records from m_aheadFirst (none while m_aheadCount is 0).
    std::unique_ptr<std::uint8_t[]> m_aheadCache;
    std::size_t m_aheadCacheSize = 0;
    std::unique_ptr<dbf::ReadAhead> m_readAhead;  // after its buffer: it waits for its read when destroyed
    std::uint8_t* m_aheadData = nullptr;
    std::uint32_t m_aheadFirst = 0;
    std::uint32_t m_aheadCount = 0;

    bool m_readOnly = false;
    bool m_filtered = false;
    bool m_bulk = false;
    Filter m_filter;
    ChangeHook m_changeHook;

    // Which records are visible: the sorted deleted records, or (while filtering) the list of
    // accepted ones. Built on first use and kept up to date by the table's own writes.
    bool m_indexBuilt = false;
    std::vector<std::uint32_t> m_deletedList;
    std::vector<std::uint32_t> m_acceptedList;
};

}  // namespace horavant
