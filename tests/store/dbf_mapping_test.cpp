// Reading the table through mapped windows: a file cut short under the mapping, records appended
// by another process, and a file larger than one window.
#include "store/byte_io.h"
#include "store/dbf_table.h"
#include "store/dbf_table_internal.h"
#include "store/error.h"
#include "store/posix_file.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant {
namespace {

constexpr std::uint64_t kHeader = 353, kRecord = 263;
constexpr std::uint32_t kPerWindow = dbf::kMapWindowBytes / kRecord;

std::u16string numbered(std::uint32_t i)
{
    const std::string s = "R" + std::to_string(i);
    return {s.begin(), s.end()};
}

class DbfMappingTest : public testing::Test {
protected:
    std::filesystem::path file() const { return dir / "arbeitszeit.dbf"; }

    // A work-time table whose record i holds "R<i>" as its employee, written in one go.
    void writeTable(std::uint32_t records)
    {
        DbfTable t;
        t.setFolder(dir.path());
        t.setTableName("arbeitszeit.dbf");
        test::defineWorkTimeFields(t);
        t.CreateTable();
        std::string bytes(records * kRecord, ' ');
        for (std::uint32_t i = 0; i < records; ++i) {
            const std::string who = "R" + std::to_string(i);
            bytes.replace(i * kRecord + 11, who.size(), who);
        }
        bytes += '\x1A';
        UniqueFd fd(::open(file().c_str(), O_RDWR));
        ASSERT_TRUE(writeFullyAt(fd.get(), bytes.data(), bytes.size(), kHeader));
        std::uint8_t count[4];
        putU32le(count, records);
        ASSERT_TRUE(writeFullyAt(fd.get(), count, 4, 4));
    }

    void open(DbfTable& t)
    {
        t.setFolder(dir.path());
        t.setTableName("arbeitszeit.dbf");
        t.Open();
    }

    void cutTo(std::uint32_t records)
    {
        ASSERT_EQ(::truncate(file().c_str(), static_cast<off_t>(kHeader + records * kRecord)), 0);
    }

    // The bytes of the table file this process has mapped.
    std::uint64_t mappedBytes()
    {
        std::ifstream maps("/proc/self/maps");
        std::uint64_t total = 0;
        for (std::string line; std::getline(maps, line);) {
            if (!line.ends_with(file().string()))
                continue;
            std::uint64_t from = 0, to = 0;
            std::sscanf(line.c_str(), "%lx-%lx", &from, &to);
            total += to - from;
        }
        return total;
    }

    test::TempDir dir;
};

// Another program may cut the file short at any moment, also after the window was mapped: the
// pages past the new end must read as a failed read, not end the program with SIGBUS.
TEST_F(DbfMappingTest, AFileCutShortUnderTheMappingIsAReadErrorNotACrash)
{
    writeTable(100);  // seven pages, all in one window
    DbfTable t;
    open(t);
    EXPECT_EQ(t.fieldText(1), u"R0");
    cutTo(2);
    try {
        for (; !t.Eof(); t.Next())
            t.fieldText(1);
        FAIL() << "the scan read past the end of the file";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), testing::StartsWith("Error while reading table"));
    }
    // A look at a record beyond the end checks the size before it maps anything.
    EXPECT_THROW(t.peekRecord(90), Error);
    t.Refresh();
    std::vector<std::u16string> names;
    for (t.First(); !t.Eof(); t.Next())
        names.push_back(t.fieldText(1));
    EXPECT_THAT(names, testing::ElementsAre(u"R0", u"R1"));
    // Any other SIGBUS still ends the program as before.
    EXPECT_DEATH(::raise(SIGBUS), "");
}

TEST_F(DbfMappingTest, ARecordAppendedByAnotherProcessIsSeenAfterRefresh)
{
    writeTable(20);
    DbfTable t;
    open(t);
    EXPECT_EQ(t.visibleCount(), 20u);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int status = 1;
        try {
            DbfTable other;
            open(other);
            other.AppendRecord({u"01.03.2012", u"Neu"});
            status = 0;
        } catch (...) {
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(t.visibleCount(), 20u);
    t.Refresh();
    ASSERT_EQ(t.visibleCount(), 21u);
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(20), 1), u"Neu");
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(19), 1), u"R19");
    t.AppendRecord({u"02.03.2012", u"Danach"});
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(21), 1), u"Danach");
}

TEST_F(DbfMappingTest, AFileLargerThanTheWindowIsReadOneWindowAtATime)
{
    const std::uint32_t records = 2 * kPerWindow + 10;
    writeTable(records);
    for (const bool mapped : {true, false}) {
        SCOPED_TRACE(mapped ? "mapped" : "read in blocks");
        DbfTable t;
        open(t);
        t.setMapped(mapped);
        std::uint32_t n = 0, wrong = 0;
        for (t.First(); !t.Eof(); t.Next(), ++n)
            wrong += t.fieldText(1) != numbered(n);
        EXPECT_EQ(n, records);
        EXPECT_EQ(wrong, 0u);
        if (mapped) {
            // Memory stays flat: one window of the file is mapped, never the whole file.
            const std::uint64_t bytes = mappedBytes();
            EXPECT_GT(bytes, 0u);
            EXPECT_LE(bytes, dbf::kMapWindowBytes + 2 * 4096);
        }

        // The current record stays itself while other windows are looked at, and a filter may
        // look at records of another window while it judges one.
        ASSERT_TRUE(t.gotoRecord(kPerWindow - 1));
        EXPECT_EQ(t.fieldTextOf(t.peekRecord(records - 1), 1), numbered(records - 1));
        EXPECT_EQ(t.fieldText(1), numbered(kPerWindow - 1));
        t.setFilter([&t, records](const DbfTable& table) {
            if (table.fieldText(1) != u"R5")
                return false;
            EXPECT_EQ(t.fieldTextOf(t.peekRecord(records - 1), 1), numbered(records - 1));
            return table.fieldText(1) == u"R5";
        });
        t.setFiltered(true);
        EXPECT_EQ(t.recNo(), 5u);
        EXPECT_EQ(t.visibleCount(), 1u);
    }

    // Cut short before the scan reaches the second window: the size is checked before mapping.
    DbfTable t;
    open(t);
    cutTo(kPerWindow + 5);
    EXPECT_EQ(t.fieldText(1), u"R0");
    EXPECT_THROW(
        {
            for (; !t.Eof(); t.Next())
                t.fieldText(1);
        },
        Error);
}

}  // namespace
}  // namespace horavant
