// Reading the table in blocks: a file cut short by another process, records appended by another
// process, and a file larger than one block.
#include "store/byte_io.h"
#include "store/dbf_table.h"
#include "store/dbf_table_internal.h"
#include "store/error.h"
#include "store/posix_file.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant {
namespace {

constexpr std::uint64_t kHeader = 353, kRecord = 263;
constexpr std::uint32_t kPerBlock = dbf::kBlockBytes / kRecord;

std::u16string numbered(std::uint32_t i)
{
    const std::string s = "R" + std::to_string(i);
    return {s.begin(), s.end()};
}

class DbfBlocksTest : public testing::Test {
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

    test::TempDir dir;
};

// Another program may cut the file short at any moment, also between counting the records and
// reading them: the records past the new end are a failed read, and nothing else.
TEST_F(DbfBlocksTest, AFileCutShortUnderTheScanIsAReadError)
{
    writeTable(kPerBlock + 100);
    DbfTable t;
    open(t);
    EXPECT_EQ(t.fieldText(1), u"R0");
    cutTo(kPerBlock + 2);
    try {
        for (; !t.Eof(); t.Next())
            t.fieldText(1);
        FAIL() << "the scan read past the end of the file";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), testing::StartsWith("Error while reading table"));
    }
    EXPECT_THROW(t.peekRecord(kPerBlock + 90), Error);
    t.Refresh();
    std::uint32_t n = 0;
    for (t.First(); !t.Eof(); t.Next())
        ASSERT_EQ(t.fieldText(1), numbered(n++));
    EXPECT_EQ(n, kPerBlock + 2);
}

TEST_F(DbfBlocksTest, ARecordAppendedByAnotherProcessIsSeenAfterRefresh)
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

TEST_F(DbfBlocksTest, AFileLargerThanTheBlockIsReadOneBlockAtATime)
{
    const std::uint32_t records = 2 * kPerBlock + 10;
    writeTable(records);
    DbfTable t;
    open(t);
    std::uint32_t n = 0, wrong = 0;
    for (t.First(); !t.Eof(); t.Next(), ++n)
        wrong += t.fieldText(1) != numbered(n);
    EXPECT_EQ(n, records);
    EXPECT_EQ(wrong, 0u);

    // A visit of chosen records in their order, by steps short and long (into the block a scan
    // would read next, and beyond it), reads each of them.
    for (const std::uint32_t step : {1u, 40u, 3000u, kPerBlock / 2 + 7, kPerBlock + 1}) {
        std::uint32_t visited = 0;
        wrong = 0;
        for (std::uint32_t r = 3; r < records; r += step, ++visited)
            wrong += !t.gotoRecord(r) || t.fieldText(1) != numbered(r);
        EXPECT_EQ(wrong, 0u) << "step " << step;
        EXPECT_EQ(visited, (records - 3 + step - 1) / step);
    }

    // The current record stays itself while other blocks are looked at, and a filter may look at
    // records of another block while it judges one.
    ASSERT_TRUE(t.gotoRecord(kPerBlock - 1));
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(records - 1), 1), numbered(records - 1));
    EXPECT_EQ(t.fieldText(1), numbered(kPerBlock - 1));
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

}  // namespace
}  // namespace horavant
