// What the files of the table layer share: the sizes of its buffers, the error texts, the date
// of last update and the append lock.
#pragma once

#include "store/dbf_table.h"
#include "store/os_lock.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace horavant::dbf {

// Records are read in blocks of whole records: a look at one record reads kFirstBlockBytes around
// it, and a scan reads blocks twice as large each time up to kBlockBytes, where the kernel's
// copy costs least per byte. One block is all the memory a scan needs however large the file.
constexpr std::size_t kFirstBlockBytes = 64 * 1024;
constexpr std::size_t kBlockBytes = 2 * 1024 * 1024;
constexpr std::size_t kCopyAlignment = 64;

inline const char* const kInvalidFile = "Invalid DBF file.";
inline const char* const kWriteError = "Error while writing occurred. (Disk full?)";
inline const char* const kNotEditing = "Dataset not in edit or insert mode";
inline const char* const kReadOnly = "Cannot modify a read-only dataset";
inline const char* const kClosed = "Cannot perform this operation on a closed dataset";
inline const char* const kEmpty = "Cannot perform this operation on an empty dataset";
inline const char* const kReplaced
    = "The table file was replaced after it was opened (a backup restored by another copy of the program?). "
      "Close the program and start it again.";

// "Error while reading table ..." for the table file at `path`.
std::string readErrorText(const std::filesystem::path& path);

// The local calendar date as stored in bytes 1..3 of the header.
void putToday(std::uint8_t* p);

// Holds the append lock of an open table for the lifetime of the guard. Waiting, it goes on
// without the lock where the system refuses locks on the file; trying, it may not get it (held()).
class AppendLock {
public:
    enum Mode { Wait, Try };
    explicit AppendLock(int fd, Mode mode = Wait)
        : m_fd(fd),
          m_held(mode == Wait ? (oslock::lockWait(m_fd, kAppendLockOffset, 1, true), true)
                              : oslock::tryLock(m_fd, kAppendLockOffset, 1, true))
    {
    }
    ~AppendLock()
    {
        if (m_held)
            oslock::unlock(m_fd, kAppendLockOffset, 1);
    }
    AppendLock(const AppendLock&) = delete;
    AppendLock& operator=(const AppendLock&) = delete;
    bool held() const { return m_held; }

private:
    int m_fd;
    bool m_held;
};

}  // namespace horavant::dbf
