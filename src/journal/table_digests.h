// The SHA-256 digests of a table file's records, read straight from the file: every whole record
// after the header, deleted ones included, hashed on every processor the machine has.
#pragma once

#include "journal/journal_line.h"

#include <cstdint>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <span>
#include <filesystem>
#include <thread>
#include <vector>

namespace horavant::journal {

// Where a table file's records lie.
struct TableLayout {
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint32_t records = 0;  // the whole records the file holds
    std::uint32_t counted = 0;  // the records the header counts
};
// Throws Error for a file too short or with lengths no table has.
TableLayout readLayout(int fd);

// Hashes the records of an open table file on helper threads from the moment it is made, and
// hands their digests out in record order, a chunk at a time. The helpers stay at most a few
// chunks ahead of what was handed out, so a table of any size takes the same memory; the thread
// that takes the chunks hashes too while it waits for one.
class RecordHasher {
public:
    static constexpr std::uint32_t kChunkRecords = 64 * 1024;

    RecordHasher(int fd, const TableLayout& layout);
    ~RecordHasher();
    RecordHasher(const RecordHasher&) = delete;
    RecordHasher& operator=(const RecordHasher&) = delete;

    // The digests of the next records, at most kChunkRecords of them; empty after the last. They
    // stay valid until the next call. Rethrows a failed read.
    std::span<const Digest> next();
    // The record the chunk next() returned last starts with.
    std::uint32_t first() const { return m_first; }

private:
    // Hashes the next piece if the window has room for it; false when there is none to take.
    bool hashPiece(std::unique_lock<std::mutex>& lock, std::vector<std::uint8_t>& block);
    void help();

    int m_fd;
    TableLayout m_layout;
    Digests m_window;  // record r's digest at r % its size
    std::uint32_t m_pieces = 0;
    std::vector<std::uint8_t> m_block;  // the taking thread's
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Guarded by m_mutex:
    std::uint32_t m_first = 0;  // of the chunk handed out last, in use until the next call
    std::uint32_t m_nextPiece = 0;
    std::uint32_t m_handed = 0;  // records handed out
    std::vector<bool> m_done;  // by piece
    std::exception_ptr m_failure;
    bool m_stop = false;
    std::vector<std::jthread> m_helpers;  // last: they stop before what they use goes
};

// The state of the table file at `file` as the journal writes it, for an entry's After column:
// the record count, ':', and every record's digest in base64. The text is made while the entry is
// written, the records hashed a chunk at a time.
struct StateColumn {
    std::uint32_t records = 0;
    TextSource text;
};
StateColumn stateColumn(const std::filesystem::path& file);

}  // namespace horavant::journal
