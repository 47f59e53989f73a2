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
#include <memory>

// OpenSSL 3.0's EVP interface allocates and frees a context for every digest, which for a
// million records of 263 bytes costs a quarter of the whole hashing; its SHA-256 functions keep
// their context on the stack. They are marked deprecated, not removed: asked for quietly here.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

namespace horavant::journal {
namespace {

// Records hashed per piece of work: about a megabyte of the file.
constexpr std::uint32_t kPieceRecords = 4096;
// How far the hashing may run ahead of the chunks handed out: 16 MB of digests, enough to keep
// the helpers busy while the journal of a million records is read.
constexpr std::uint32_t kWindowRecords = 8 * RecordHasher::kChunkRecords;
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

RecordHasher::RecordHasher(int fd, const TableLayout& layout)
    : m_fd(fd),
      m_layout(layout),
      m_window(std::min<std::size_t>(layout.records, kWindowRecords)),
      m_block(static_cast<std::size_t>(kPieceRecords) * layout.recordLength)
{
    m_pieces = static_cast<std::uint32_t>((std::uint64_t {layout.records} + kPieceRecords - 1) / kPieceRecords);
    m_done.assign(m_pieces, false);
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    // One processor alone still gets a helper, so the caller's own work runs beside the hashing.
    const unsigned helpers = std::min({std::max(1u, processors - 1), kMaxThreads, m_pieces});
    for (unsigned i = 0; i < helpers; ++i)
        m_helpers.emplace_back([this] { help(); });
}

RecordHasher::~RecordHasher()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
}

bool RecordHasher::hashPiece(std::unique_lock<std::mutex>& lock, std::vector<std::uint8_t>& block)
{
    const std::uint32_t piece = m_nextPiece;
    const std::uint64_t first = std::uint64_t {piece} * kPieceRecords;
    // The window's room starts with the chunk handed out last.
    if (piece >= m_pieces || m_failure
        || std::min<std::uint64_t>(first + kPieceRecords, m_layout.records) > std::uint64_t {m_first} + m_window.size())
        return false;
    ++m_nextPiece;
    lock.unlock();
    try {
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(kPieceRecords, m_layout.records - first));
        const std::size_t bytes = static_cast<std::size_t>(count) * m_layout.recordLength;
        const std::uint64_t offset = m_layout.headerLength + first * m_layout.recordLength;
        if (readFullyAt(m_fd, block.data(), bytes, offset) != static_cast<long long>(bytes))
            readFailed();
        // The piece's place in the window is its own: nobody reads it before it is marked done.
        Digest* to = m_window.data() + first % m_window.size();
        SHA256_CTX sha;
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* record = block.data() + static_cast<std::size_t>(i) * m_layout.recordLength;
            if (SHA256_Init(&sha) != 1 || SHA256_Update(&sha, record, m_layout.recordLength) != 1
                || SHA256_Final(to[i].data(), &sha) != 1)
                throw std::runtime_error("SHA-256 is not available.");
        }
        lock.lock();
        m_done[piece] = true;
    } catch (...) {
        if (!lock.owns_lock())
            lock.lock();
        if (!m_failure)
            m_failure = std::current_exception();
    }
    m_changed.notify_all();
    return true;
}

void RecordHasher::help()
{
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kPieceRecords) * m_layout.recordLength);
    std::unique_lock lock(m_mutex);
    while (!m_stop && !m_failure && m_nextPiece < m_pieces) {
        if (!hashPiece(lock, block))
            m_changed.wait(lock);
    }
}

std::span<const Digest> RecordHasher::next()
{
    std::unique_lock lock(m_mutex);
    // The chunk handed out before is done with: its room goes to the helpers.
    m_first = m_handed;
    m_changed.notify_all();
    if (m_failure)
        std::rethrow_exception(m_failure);
    if (m_first >= m_layout.records)
        return {};
    const std::uint32_t count = std::min(kChunkRecords, m_layout.records - m_first);
    const std::uint32_t firstPiece = m_first / kPieceRecords;
    const auto endPiece = static_cast<std::uint32_t>((std::uint64_t {m_first} + count + kPieceRecords - 1)
                                                     / kPieceRecords);
    for (std::uint32_t piece = firstPiece; piece < endPiece;) {
        if (m_failure)
            std::rethrow_exception(m_failure);
        if (m_done[piece])
            ++piece;
        else if (!hashPiece(lock, m_block))
            m_changed.wait(lock);
    }
    m_handed = m_first + count;
    return {m_window.data() + m_first % m_window.size(), count};
}

StateColumn stateColumn(const std::filesystem::path& file)
{
    auto fd = std::make_shared<UniqueFd>(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!*fd)
        throw IoError(formatMessage("Cannot open file \"%s\": %s.", {file.string(), std::strerror(errno)}));
    const TableLayout layout = readLayout(fd->get());
    StateColumn state;
    state.records = layout.records;
    state.text = [fd, layout](const TextSink& out) {
        RecordHasher hasher(fd->get(), layout);
        DigestEncoder encoder;
        std::string text = std::to_string(layout.records) + ':';
        for (auto chunk = hasher.next(); !chunk.empty(); chunk = hasher.next()) {
            encoder.add(chunk, text);
            out(text);
            text.clear();
        }
        encoder.finish(text);
        out(text);
    };
    return state;
}

}  // namespace horavant::journal
