// Kernel file copy with a buffered fallback.
#include "store/file_copy.h"

#include "store/posix_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace horavant {
namespace {

constexpr std::size_t kBufferBytes = 1024 * 1024;
// The copy goes in steps of this size, and the disk starts writing each step while the next is
// copied, so the sync at the end has little left to wait for.
constexpr std::uint64_t kKernelChunk = 16ull << 20;

// The kernel refuses copies between some file systems or on some file system kinds; the bytes
// can still be copied through a buffer.
bool kernelCannotCopy(int error)
{
    return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL;
}

}  // namespace

long long copyFileBytes(int from, int to, std::uint64_t limit, CopyMethod method, const CopyStep& step)
{
    const auto goOn = [&](std::uint64_t bytes) {
        if (!step || step(bytes))
            return true;
        errno = ECANCELED;
        return false;
    };
    std::uint64_t done = 0;
    bool kernel = method == CopyMethod::Kernel;
    std::unique_ptr<char[]> buffer;
    while (done < limit) {
        const std::uint64_t want = std::min(limit - done, kernel ? kKernelChunk : kBufferBytes);
        if (kernel) {
            auto in = static_cast<off_t>(done);
            auto out = static_cast<off_t>(done);
            const ssize_t n = ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(want), 0);
            if (n > 0) {
                ::sync_file_range(to, static_cast<off_t>(done), n, SYNC_FILE_RANGE_WRITE);
                done += static_cast<std::uint64_t>(n);
                if (!goOn(static_cast<std::uint64_t>(n)))
                    return -1;
                continue;
            }
            if (n == 0)
                break;  // the end of the source
            if (errno == EINTR)
                continue;
            if (!kernelCannotCopy(errno))
                return -1;
            kernel = false;
            continue;
        }
        if (!buffer)
            buffer = std::make_unique<char[]>(kBufferBytes);
        const long long got = readFullyAt(from, buffer.get(), static_cast<std::size_t>(want), done);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        if (!writeFullyAt(to, buffer.get(), static_cast<std::size_t>(got), done))
            return -1;
        done += static_cast<std::uint64_t>(got);
        if (!goOn(static_cast<std::uint64_t>(got)))
            return -1;
    }
    return static_cast<long long>(done);
}

}  // namespace horavant
