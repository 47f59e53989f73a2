// Reading and appending the journal file.
#include "journal/journal_file.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace horavant::journal {
namespace {

constexpr std::size_t kForwardBlock = 1024 * 1024;
constexpr std::size_t kBackwardBlock = 64 * 1024;
// An entry is written in blocks of this size at most; only a table state takes more than one.
constexpr std::size_t kWriteBlock = 1024 * 1024;

// The number and chain value at the two ends of a line, without splitting the columns between:
// a table state may make the line tens of megabytes long.
std::optional<Tail> tailOf(std::string_view line)
{
    const std::size_t firstTab = line.find('\t');
    const std::size_t lastTab = line.rfind('\t');
    if (firstTab == std::string_view::npos || firstTab == 0 || firstTab > 20 || line.front() == '0')
        return std::nullopt;
    const std::string_view number = line.substr(0, firstTab);
    const std::string_view chain = line.substr(lastTab + 1);
    Tail tail;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), tail.number);
    if (error != std::errc() || end != number.data() + number.size() || !fromHex(chain))
        return std::nullopt;
    tail.chain = std::string(chain);
    return tail;
}

}  // namespace

WriteError::WriteError(const std::filesystem::path& file, int error)
    : IoError(formatMessage("Write error in file \"%s\": %s.", {file.string(), std::strerror(error)})), m_error(error)
{
}

ForwardLines::ForwardLines(int fd) : m_fd(fd), m_block(kForwardBlock)
{
}

bool ForwardLines::fill()
{
    if (m_eof)
        return false;
    const long long n = readFullyAt(m_fd, m_block.data(), m_block.size(), m_offset);
    if (n < 0)
        throw IoError(formatMessage("Read error: %s.", {std::strerror(errno)}));
    m_offset += static_cast<std::uint64_t>(n);
    m_at = 0;
    m_end = static_cast<std::size_t>(n);
    m_eof = m_end < m_block.size();
    return m_end > 0;
}

bool ForwardLines::next(std::string_view& piece)
{
    if (m_at == m_end && !fill()) {
        if (!m_inLine)
            return false;
        // The file ends inside a line.
        m_inLine = false;
        m_ends = m_cut = true;
        m_pieceOffset = m_offset;
        piece = {};
        return true;
    }
    const char* begin = m_block.data() + m_at;
    m_pieceOffset = m_offset - (m_end - m_at);
    const void* newline = std::memchr(begin, '\n', m_end - m_at);
    const std::size_t length = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - begin)
                                       : m_end - m_at;
    piece = std::string_view(begin, length);
    m_at += newline ? length + 1 : length;
    m_ends = newline != nullptr;
    m_inLine = !m_ends;
    m_cut = false;
    return true;
}

BackwardLines::BackwardLines(int fd, std::uint64_t size) : m_fd(fd), m_size(size), m_pos(size)
{
}

void BackwardLines::readAt(std::uint64_t offset, std::size_t size, std::string& out)
{
    const std::size_t before = out.size();
    out.resize(before + size);
    if (offset >= m_blockStart && offset + size <= m_blockEnd) {
        std::memcpy(out.data() + before, m_block.data() + (offset - m_blockStart), size);
        return;
    }
    if (readFullyAt(m_fd, out.data() + before, size, offset) != static_cast<long long>(size))
        throw IoError(formatMessage("Read error: %s.", {std::strerror(errno ? errno : EIO)}));
}

std::optional<std::uint64_t> BackwardLines::newlineBefore(std::uint64_t end)
{
    while (end > 0) {
        if (end <= m_blockStart || end > m_blockEnd) {
            // Load the block that ends at `end`.
            const std::uint64_t start = end > kBackwardBlock ? end - kBackwardBlock : 0;
            m_block.resize(static_cast<std::size_t>(end - start));
            if (readFullyAt(m_fd, m_block.data(), m_block.size(), start) != static_cast<long long>(m_block.size()))
                throw IoError(formatMessage("Read error: %s.", {std::strerror(errno ? errno : EIO)}));
            m_blockStart = start;
            m_blockEnd = end;
        }
        const void* found = ::memrchr(m_block.data(), '\n', static_cast<std::size_t>(end - m_blockStart));
        if (found)
            return m_blockStart + static_cast<std::uint64_t>(static_cast<const char*>(found) - m_block.data());
        end = m_blockStart;
    }
    return std::nullopt;
}

