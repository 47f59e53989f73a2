// The dBase IV table layer: the file format (creating a table, reading and validating the header
// and the field descriptors, writing the header back), opening and closing.
#include "store/dbf_table.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table_internal.h"
#include "store/read_ahead.h"
#include "store/error.h"
#include "store/text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace horavant {
namespace {

std::string fieldCountError(long long n)
{
    return formatMessage("Invalid field count: %d (must be between 1 and 4095).", {std::to_string(n)});
}

// True when the path names the open file.
bool stillNamed(const std::string& path, int fd)
{
    struct stat open {};
    struct stat named {};
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev
           && open.st_ino == named.st_ino;
}

}  // namespace

std::string dbf::readErrorText(const std::filesystem::path& path)
{
    return formatMessage("Error while reading table \"%s\".", {path.string()});
}

void dbf::putToday(std::uint8_t* p)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    p[0] = static_cast<std::uint8_t>(std::clamp(local.tm_year, 0, 255));
    p[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    p[2] = static_cast<std::uint8_t>(local.tm_mday);
}

DbfTable::DbfTable() = default;

DbfTable::~DbfTable()
{
    try {
        Close();
    } catch (...) {
        m_readableFields = 0;
        m_fd.reset();
    }
}

void DbfTable::addFieldDef(std::u16string name, FieldType type, int width)
{
    m_defs.push_back(FieldDef {std::move(name), type, width});
}

void DbfTable::throwClosed()
{
    throw Error(dbf::kClosed);
}

std::optional<FileStamp> DbfTable::fileStamp() const
{
    requireActive();
    return horavant::fileStamp(m_fd.get());
}

void DbfTable::throwNoField(int index) const
{
    requireActive();
    field(index);  // throws std::out_of_range
    throw Error(dbf::kClosed);
}

void DbfTable::requireWritable() const
{
    requireActive();
    if (m_readOnly)
        throw Error(dbf::kReadOnly);
}

void DbfTable::requireEditing() const
{
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        throw Error(dbf::kNotEditing);
}

void DbfTable::writeFailed() const
{
    throw Error(dbf::kWriteError);
}

void DbfTable::writeAt(const void* data, std::size_t size, std::uint64_t offset) const
{
    if (!writeFullyAt(m_fd.get(), data, size, offset))
        writeFailed();
}

void DbfTable::sync() const
{
    if (!m_bulk && ::fdatasync(m_fd.get()) != 0)
        writeFailed();
}

void DbfTable::endBulk()
{
    m_bulk = false;
    if (active())
        sync();
}

// --- creating --------------------------------------------------------------------------------

void DbfTable::CreateTable()
{
    if (active())
        throw Error("Cannot perform this operation on an open dataset");
    const auto n = static_cast<long long>(m_defs.size());
    if (n < 1 || n > dbf::kMaxFieldCount)
        throw Error(fieldCountError(n));

    std::size_t recordLength = 1;
    std::vector<std::uint8_t> descriptors(m_defs.size() * dbf::kDescriptorSize, 0);
    for (std::size_t i = 0; i < m_defs.size(); ++i) {
        const FieldDef& def = m_defs[i];
        std::string name = cp1252::encode(cp1252::toUpper(def.name));
        name = name.substr(0, std::min(name.find('\0'), std::size_t {dbf::kMaxFieldNameBytes}));
        if (name.empty())
            throw Error(formatMessage("Invalid field name in field definition %d.", {std::to_string(i + 1)}));
        int width = def.type == FieldType::Logical ? 1 : std::min(def.width, dbf::kMaxCharacterWidth);
        if (width < 1)
            throw Error(
                formatMessage("Invalid field width %d for field '%s'.", {std::to_string(def.width), toUtf8(def.name)}));
        std::uint8_t* d = descriptors.data() + i * dbf::kDescriptorSize;
        std::copy(name.begin(), name.end(), d);
        d[dbf::kFieldTypeOffset] = def.type == FieldType::Logical ? 'L' : 'C';
        d[dbf::kFieldWidthOffset] = static_cast<std::uint8_t>(width);
        recordLength += static_cast<std::size_t>(width);
    }
    const std::size_t headerLength = dbf::kHeaderSize + descriptors.size() + 1;
    if (headerLength > 0xFFFF || recordLength > 0xFFFF)
        throw Error("The field definitions are too large for a dBase table.");

    std::vector<std::uint8_t> bytes(dbf::kHeaderSize, 0);
    bytes[dbf::kVersionOffset] = dbf::kVersionDbase;
    dbf::putToday(bytes.data() + dbf::kDateOffset);
    putU32le(bytes.data() + dbf::kRecordCountOffset, 0);
    putU16le(bytes.data() + dbf::kHeaderLengthOffset, static_cast<std::uint16_t>(headerLength));
    putU16le(bytes.data() + dbf::kRecordLengthOffset, static_cast<std::uint16_t>(recordLength));
    bytes[dbf::kLanguageDriverOffset] = dbf::kLanguageDriverAnsi;
    bytes.insert(bytes.end(), descriptors.begin(), descriptors.end());
    bytes.push_back(dbf::kHeaderTerminator);
    bytes.push_back(dbf::kEndOfFile);

    // Written beside the old file and renamed over it, so a failure leaves no partial file.
    AtomicFileWriter writer(path());
    if (!writer.open())
        throw Error(formatMessage("Cannot create file \"%s\".", {path().string()}));
    try {
        writer.write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        writer.commit();
    } catch (const IoError&) {
        writeFailed();
    }
}

