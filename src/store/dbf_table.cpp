// The dBase IV table layer.
#include "store/dbf_table.h"

#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/cp1252_widen.h"
#include "store/error.h"
#include "store/os_lock.h"
#include "store/text.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <bit>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace horavant {
namespace {

constexpr std::size_t kCacheBytes = 256 * 1024;
// The record buffers (the current record and the read cache) end in this many spare bytes, so the
// field getters may read a whole block at any field's start and mask off what lies beyond it.
constexpr std::size_t kReadSlack = 64;
constexpr std::size_t kCopyAlignment = 64;

const char* const kInvalidFile = "Invalid DBF file.";
const char* const kWriteError = "Error while writing occurred. (Disk full?)";
const char* const kRecordLocked = "Record locked.";
const char* const kNotEditing = "Dataset not in edit or insert mode";
const char* const kReadOnly = "Cannot modify a read-only dataset";
const char* const kClosed = "Cannot perform this operation on a closed dataset";
const char* const kEmpty = "Cannot perform this operation on an empty dataset";

std::string fieldCountError(long long n)
{
    return formatMessage("Invalid field count: %d (must be between 1 and 4095).", {std::to_string(n)});
}

// The local calendar date as stored in bytes 1..3 of the header.
void putToday(std::uint8_t* p)
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    p[0] = static_cast<std::uint8_t>(std::clamp(local.tm_year, 0, 255));
    p[1] = static_cast<std::uint8_t>(local.tm_mon + 1);
    p[2] = static_cast<std::uint8_t>(local.tm_mday);
}

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'a' && x <= u'z')
            x -= 0x20;
        if (y >= u'a' && y <= u'z')
            y -= 0x20;
        if (x != y)
            return false;
    }
    return true;
}

// Holds the append lock of an open table for the lifetime of the guard.
class AppendLock {
public:
    explicit AppendLock(int fd) : m_fd(fd) { oslock::lockWait(m_fd, dbf::kAppendLockOffset, 1, true); }
    ~AppendLock() { oslock::unlock(m_fd, dbf::kAppendLockOffset, 1); }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;

private:
    int m_fd;
};

}  // namespace

DbfTable::DbfTable() = default;

DbfTable::~DbfTable()
{
    try {
        Close();
    } catch (...) {
        m_fd.reset();
    }
}

void DbfTable::addFieldDef(std::u16string name, FieldType type, int width)
{
    m_defs.push_back(FieldDef{std::move(name), type, width});
}

void DbfTable::throwClosed()
{
    throw Error(kClosed);
}

void DbfTable::requireWritable() const
{
    requireActive();
    if (m_readOnly)
        throw Error(kReadOnly);
}

void DbfTable::requireEditing() const
{
    if (m_state != TableState::Edit && m_state != TableState::Insert)
        throw Error(kNotEditing);
}

