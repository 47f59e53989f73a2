// Thin POSIX file helpers: an owning descriptor, full reads and writes, and the whole-file save
// (temporary file, fsync, rename; in place where the folder takes no new file) used by the
// program's small data files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release();
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

// Writes every byte at offset; false (errno set) when the system writes less.
bool writeFullyAt(int fd, const void* data, std::size_t size, std::uint64_t offset);
// Reads until size bytes or the end of the file; the count read, or -1 (errno set).
long long readFullyAt(int fd, void* data, std::size_t size, std::uint64_t offset);
// Current size of the open file, or -1.
long long fileSize(int fd);

// Which version of a file is on disk. Atomic saves replace the file, so a save by another process
// shows as a new inode even within the same clock tick.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    long long size = 0;
    long long modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};
// Nothing when the file does not exist or cannot be asked.
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);
std::optional<FileStamp> fileStamp(int fd);

// The whole file, or nothing when it cannot be opened for reading (errno then says why: ENOENT
// for a file that is not there). A read that fails half-way throws IoError.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// Renames without replacing an existing target; false when the target exists or the rename
// fails. Where the file system lacks the kernel's no-replace rename, renameNoReplaceByLink.
bool renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
// The same with a hard link and an unlink, or, where there are no hard links either, a look at
// the target and a rename.
bool renameNoReplaceByLink(const std::filesystem::path& from, const std::filesystem::path& to);

// The permission bits, owner and group of a file or folder: what a copy or a replacement keeps.
struct FileAccess {
    unsigned mode = 0;  // the permission bits, 07777
    unsigned owner = 0;
    unsigned group = 0;
};
// Nothing when the file cannot be asked. The path's links are followed.
std::optional<FileAccess> fileAccess(const std::filesystem::path& path);
std::optional<FileAccess> fileAccess(int fd);
// Gives the open file the owner and group as far as the system allows (only the superuser may
// give a file away; a member of the group may still keep the group), then the permission bits.
void giveFileAccess(int fd, const FileAccess& access);

// A file written under a temporary name (the target's name and six characters) holds a lock on
// itself until it has its final name, so that removeStaleTemporaries passes it by.
void markBeingWritten(int fd);
// Removes the temporary files of `names` in `folder` that a crash left: those that no running
// program holds marked as being written.
void removeStaleTemporaries(const std::filesystem::path& folder, const std::vector<std::string>& names);

// Makes a rename or a new file in the folder durable.
void syncDirectory(const std::filesystem::path& folder);

// The file a path names once its symbolic links are followed; the path itself when it is no link
// or a link cannot be read. A link to a missing file gives the missing file.
std::filesystem::path followSymlinks(std::filesystem::path path);

// Writes a file beside the target and renames it over the target only when every byte is on
// disk, so a save that fails leaves the old file exactly as it was. A target reached through
// symbolic links is replaced where it lies, the links stay; the new file keeps the old one's
// permission bits (and its owner, where the system allows). The temporary file is marked as being
// written until it is renamed.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::filesystem::path& target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False when the temporary file cannot be created (folder missing or not writable); errno
    // then says why.
    bool open();
    // The temporary file, for a writer that writes it by name (it is replaced, not appended to).
    const std::filesystem::path& tempPath() const { return m_temp; }
    // Throws IoError on a failed write.
    void write(std::string_view bytes);
    // fsync, rename over the target, fsync the folder. Throws IoError; the target is then unchanged.
    void commit();

private:
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temp;
    UniqueFd m_fd;
    std::uint64_t m_written = 0;
};

// Holds the lock between copies of the program over a whole-file save of `file` (read, merge,
// write): an exclusive lock on the hidden file `.<name>.sperre` beside it. The lock file is made
// when missing, with the data file's permissions, and never removed: a lock file removed and made
// anew would not exclude a copy that still holds the old one. Waits for the lock; where the lock
// file cannot be made or written, or the system refuses locks, it goes on without one, as the
// table's locks do.
class SaveLock {
public:
    explicit SaveLock(const std::filesystem::path& file);
    ~SaveLock();
    SaveLock(const SaveLock&) = delete;
    SaveLock& operator=(const SaveLock&) = delete;
    bool held() const { return m_held; }
    static std::filesystem::path lockFileOf(const std::filesystem::path& file);

private:
    UniqueFd m_fd;
    bool m_held = false;
};

// Saves bytes to path atomically. Where the folder refuses a new file beside it (a folder the
// user may not write to, holding files he may), the file is written and cut in place instead,
// once the disk has granted the room for the new length. False (errno set) when the file can be
// written neither way (the caller decides whether that is silent); throws IoError (with the
// system's error number) when writing fails: the old file is then kept, on the atomic way whole,
// in place unless the disk failed after granting the room.
bool saveFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The running executable, and its folder.
std::filesystem::path executablePath();
std::filesystem::path executableDir();

}  // namespace horavant
