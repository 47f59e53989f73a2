// Reading and appending protokoll.txt: its lines forward and backward (newest first, without
// reading the whole file), where the last whole entry stands, and the durable append.
#pragma once

#include "journal/journal_line.h"
#include "store/error.h"
#include "store/posix_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace horavant::journal {

// A write to the journal failed; errno's value says why.
class WriteError : public IoError {
public:
    WriteError(const std::filesystem::path& file, int error);
    int error() const { return m_error; }

private:
    int m_error;
};

// The lines of an open file from the first, without their line ends, in pieces as the blocks
// read hold them: a line longer than a block (a table state) is never held whole. The last line
// also when the file does not end in one.
class ForwardLines {
public:
    explicit ForwardLines(int fd);
    // The next piece of the current line, or the first of the next line.
    bool next(std::string_view& piece);
    // Where in the file the piece just returned starts.
    std::uint64_t offset() const { return m_pieceOffset; }
    // Whether the piece just returned ends its line.
    bool ends() const { return m_ends; }
    // Whether the line that just ended had no line end (the file ends inside it).
    bool cut() const { return m_cut; }

private:
    bool fill();

    int m_fd;
    std::uint64_t m_offset = 0;  // where the block ends in the file
    std::vector<char> m_block;
    std::size_t m_at = 0;
    std::size_t m_end = 0;
    std::uint64_t m_pieceOffset = 0;
    bool m_eof = false;
    bool m_inLine = false;
    bool m_ends = false;
    bool m_cut = false;
};

// The lines of an open file from the last back to the first. A line longer than kKeptBytes keeps
// only its first and its last kKeptBytes / 2 bytes, which hold every column but the digests.
class BackwardLines {
public:
    static constexpr std::size_t kKeptBytes = 64 * 1024;

    BackwardLines(int fd, std::uint64_t size);
    struct Line {
        std::string text;
        bool shortened = false;
        bool cut = false;  // the file's last line, without its line end
        std::uint64_t offset = 0;
    };
    bool previous(Line& line);
    // Where the lines not read yet end.
    std::uint64_t position() const { return m_pos; }

private:
    // The offset of the last '\n' before `end`, or nothing.
    std::optional<std::uint64_t> newlineBefore(std::uint64_t end);
    void readAt(std::uint64_t offset, std::size_t size, std::string& out);

    int m_fd;
    std::uint64_t m_size;
    std::uint64_t m_pos;
    bool m_first = true;
    std::vector<char> m_block;
    std::uint64_t m_blockStart = 0;
    std::uint64_t m_blockEnd = 0;
};

// Where the journal's last whole entry stands.
struct Tail {
    std::uint64_t number = 0;  // 0: no entry yet
    std::string chain = kChainStart;
    bool cut = false;  // the file ends inside a line (cut short by a crash)

    bool operator==(const Tail&) const = default;
};
// Lines that are no whole entry are passed over.
Tail readTail(int fd);
// The tail of the journal file at `file`; nothing when there is none.
std::optional<Tail> readTail(const std::filesystem::path& file);

// Appends entries to one journal file. The caller holds the table's append lock, which every
// copy of the program takes before it appends, so no two appends mix.
class JournalWriter {
public:
    explicit JournalWriter(std::filesystem::path file) : m_file(std::move(file)) {}

    // Numbers and chains the entries after the last whole entry, writes them (closing first a
    // line that a crash cut short with a tab and a line end, so they start on a line of their
    // own) and syncs them. A column written in pieces goes to the file a block at a time. On a
    // failure the file is cut back to where it ended and WriteError (or what a column's source
    // threw) is thrown.
    void append(std::vector<Entry>& entries);
    // The last whole entry as the file holds it now.
    Tail tail();
    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
    // The tail this copy wrote last, valid while the file is still as it left it.
    std::optional<FileStamp> m_stamp;
    Tail m_tail;
};

}  // namespace horavant::journal