void DbfTable::writeFailed() const
{
    throw Error(kWriteError);
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
        name = name.substr(0, std::min(name.find('\0'), std::size_t{dbf::kMaxFieldNameBytes}));
        if (name.empty())
            throw Error(formatMessage("Invalid field name in field definition %d.", {std::to_string(i + 1)}));
        int width = def.type == FieldType::Logical ? 1 : std::min(def.width, dbf::kMaxCharacterWidth);
        if (width < 1)
            throw Error(formatMessage("Invalid field width %d for field '%s'.",
                                      {std::to_string(def.width), toUtf8(def.name)}));
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
    putToday(bytes.data() + dbf::kDateOffset);
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

void DbfTable::Open()
{
    if (active())
        return;
    const std::string fileName = path().string();
    UniqueFd fd(::open(fileName.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd) {
        if (errno == ENOENT)
            throw Error(formatMessage("Open: file not found: \"%s\".", {fileName}));
        throw Error(formatMessage("Open: cannot open \"%s\": %s.", {fileName, std::strerror(errno)}));
    }
    AppendLock lock(fd.get());

    const long long size = fileSize(fd.get());
    std::vector<std::uint8_t> header(dbf::kHeaderSize);
    if (size < static_cast<long long>(dbf::kHeaderSize)
        || readFullyAt(fd.get(), header.data(), header.size(), 0) != static_cast<long long>(header.size()))
        throw Error(kInvalidFile);

    const std::uint8_t version = header[dbf::kVersionOffset];
    if ((version & 0x07) != 0x03)
        throw Error(kInvalidFile);
    const std::uint16_t headerLength = getU16le(header.data() + dbf::kHeaderLengthOffset);
    const std::uint16_t recordLength = getU16le(header.data() + dbf::kRecordLengthOffset);
    if (headerLength == 0 || recordLength == 0)
        throw AbortError();
    if (headerLength < dbf::kHeaderSize || headerLength > size)
        throw Error(kInvalidFile);

    header.resize(headerLength);
    if (readFullyAt(fd.get(), header.data(), header.size(), 0) != static_cast<long long>(header.size()))
        throw Error(kInvalidFile);

    std::vector<FieldInfo> fields;
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
            throw Error(kInvalidFile);
        FieldInfo info;
        std::u16string name;
        cp1252::decodeInto(d, nameLength, name);
        info.name = cp1252::toUpper(name);
        switch (d[dbf::kFieldTypeOffset]) {
        case 'C': info.type = FieldType::Character; break;
        case 'L': info.type = FieldType::Logical; break;
        default: throw Error(kInvalidFile);
        }
        info.width = d[dbf::kFieldWidthOffset];
        info.offset = offset;
        offset += info.width;
        fields.push_back(std::move(info));
    }
    if (fields.empty() || fields.size() > static_cast<std::size_t>(dbf::kMaxFieldCount))
        throw Error(fieldCountError(static_cast<long long>(fields.size())));
    if (offset > recordLength)
        throw Error(kInvalidFile);

    // The header's count is corrected to the whole records the file holds.
    std::uint32_t count = getU32le(header.data() + dbf::kRecordCountOffset);
    const auto present = static_cast<std::uint32_t>(
        std::min<long long>((size - headerLength) / recordLength, 0xFFFFFFFFll));
    if (count != present)
        count = present;

    std::uint8_t indexFlag = header[dbf::kIndexFlagOffset];
    if (indexFlag != 0) {
        std::filesystem::path mdx = path();
        mdx.replace_extension(".mdx");
        std::error_code ec;
        if (!std::filesystem::exists(mdx, ec))
            indexFlag = 0;
    }

    m_fd = std::move(fd);
    m_fields = std::move(fields);
    m_headerLength = headerLength;
    m_recordLength = recordLength;
    m_header.assign(header.begin(), header.begin() + dbf::kHeaderSize);
    m_version = static_cast<std::uint8_t>(version & ~dbf::kMemoBit);
    m_indexFlag = indexFlag;
    m_count = count;
    m_current.assign(m_recordLength + kReadSlack, dbf::kLiveFlag);
    m_candidate.assign(m_recordLength + kReadSlack, dbf::kLiveFlag);
    viewCurrent();
    m_state = TableState::Browse;
    invalidateCache();
    resetIndex();
    try {
        writeHeaderAndEof(m_count, m_version, m_indexFlag);
        if (::fdatasync(m_fd.get()) != 0)
            writeFailed();
    } catch (...) {
        m_fd.reset();
        m_state = TableState::Closed;
        throw;
    }
    seekVisibleFrom(0);
}

void DbfTable::writeHeaderAndEof(std::uint32_t count, std::uint8_t version, std::uint8_t indexFlag)
{
    std::vector<std::uint8_t> header = m_header;
    header[dbf::kVersionOffset] = version;
    putToday(header.data() + dbf::kDateOffset);
    putU32le(header.data() + dbf::kRecordCountOffset, count);
    header[dbf::kIndexFlagOffset] = indexFlag;
    writeAt(header.data(), header.size(), 0);
    m_header = std::move(header);
    const std::uint8_t eof = dbf::kEndOfFile;
    writeAt(&eof, 1, recordOffset(count));
}

void DbfTable::Close()
{
    if (!active())
        return;
    try {
        if (m_state == TableState::Edit || m_state == TableState::Insert)
            Post();
        if (m_bulk)
            endBulk();
    } catch (...) {
        releaseRecordLock();
        m_fd.reset();
        m_state = TableState::Closed;
        m_bulk = false;
        throw;
    }
    releaseRecordLock();
    m_fd.reset();
    m_state = TableState::Closed;
    m_fields.clear();
    m_count = 0;
    m_pos = 0;
    invalidateCache();
    resetIndex();
}

// --- reading -----------------------------------------------------------------------------------

const std::uint8_t* DbfTable::recordPtr(std::uint32_t record)
{
    if (std::uint8_t* cached = cachedRecord(record))
        return cached;
    const std::uint32_t perBlock = std::max<std::uint32_t>(1, kCacheBytes / m_recordLength);
    const std::uint32_t first = record / perBlock * perBlock;
    const std::uint32_t n = std::min(perBlock, m_count - first);
    const std::size_t bytes = static_cast<std::size_t>(n) * m_recordLength;
    if (viewsCache())
        keepCurrent();
    m_cache.resize(kCopyAlignment + bytes + kReadSlack);
    m_cacheCount = 0;
    // The kernel copies from the page cache several times faster when the buffer lies at the
    // same offset within a cache line as the file position (and far slower when it lies a few
    // bytes beyond it), so the block is placed to match.
    const std::uint64_t offset = recordOffset(first);
    const auto misalignment = [](std::uint64_t at) { return static_cast<std::size_t>(at % kCopyAlignment); };
    m_cacheData = m_cache.data()
        + (kCopyAlignment - misalignment(reinterpret_cast<std::uintptr_t>(m_cache.data())) + misalignment(offset)) % kCopyAlignment;
    const long long got = readFullyAt(m_fd.get(), m_cacheData, bytes, offset);
    if (got != static_cast<long long>(bytes))
        throw Error(formatMessage("Error while reading table \"%s\".", {path().string()}));
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

namespace {

#if defined(__SSE2__)
// One bit for each of sixteen bytes: set where the byte is text, clear for a blank or a zero byte.
[[gnu::always_inline]] inline std::uint32_t textBits16(const std::uint8_t* q)
{
    // A blank (0x20) and a zero byte are the two bytes with nothing outside bit 5.
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i padding = _mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(static_cast<char>(0xDF))), _mm_setzero_si128());
    return ~static_cast<std::uint32_t>(_mm_movemask_epi8(padding)) & 0xFFFFu;
}

[[gnu::always_inline]] inline std::uint64_t textBits64(const std::uint8_t* q)
{
    return textBits16(q) | std::uint64_t{textBits16(q + 16)} << 16 | std::uint64_t{textBits16(q + 32)} << 32
        | std::uint64_t{textBits16(q + 48)} << 48;
}
#endif

// One past the highest set bit.
std::size_t bitEnd(std::uint64_t bits)
{
    return static_cast<std::size_t>(64 - std::countl_zero(bits));
}

// The length of a character field without its trailing blanks and zero bytes. `bytes` is all that
// may be read around the field. When the record buffer leaves kReadSlack bytes after the field's
// start, up to 64 bytes are judged at once without a branch on where the text ends; the bytes
// beyond the field are masked off. Otherwise the padding is found sixteen bytes at a time from the
// end, and the last sixteen or fewer bytes are one load that stays inside `bytes`.
[[gnu::always_inline]] inline std::size_t withoutPadding(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t n)
{
    const std::uint8_t* p = bytes.data() + offset;
#if defined(__SSE2__)
    if (offset + kReadSlack <= bytes.size()) {
        if (n <= 16)
            return bitEnd(textBits16(p) & (0xFFFFu >> (16 - n)));
        if (n <= 32)
            return bitEnd((textBits16(p) | textBits16(p + 16) << 16) & (0xFFFFFFFFu >> (32 - n)));
        if (n <= 48) {
            const std::uint64_t text = textBits16(p) | textBits16(p + 16) << 16 | std::uint64_t{textBits16(p + 32)} << 32;
            return bitEnd(text & (~std::uint64_t{0} >> (64 - n)));
        }
        for (; n > 64; n -= 64) {
            if (const std::uint64_t text = textBits64(p + n - 64))
                return n - 64 + bitEnd(text);
        }
        return bitEnd(textBits64(p) & (~std::uint64_t{0} >> (64 - n)));
    }
    for (; n > 16; n -= 16) {
        if (const std::uint32_t text = textBits16(p + n - 16))
            return n - 16 + bitEnd(text);
    }
    if (offset + 16 <= bytes.size())
        return bitEnd(textBits16(p) & ((1u << n) - 1));
    if (offset + n >= 16)
        return bitEnd(textBits16(p + n - 16) >> (16 - n));
#endif
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return n;
}

// The first reading of a logical field into `out`, and a change from "True" to "False", make the
// string longer; only those call the library.
[[gnu::noinline]] void growLogical(std::u16string& out, std::u16string_view text)
{
    out.assign(text);
}

// Kept out of line so that reading a character field needs no registers saved.
[[gnu::noinline]] void decodeLogical(const FieldInfo& field, const std::uint8_t* p, std::u16string& out)
{
    if (field.width < 1 || p[0] == ' ')
        return out.clear();
    const bool yes = p[0] == 'T' || p[0] == 't';
    const std::u16string_view text = dbf::logicalText(yes);
    if (text.size() > out.size())
        return growLogical(out, text);
    out.resize(text.size());
    // Fixed sizes, so the copies are a move or two each.
    if (yes)
        std::memcpy(out.data(), dbf::kTrueText.data(), dbf::kTrueText.size() * sizeof(char16_t));
    else
        std::memcpy(out.data(), dbf::kFalseText.data(), dbf::kFalseText.size() * sizeof(char16_t));
}

[[gnu::always_inline]] inline void decode(const FieldInfo& field, std::span<const std::uint8_t> record, std::u16string& out)
{
    const std::uint8_t* p = record.data() + field.offset;
    if (field.type == FieldType::Logical)
        return decodeLogical(field, p, out);
    cp1252::decodeIntoInline(p, withoutPadding(record, static_cast<std::size_t>(field.offset), static_cast<std::size_t>(field.width)), out);
}

}  // namespace

