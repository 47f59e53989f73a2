// Byte-range locks between processes. Open-file-description locks belong to the open file, not to
// the process, so closing another descriptor of the same file does not drop them.
#pragma once

#include <cstdint>

namespace horavant::oslock {

// Takes the lock if nobody else holds a conflicting one; false otherwise.
bool tryLock(int fd, std::uint64_t offset, std::uint64_t length, bool exclusive);
// Waits for the lock. False only when the system refuses locks on this file.
bool lockWait(int fd, std::uint64_t offset, std::uint64_t length, bool exclusive);
void unlock(int fd, std::uint64_t offset, std::uint64_t length);

}  // namespace horavant::oslock
