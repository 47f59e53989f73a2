// The SHA-256 digests of a table file's records, read straight from the file: every whole record
// after the header, deleted ones included, hashed on every processor the machine has.
#pragma once

#include "journal/digest.h"

#include <cstdint>
#include <atomic>
#include <exception>
#include <mutex>
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

// Hashes the records of an open table file on helper threads from the moment it is made; the
// thread that made it joins the work in digests(), so it can do something else first.
class RecordHasher {
public:
    RecordHasher(int fd, const TableLayout& layout);
    ~RecordHasher();
    RecordHasher(const RecordHasher&) = delete;
    RecordHasher& operator=(const RecordHasher&) = delete;

    // Every record's digest, in record order; rethrows a failed read.
    Digests& digests();

private:
    void work();

    int m_fd;
    TableLayout m_layout;
    Digests m_digests;
    std::uint32_t m_chunks = 0;
    std::atomic<std::uint32_t> m_next {0};
    std::mutex m_failureMutex;
    std::exception_ptr m_failure;
    bool m_done = false;
    std::vector<std::jthread> m_helpers;  // last: they stop before what they use goes
};

// The digests of every record of the table file at `file`.
Digests tableDigests(const std::filesystem::path& file);

}  // namespace horavant::journal
