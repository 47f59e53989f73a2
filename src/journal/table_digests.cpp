// Hashing a table file's records.
#include "journal/table_digests.h"

#include "store/byte_io.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "store/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

// OpenSSL 3.0's EVP interface allocates and frees a context for every digest, which for a
// million records of 263 bytes costs a quarter of the whole hashing; its SHA-256 functions keep
// their context on the stack. They are marked deprecated, not removed: asked for quietly here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

namespace horavant::journal {
namespace {

// Records hashed per piece of work: about a megabyte of the file.
constexpr std::uint32_t kChunkRecords = 4096;
constexpr unsigned kMaxThreads = 8;

[[noreturn]] void readFailed()
{
    throw IoError(formatMessage("Read error: %s.", {std::strerror(errno ? errno : EIO)}));
}

}  // namespace

TableLayout readLayout(int fd)
{
    std::uint8_t header[dbf::kHeaderSize];
    const long long size = fileSize(fd);
    if (size < 0 || readFullyAt(fd, header, sizeof header, 0) < 0)
        readFailed();
    TableLayout layout;
    if (size < static_cast<long long>(sizeof header))
        throw Error("Invalid DBF file.");
    layout.headerLength = getU16le(header + dbf::kHeaderLengthOffset);
    layout.recordLength = getU16le(header + dbf::kRecordLengthOffset);
    layout.counted = getU32le(header + dbf::kRecordCountOffset);
    if (layout.headerLength <= dbf::kHeaderSize || layout.recordLength == 0)
        throw Error("Invalid DBF file.");
    if (size > layout.headerLength)
        layout.records = static_cast<std::uint32_t>(
            std::min<long long>((size - layout.headerLength) / layout.recordLength, 0xFFFFFFFFll));
    return layout;
}

RecordHasher::RecordHasher(int fd, const TableLayout& layout) : m_fd(fd), m_layout(layout), m_digests(layout.records)
{
    m_chunks = (layout.records + kChunkRecords - 1) / kChunkRecords;
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    // One processor alone still gets a helper, so the caller's own work runs beside the hashing.
    const unsigned helpers = std::min({std::max(1u, processors - 1), kMaxThreads, m_chunks});
    for (unsigned i = 0; i < helpers; ++i)
        m_helpers.emplace_back([this] { work(); });
}

RecordHasher::~RecordHasher()
{
    // Helpers finish their piece and find no more.
    m_next = m_chunks;
}

void RecordHasher::work()
{
    try {
        SHA256_CTX sha;
        std::vector<std::uint8_t> block(static_cast<std::size_t>(kChunkRecords) * m_layout.recordLength);
        for (std::uint32_t chunk = m_next++; chunk < m_chunks; chunk = m_next++) {
            const std::uint32_t first = chunk * kChunkRecords;
            const std::uint32_t count = std::min(kChunkRecords, m_layout.records - first);
            const std::size_t bytes = static_cast<std::size_t>(count) * m_layout.recordLength;
            const std::uint64_t offset = m_layout.headerLength
                                         + static_cast<std::uint64_t>(first) * m_layout.recordLength;
            if (readFullyAt(m_fd, block.data(), bytes, offset) != static_cast<long long>(bytes))
                readFailed();
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint8_t* record = block.data() + static_cast<std::size_t>(i) * m_layout.recordLength;
                if (SHA256_Init(&sha) != 1 || SHA256_Update(&sha, record, m_layout.recordLength) != 1
                    || SHA256_Final(m_digests[first + i].data(), &sha) != 1)
                    throw std::runtime_error("SHA-256 is not available.");
            }
        }
    } catch (...) {
        const std::lock_guard lock(m_failureMutex);
        if (!m_failure)
            m_failure = std::current_exception();
        m_next = m_chunks;
    }
}

Digests& RecordHasher::digests()
{
    if (!m_done) {
        work();
        m_helpers.clear();  // joins
        m_done = true;
    }
    if (m_failure)
        std::rethrow_exception(m_failure);
    return m_digests;
}

Digests tableDigests(const std::filesystem::path& file)
{
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        throw IoError(formatMessage("Cannot open file \"%s\": %s.", {file.string(), std::strerror(errno)}));
    RecordHasher hasher(fd.get(), readLayout(fd.get()));
    return std::move(hasher.digests());
}

}  // namespace horavant::journal