void DbfTable::decodeField(const FieldInfo& field, std::span<const std::uint8_t> record, std::u16string& out)
{
    decode(field, record, out);
}

std::string_view DbfTable::fieldBytes(int index) const
{
    requireActive();
    const FieldInfo& f = field(index);
    const std::size_t n =
        withoutPadding(m_view, static_cast<std::size_t>(f.offset), static_cast<std::size_t>(f.width));
    return {reinterpret_cast<const char*>(m_view.data()) + f.offset, n};
}

void DbfTable::readFieldText(int index, std::u16string& out) const
{
    requireActive();
    decode(field(index), m_view, out);
}

std::u16string DbfTable::fieldText(int index) const
{
    std::u16string out;
    readFieldText(index, out);
    return out;
}

std::u16string DbfTable::fieldTextOf(std::span<const std::uint8_t> record, int index) const
{
    std::u16string out;
    decodeField(field(index), record, out);
    return out;
}

bool DbfTable::fieldIsNull(int index) const
{
    requireActive();
    const FieldInfo& f = field(index);
    const std::uint8_t* p = m_view.data() + f.offset;
    return std::all_of(p, p + f.width, [](std::uint8_t b) { return b == ' '; });
}

std::span<const std::uint8_t> DbfTable::peekRecord(std::uint32_t record)
{
    requireActive();
    if (record >= m_count)
        throw Error(kEmpty);
    return std::span(recordPtr(record), m_recordLength);
}

