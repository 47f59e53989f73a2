// Linux open-file-description locks (F_OFD_SETLK).
#include "store/os_lock.h"

#include <cerrno>
#include <fcntl.h>

namespace horavant::oslock {
namespace {

struct flock makeLock(short type, std::uint64_t offset, std::uint64_t length)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(offset);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0;  // required for OFD locks
    return fl;
}

}  // namespace

bool tryLock(int fd, std::uint64_t offset, std::uint64_t length, bool exclusive)
{
    struct flock fl = makeLock(exclusive ? F_WRLCK : F_RDLCK, offset, length);
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

bool lockWait(int fd, std::uint64_t offset, std::uint64_t length, bool exclusive)
{
    struct flock fl = makeLock(exclusive ? F_WRLCK : F_RDLCK, offset, length);
    while (::fcntl(fd, F_OFD_SETLKW, &fl) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

void unlock(int fd, std::uint64_t offset, std::uint64_t length)
{
    struct flock fl = makeLock(F_UNLCK, offset, length);
    ::fcntl(fd, F_OFD_SETLK, &fl);
}

}  // namespace horavant::oslock