// --- opening and closing -----------------------------------------------------------------------

namespace {

// What the header and the field descriptors of a table file say, checked as opening checks them.
struct TableLayout {
    std::vector<std::uint8_t> header;  // header and descriptors, headerLength bytes
    std::vector<FieldInfo> fields;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint32_t storedCount = 0;  // the header's record count
    std::uint32_t wholeRecords = 0;  // the whole records the file holds
};

TableLayout readLayout(int fd)
{
    const long long size = fileSize(fd);
    TableLayout layout;
    std::vector<std::uint8_t>& header = layout.header;
    header.resize(dbf::kHeaderSize);
    if (size < static_cast<long long>(dbf::kHeaderSize)
        || readFullyAt(fd, header.data(), header.size(), 0) != static_cast<long long>(header.size()))
        throw Error(dbf::kInvalidFile);

    const std::uint8_t version = header[dbf::kVersionOffset];
    if ((version & 0x07) != 0x03)
        throw Error(dbf::kInvalidFile);
    const std::uint16_t headerLength = getU16le(header.data() + dbf::kHeaderLengthOffset);
    const std::uint16_t recordLength = getU16le(header.data() + dbf::kRecordLengthOffset);
    if (headerLength == 0 || recordLength == 0)
        throw AbortError();
    if (headerLength < dbf::kHeaderSize || headerLength > size)
        throw Error(dbf::kInvalidFile);

    header.resize(headerLength);
    if (readFullyAt(fd, header.data(), header.size(), 0) != static_cast<long long>(header.size()))
        throw Error(dbf::kInvalidFile);

    const std::size_t maxDescriptors = (headerLength - dbf::kHeaderSize) / dbf::kDescriptorSize;
    int offset = 1;
    for (std::size_t k = 0; k < maxDescriptors; ++k) {
        const std::uint8_t* d = header.data() + dbf::kHeaderSize + k * dbf::kDescriptorSize;
        if (d[0] == dbf::kHeaderTerminator)
            break;
        std::size_t nameLength = 0;
        while (nameLength < dbf::kFieldNameSize && d[nameLength] != 0)
            ++nameLength;
        if (nameLength == 0)
            throw Error(dbf::kInvalidFile);
        FieldInfo info;
        std::u16string name;
        cp1252::decodeInto(d, nameLength, name);
        info.name = cp1252::toUpper(name);
        switch (d[dbf::kFieldTypeOffset]) {
        case 'C': info.type = FieldType::Character; break;
        case 'L': info.type = FieldType::Logical; break;
        default: throw Error(dbf::kInvalidFile);
        }
        info.width = d[dbf::kFieldWidthOffset];
        info.offset = offset;
        offset += info.width;
        layout.fields.push_back(std::move(info));
    }
    if (layout.fields.empty() || layout.fields.size() > static_cast<std::size_t>(dbf::kMaxFieldCount))
        throw Error(fieldCountError(static_cast<long long>(layout.fields.size())));
    if (offset > recordLength)
        throw Error(dbf::kInvalidFile);

    layout.headerLength = headerLength;
    layout.recordLength = recordLength;
    layout.storedCount = getU32le(header.data() + dbf::kRecordCountOffset);
    layout.wholeRecords = static_cast<std::uint32_t>(
        std::min<long long>((size - headerLength) / recordLength, 0xFFFFFFFFll));
    return layout;
}

}  // namespace

TableFileSummary DbfTable::inspect(const std::filesystem::path& file)
{
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT)
            throw Error(formatMessage("Open: file not found: \"%s\".", {file.string()}));
        throw Error(formatMessage("Open: cannot open \"%s\": %s.", {file.string(), std::strerror(errno)}));
    }
    return inspect(fd.get());
}

TableFileSummary DbfTable::inspect(int fd)
{
    const TableLayout layout = readLayout(fd);
    return {layout.storedCount, layout.wholeRecords, static_cast<int>(layout.fields.size())};
}