// --- writing -----------------------------------------------------------------------------------

void DbfTable::setFieldText(int index, std::u16string_view text)
{
    requireActive();
    requireEditing();
    if (m_readOnly)
        throw Error(kReadOnly);
    const FieldInfo& f = field(index);
    std::uint8_t* p = m_current.data() + f.offset;
    if (f.type == FieldType::Logical) {
        if (f.width < 1)
            return;
        if (text.empty())
            p[0] = ' ';
        else if (equalsIgnoringAsciiCase(text, dbf::kTrueText))
            p[0] = 'T';
        else if (equalsIgnoringAsciiCase(text, dbf::kFalseText))
            p[0] = 'F';
        else
            throw Error(formatMessage("'%s' is not a valid boolean value for field '%s'",
                                      {toUtf8(text), toUtf8(f.name)}));
        return;
    }
    const auto width = static_cast<std::size_t>(f.width);
    const std::u16string_view cut = text.substr(0, std::min(text.size(), width));
    for (std::size_t i = 0; i < width; ++i)
        p[i] = i < cut.size() ? cp1252::encodeUnit(cut[i]) : static_cast<std::uint8_t>(' ');
}

void DbfTable::releaseRecordLock()
{
    if (m_lockedRecord && active())
        oslock::unlock(m_fd.get(), dbf::recordLockOffset(*m_lockedRecord), 1);
    m_lockedRecord.reset();
}

