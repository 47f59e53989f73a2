// What a crash can leave in the program folder, and clearing it at the next start: the marker of
// a restore that did not finish, and the temporary files of a restore or a save.
#include "store/backup.h"

#include "store/backup_internal.h"
#include "store/os_lock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace horavant::backup {

namespace fs = std::filesystem;

namespace detail {

RestoreMarker::RestoreMarker(const fs::path& programFolder, const std::string& backup, const std::string& saved,
                             const Steps& steps)
    : m_path(programFolder / kRestoreMarker)
{
    const std::string text = backup + '\n' + saved + '\n';
    steps.run("mark", m_path, [&] {
        m_file.reset(::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!m_file)
            return false;
        markBeingWritten(m_file.get());
        return writeFullyAt(m_file.get(), text.data(), text.size(), 0) && ::fsync(m_file.get()) == 0
               && syncFolder(programFolder);
    });
}

void RestoreMarker::remove()
{
    ::unlink(m_path.c_str());
    syncFolder(m_path.parent_path());
    m_file.reset();
}

}  // namespace detail

std::optional<InterruptedRestore> recoverAfterCrash(const fs::path& programFolder)
{
    removeStaleTemporaries(programFolder, {kFiles.begin(), kFiles.end()});
    const fs::path marker = programFolder / kRestoreMarker;
    UniqueFd file(::open(marker.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    // A marker that a running restore holds is no leftover.
    if (!file || !oslock::tryLock(file.get(), 0, 0, false))
        return std::nullopt;
    char bytes[512];
    const long long got = readFullyAt(file.get(), bytes, sizeof bytes, 0);
    const std::string text(bytes, static_cast<std::size_t>(std::max(got, 0LL)));
    // Written whole before the first file was replaced; a marker cut short names what it can.
    const std::size_t first = text.find('\n');
    const std::size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
    InterruptedRestore found {"?", "?"};
    if (first != std::string::npos && first > 0)
        found.backup = text.substr(0, first);
    if (second != std::string::npos && second > first + 1)
        found.saved = text.substr(first + 1, second - first - 1);
    ::unlink(marker.c_str());
    detail::syncFolder(programFolder);
    return found;
}

}  // namespace horavant::backup