bool BackwardLines::previous(Line& line)
{
    if (m_pos == 0)
        return false;
    std::uint64_t end = m_pos;
    line.cut = false;
    if (m_first) {
        m_first = false;
        std::string last;
        readAt(m_size - 1, 1, last);
        line.cut = last[0] != '\n';
    }
    if (!line.cut)
        --end;  // the line end
    const auto newline = newlineBefore(end);
    const std::uint64_t start = newline ? *newline + 1 : 0;
    const std::uint64_t length = end - start;
    line.offset = start;
    line.text.clear();
    line.shortened = length > kKeptBytes;
    if (line.shortened) {
        readAt(start, kKeptBytes / 2, line.text);
        readAt(end - kKeptBytes / 2, kKeptBytes / 2, line.text);
    } else {
        readAt(start, static_cast<std::size_t>(length), line.text);
    }
    m_pos = start;
    return true;
}

Tail readTail(int fd)
{
    Tail tail;
    const long long size = fileSize(fd);
    if (size <= 0)
        return tail;
    BackwardLines lines(fd, static_cast<std::uint64_t>(size));
    BackwardLines::Line line;
    bool last = true;
    while (lines.previous(line)) {
        if (last)
            tail.cut = line.cut;
        last = false;
        if (line.cut)
            continue;
        if (const auto found = tailOf(line.text)) {
            tail.number = found->number;
            tail.chain = found->chain;
            return tail;
        }
    }
    return tail;
}

std::optional<Tail> readTail(const std::filesystem::path& file)
{
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd)
        return std::nullopt;
    return readTail(fd.get());
}

Tail JournalWriter::tail()
{
    return readTail(m_file).value_or(Tail {});
}

void JournalWriter::append(std::vector<Entry>& entries)
{
    std::error_code ec;
    const bool existed = std::filesystem::exists(m_file, ec);
    UniqueFd fd(::open(m_file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
    if (!fd)
        throw WriteError(m_file, errno);
    const long long size = fileSize(fd.get());
    if (size < 0)
        throw WriteError(m_file, errno);
    const auto stamp = fileStamp(fd.get());
    Tail tail = m_stamp && stamp && *m_stamp == *stamp ? m_tail : readTail(fd.get());

    std::uint64_t at = static_cast<std::uint64_t>(size);
    std::string bytes;
    const auto flush = [&] {
        if (!writeFullyAt(fd.get(), bytes.data(), bytes.size(), at))
            throw WriteError(m_file, errno);
        at += bytes.size();
        bytes.clear();
    };
    const auto put = [&](std::string_view text) {
        bytes += text;
        if (bytes.size() >= kWriteBlock)
            flush();
    };
    m_stamp.reset();
    try {
        // A line a crash cut short is closed with a tab before its end: with an empty chain value
        // after it, it can never pass for an entry, even when only its line end was lost.
        if (tail.cut)
            put("\t\n");
        Sha256 sha;
        std::string line;
        for (Entry& e : entries) {
            e.number = tail.number + 1;
            line.clear();
            appendUnchained(line, e);
            sha.start();
            sha.add(tail.chain);
            sha.add("\t");
            sha.add(line);
            put(line);
            if (e.afterText) {
                e.afterText([&](std::string_view piece) {
                    sha.add(piece);
                    put(piece);
                });
            }
            e.chain = toHex(sha.finish());
            tail.number = e.number;
            tail.chain = e.chain;
            put("\t" + e.chain + "\n");
        }
        flush();
        if (::fdatasync(fd.get()) != 0)
            throw WriteError(m_file, errno);
    } catch (...) {
        // Nothing half-written stays behind to be taken for an entry.
        if (::ftruncate(fd.get(), static_cast<off_t>(size)) == 0)
            ::fdatasync(fd.get());
        throw;
    }
    tail.cut = false;
    if (!existed)
        syncDirectory(m_file.parent_path());
    m_tail = std::move(tail);
    m_stamp = fileStamp(fd.get());
}

}  // namespace horavant::journal
