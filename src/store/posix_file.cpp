// POSIX file helpers.
#include "store/posix_file.h"

#include "store/error.h"
#include "store/os_lock.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace horavant {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool writeFullyAt(int fd, const void* data, std::size_t size, std::uint64_t offset)
{
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

long long readFullyAt(int fd, void* data, std::size_t size, std::uint64_t offset)
{
    auto* p = static_cast<char*>(data);
    long long total = 0;
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
        total += n;
    }
    return total;
}

long long fileSize(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return -1;
    return st.st_size;
}

namespace {

FileStamp stampOf(const struct stat& st)
{
    return FileStamp {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
                      static_cast<long long>(st.st_size),
                      static_cast<long long>(st.st_mtim.tv_sec) * 1'000'000'000LL + st.st_mtim.tv_nsec};
}

}  // namespace

std::optional<FileStamp> fileStamp(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

std::optional<FileStamp> fileStamp(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    const long long size = fileSize(fd.get());
    if (size < 0)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const long long got = readFullyAt(fd.get(), bytes.data(), bytes.size(), 0);
    if (got < 0) {
        const int error = errno;
        throw IoError(formatMessage("Read error in file \"%s\": %s.", {path.string(), std::strerror(error)}), error);
    }
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}

bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // Some network and FUSE file systems lack the flag.
    return (errno == EINVAL || errno == ENOSYS) && renameNoReplaceByLink(from, to);
}

bool renameNoReplaceByLink(const std::filesystem::path& from, const std::filesystem::path& to)
{
    // A hard link refuses an existing target just as the flag does.
    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) == 0)
            return true;
        ::unlink(to.c_str());  // as it was
        return false;
    }
    if (errno == EEXIST)
        return false;
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT)
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

namespace {

FileAccess accessOf(const struct stat& st)
{
    return {static_cast<unsigned>(st.st_mode & 07777), st.st_uid, st.st_gid};
}

// The length of the random part mkstemp puts after the name and a dot.
constexpr std::size_t kTempSuffix = 6;

bool isTemporaryOf(const std::string& entry, const std::vector<std::string>& names)
{
    for (const std::string& name : names) {
        if (entry.size() != name.size() + 1 + kTempSuffix || !entry.starts_with(name) || entry[name.size()] != '.')
            continue;
        const auto random = std::string_view(entry).substr(name.size() + 1);
        if (std::all_of(random.begin(), random.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            return true;
    }
    return false;
}

}  // namespace

std::optional<FileAccess> fileAccess(const std::filesystem::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return accessOf(st);
}

std::optional<FileAccess> fileAccess(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return accessOf(st);
}

void giveFileAccess(int fd, const FileAccess& access)
{
    // Owner and group first: changing them may clear the set-id bits that the mode then sets.
    if ((access.owner != ::geteuid() || access.group != ::getegid()) && ::fchown(fd, access.owner, access.group) != 0
        && ::fchown(fd, static_cast<uid_t>(-1), access.group) != 0) {
        // Neither is allowed: the file belongs to whoever writes it.
    }
    ::fchmod(fd, access.mode);
}

void markBeingWritten(int fd)
{
    oslock::tryLock(fd, 0, 0, true);
}

void removeStaleTemporaries(const std::filesystem::path& folder, const std::vector<std::string>& names)
{
    std::error_code ec;
    std::vector<std::filesystem::path> stale;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code kind;
        if (!entry.is_regular_file(kind) || entry.is_symlink(kind)
            || !isTemporaryOf(entry.path().filename().string(), names))
            continue;
        // A file that a running program writes is locked; one left by a crash is not.
        UniqueFd fd(::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (fd && oslock::tryLock(fd.get(), 0, 0, false))
            stale.push_back(entry.path());
    }
    for (const auto& path : stale)
        ::unlink(path.c_str());
    if (!stale.empty())
        syncDirectory(folder);
}

void syncDirectory(const std::filesystem::path& folder)
{
    UniqueFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.get());
}

std::filesystem::path followSymlinks(std::filesystem::path path)
{
    // As many links as the system itself follows before it gives up (ELOOP).
    constexpr int kMaxLinks = 40;
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec)))
            return path;
        const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec)
            return path;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& target) : m_target(followSymlinks(target))
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