void DbfTable::Edit()
{
    requireWritable();
    if (m_state == TableState::Edit || m_state == TableState::Insert)
        return;
    if (Eof())
        throw Error(kEmpty);
    if (!oslock::tryLock(m_fd.get(), dbf::recordLockOffset(m_pos), 1, true))
        throw Error(kRecordLocked);
    m_lockedRecord = m_pos;
    // Re-read under the lock: another copy of the program may have changed the record.
    std::vector<std::uint8_t> fresh(m_recordLength);
    if (readFullyAt(m_fd.get(), fresh.data(), fresh.size(), recordOffset(m_pos)) != static_cast<long long>(fresh.size())) {
        releaseRecordLock();
        throw Error(formatMessage("Error while reading table \"%s\".", {path().string()}));
    }
    storeInCache(m_pos, fresh.data());
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

void DbfTable::Post()
{
    requireActive();
    requireEditing();
    if (m_state == TableState::Insert) {
        appendPending();
        return;
    }
    writeAt(m_current.data(), m_recordLength, recordOffset(m_pos));
    sync();
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
    AppendLock lock(m_fd.get());
    // Another copy of the program may have appended since we last looked: the header counts
    // the records as they are now.
    std::uint8_t countBytes[4];
    const long long size = fileSize(m_fd.get());
    if (size < 0 || readFullyAt(m_fd.get(), countBytes, 4, dbf::kRecordCountOffset) != 4)
        writeFailed();
    const std::uint32_t inFile = size >= m_headerLength
        ? static_cast<std::uint32_t>(std::min<long long>((size - m_headerLength) / m_recordLength, 0xFFFFFFFEll))
        : 0;
    const std::uint32_t n = std::min(getU32le(countBytes), inFile);

    m_current[0] = dbf::kLiveFlag;
    std::vector<std::uint8_t> bytes(m_current.begin(), m_current.begin() + m_recordLength);
    bytes.push_back(dbf::kEndOfFile);
    std::vector<std::uint8_t> header = m_header;
    putToday(header.data() + dbf::kDateOffset);
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
        throw Error(kEmpty);
    const std::uint32_t record = m_pos;
    if (!oslock::tryLock(m_fd.get(), dbf::recordLockOffset(record), 1, true))
        throw Error(kRecordLocked);
    const std::uint8_t flag = dbf::kDeletedFlag;
    const bool ok = writeFullyAt(m_fd.get(), &flag, 1, recordOffset(record)) && (m_bulk || ::fdatasync(m_fd.get()) == 0);
    oslock::unlock(m_fd.get(), dbf::recordLockOffset(record), 1);
    if (!ok)
        writeFailed();
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

void DbfTable::Refresh()
{
    requireActive();
    checkBrowseMode();
    std::uint8_t countBytes[4];
    const long long size = fileSize(m_fd.get());
    if (size < 0 || readFullyAt(m_fd.get(), countBytes, 4, dbf::kRecordCountOffset) != 4)
        throw Error(formatMessage("Error while reading table \"%s\".", {path().string()}));
    const std::uint32_t inFile = size >= m_headerLength
        ? static_cast<std::uint32_t>(std::min<long long>((size - m_headerLength) / m_recordLength, 0xFFFFFFFFll))
        : 0;
    m_count = std::min(getU32le(countBytes), inFile);
    invalidateCache();
    resetIndex();
    const std::uint32_t at = m_pos;
    seekVisibleFrom(std::min(at, m_count));
}

// --- visible records ---------------------------------------------------------------------------

void DbfTable::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (active())
        checkBrowseMode();
    m_filtered = filtered;
    resetIndex();
    if (active())
        seekVisibleFrom(0);
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