void DbfTable::Open()
{
    if (active())
        return;
    const std::string fileName = path().string();
    UniqueFd fd;
    std::optional<dbf::AppendLock> lock;
    // A restore by another copy holds the lock while it puts another file under the name; the file
    // opened before it did is then opened again. Renamed again and again, the last one is taken.
    for (int attempt = 0; attempt < 3; ++attempt) {
        lock.reset();
        fd.reset(::open(fileName.c_str(), O_RDWR | O_CLOEXEC));
        if (!fd) {
            if (errno == ENOENT)
                throw Error(formatMessage("Open: file not found: \"%s\".", {fileName}));
            throw Error(formatMessage("Open: cannot open \"%s\": %s.", {fileName, std::strerror(errno)}));
        }
        lock.emplace(fd.get());
        if (stillNamed(fileName, fd.get()))
            break;
    }
    TableLayout layout = readLayout(fd.get());
    const std::uint8_t version = layout.header[dbf::kVersionOffset];

    std::uint8_t indexFlag = layout.header[dbf::kIndexFlagOffset];
    if (indexFlag != 0) {
        std::filesystem::path mdx = path();
        mdx.replace_extension(".mdx");
        std::error_code ec;
        if (!std::filesystem::exists(mdx, ec))
            indexFlag = 0;
    }

    m_fd = std::move(fd);
    m_fields = std::move(layout.fields);
    m_slots.clear();
    for (const FieldInfo& f : m_fields)
        m_slots.push_back(dbf::fieldSlot(f.type == FieldType::Logical, f.width, f.offset));
    m_readableFields = static_cast<std::uint32_t>(m_fields.size());
    m_headerLength = layout.headerLength;
    m_recordLength = layout.recordLength;
    m_header.assign(layout.header.begin(), layout.header.begin() + dbf::kHeaderSize);
    m_version = static_cast<std::uint8_t>(version & ~dbf::kMemoBit);
    m_indexFlag = indexFlag;
    // The header's count is corrected to the whole records the file holds.
    m_count = layout.wholeRecords;
    m_current.assign(m_recordLength + dbf::kReadSlack, dbf::kLiveFlag);
    m_candidate.assign(m_recordLength + dbf::kReadSlack, dbf::kLiveFlag);
    viewCurrent();
    m_state = TableState::Browse;
    invalidateCache();
    resetIndex();
    try {
        // Every opening dates the header today and puts the end-of-file byte after the last
        // record. Where both are so already, as at every opening after the day's first, writing
        // them again would leave the same bytes, so the write and the sync are left out.
        if (!headerAndEofAreCurrent()) {
            writeHeaderAndEof(m_count, m_version, m_indexFlag);
            if (::fdatasync(m_fd.get()) != 0)
                writeFailed();
        }
    } catch (...) {
        m_readableFields = 0;
        m_fd.reset();
        m_state = TableState::Closed;
        throw;
    }
    seekVisibleFrom(0);
}

std::vector<std::uint8_t> DbfTable::headerFor(std::uint32_t count, std::uint8_t version, std::uint8_t indexFlag) const
{
    std::vector<std::uint8_t> header = m_header;
    header[dbf::kVersionOffset] = version;
    dbf::putToday(header.data() + dbf::kDateOffset);
    putU32le(header.data() + dbf::kRecordCountOffset, count);
    header[dbf::kIndexFlagOffset] = indexFlag;
    return header;
}

bool DbfTable::headerAndEofAreCurrent() const
{
    if (headerFor(m_count, m_version, m_indexFlag) != m_header)
        return false;
    std::uint8_t eof = 0;
    return readFullyAt(m_fd.get(), &eof, 1, recordOffset(m_count)) == 1 && eof == dbf::kEndOfFile;
}

void DbfTable::writeHeaderAndEof(std::uint32_t count, std::uint8_t version, std::uint8_t indexFlag)
{
    std::vector<std::uint8_t> header = headerFor(count, version, indexFlag);
    writeAt(header.data(), header.size(), 0);
    m_header = std::move(header);
    const std::uint8_t eof = dbf::kEndOfFile;
    writeAt(&eof, 1, recordOffset(count));
}

void DbfTable::Close()
{
    if (!active())
        return;
    dropReadAhead();
    try {
        if (m_state == TableState::Edit || m_state == TableState::Insert)
            Post();
        if (m_bulk)
            endBulk();
    } catch (...) {
        releaseRecordLock();
        m_readableFields = 0;
        m_fd.reset();
        m_state = TableState::Closed;
        m_bulk = false;
        throw;
    }
    releaseRecordLock();
    m_readableFields = 0;
    m_fd.reset();
    m_state = TableState::Closed;
    m_fields.clear();
    m_slots.clear();
    m_count = 0;
    m_pos = 0;
    invalidateCache();
    resetIndex();
}

}  // namespace horavant