bool AtomicFileWriter::open()
{
    std::string pattern = m_target.string() + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    markBeingWritten(fd);
    // mkostemp creates the file 0600: a file that is replaced keeps its permissions (a user file
    // made readable by its owner only stays so), and its owner and group, so that others who share
    // it keep their access; a new one gets those of an ordinary new file.
    if (const auto old = fileAccess(m_target)) {
        giveFileAccess(fd, *old);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    m_fd.reset(fd);
    m_temp = pattern;
    m_written = 0;
    return true;
}

void AtomicFileWriter::write(std::string_view bytes)
{
    if (!writeFullyAt(m_fd.get(), bytes.data(), bytes.size(), m_written)) {
        const int error = errno;
        discard();
        throw IoError(formatMessage("Write error in file \"%s\": %s.", {m_target.string(), std::strerror(error)}),
                      error);
    }
    // A large file written block by block sends each block on its way to the disk at once, so
    // the fsync at commit has little left to wait for. Only a hint: its failure changes nothing.
    constexpr std::size_t kWritebackBlock = 256 * 1024;
    if (bytes.size() >= kWritebackBlock)
        ::sync_file_range(m_fd.get(), static_cast<off64_t>(m_written), static_cast<off64_t>(bytes.size()),
                          SYNC_FILE_RANGE_WRITE);
    m_written += bytes.size();
}

void AtomicFileWriter::commit()
{
    // The file stays open, and so marked as being written, until it has its name.
    if (::fsync(m_fd.get()) != 0 || ::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        discard();
        throw IoError(formatMessage("Write error in file \"%s\": %s.", {m_target.string(), std::strerror(error)}),
                      error);
    }
    m_temp.clear();
    m_fd.reset();
    syncDirectory(m_target.parent_path());
}

void AtomicFileWriter::discard()
{
    m_fd.reset();
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

namespace {

[[noreturn]] void throwWriteError(const std::filesystem::path& path, int error)
{
    throw IoError(formatMessage("Write error in file \"%s\": %s.", {path.string(), std::strerror(error)}), error);
}

// The file's own descriptor: written from the start, cut to the new length, synced.
bool saveInPlace(const std::filesystem::path& path, std::string_view bytes)
{
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (!fd)
        return false;
    // The room for the new length comes first: a full disk or quota then fails the save before an
    // old byte is overwritten, where it would leave the file half old, half new.
    const long long old = fileSize(fd.get());
    if (old < 0)
        throwWriteError(path, errno);
    if (static_cast<long long>(bytes.size()) > old) {
        const int error = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes.size()));
        if (error != 0) {
            if (::ftruncate(fd.get(), static_cast<off_t>(old)) != 0) {
                // What was granted of the room stays; the old bytes are untouched all the same.
            }
            throwWriteError(path, error);
        }
    }
    // Cut only once the new bytes are in, so the file is never found empty.
    if (!writeFullyAt(fd.get(), bytes.data(), bytes.size(), 0)
        || ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd.get()) != 0)
        throwWriteError(path, errno);
    return true;
}

}  // namespace

bool saveFileAtomically(const std::filesystem::path& path, std::string_view bytes)
{
    AtomicFileWriter writer(path);
    if (!writer.open()) {
        // Only a folder that takes no new file from this user is written around; a missing
        // folder or a full disk would fare no better in place, and a half-written file is worse.
        if (errno != EACCES && errno != EPERM)
            return false;
        return saveInPlace(followSymlinks(path), bytes);
    }
    writer.write(bytes);
    writer.commit();
    return true;
}

std::filesystem::path SaveLock::lockFileOf(const std::filesystem::path& file)
{
    const std::filesystem::path target = followSymlinks(file);
    return target.parent_path() / ("." + target.filename().string() + ".sperre");
}

SaveLock::SaveLock(const std::filesystem::path& file)
{
    const std::filesystem::path lockFile = lockFileOf(file);
    m_fd.reset(::open(lockFile.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    if (!m_fd && errno == ENOENT) {
        m_fd.reset(::open(lockFile.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        // Whoever may use the data file may take its lock.
        if (m_fd) {
            if (const auto access = fileAccess(followSymlinks(file)))
                giveFileAccess(m_fd.get(), *access);
        } else if (errno == EEXIST) {
            m_fd.reset(::open(lockFile.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
        }
    }
    m_held = m_fd && oslock::lockWait(m_fd.get(), 0, 0, true);
}

SaveLock::~SaveLock()
{
    if (m_held)
        oslock::unlock(m_fd.get(), 0, 0);
}

std::filesystem::path executablePath()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        exe = std::filesystem::current_path(ec) / "horavant";
    return exe;
}

std::filesystem::path executableDir()
{
    return executablePath().parent_path();
}

}  // namespace horavant
