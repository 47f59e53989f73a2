// Opening, creating and upgrading the work-time table, and its employee filter.
#include "i18n/message_table.h"
#include "store/error.h"
#include "store/distinct_texts.h"
#include "store/posix_file.h"
#include "store/regional.h"
#include "store/work_time_table.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;

std::u16string german(int n)
{
    return std::u16string(MessageTable.at(static_cast<std::size_t>(n)));
}

std::u16string english(int n)
{
    switch (n) {
    case 36: return u"Date";
    case 44: return u"Worker";
    case 37: return u"Place";
    case 38: return u"Activity";
    case 45: return u"Time from";
    case 46: return u"Time to";
    case 42: return u"Remarks";
    case 47: return u"Away";
    case 35: return u"Break";
    case 48: return u"Double";
    default: return u"";
    }
}

class WorkTimeTableTest : public testing::Test {
protected:
    WorkTimeTableTest()
    {
        for (DbfTable* t : {&dbf1, &dbf2})
            t->setFolder(dir.path());
        dbf1.setTableName("arbeitszeit.dbf");
        dbf2.setTableName("temp.dbf");
    }

    void open(const MessageLookup& names = german) { CreateandopenTables(dbf1, dbf2, names, german); }

    bool exists(const char* name) const { return std::filesystem::exists(dir / name); }

    // An older table: the first eight fields only, three live records and one deleted.
    std::string writeEightFieldTable()
    {
        DbfTable old;
        old.setFolder(dir.path());
        old.setTableName("arbeitszeit.dbf");
        test::defineWorkTimeFields(old);
        auto defs = old.fieldDefs();
        old.clearFieldDefs();
        for (std::size_t i = 0; i < 8; ++i)
            old.addFieldDef(defs[i].name, defs[i].type, defs[i].width);
        old.CreateTable();
        old.Open();
        for (auto who : {u"Meier", u"Gelöscht", u"Schulz", u"Wolf"}) {
            test::Row row {
                .employee = who, .remarks = u"alt", .away = who == std::u16string(u"Wolf") ? u"True" : u"False"};
            auto texts = row.texts();
            texts.resize(8);
            old.AppendRecord(texts);
        }
        old.gotoRecord(1);
        old.Delete();
        old.Close();
        return readFile(dir / "arbeitszeit.dbf");
    }

    std::vector<std::u16string> column(int field)
    {
        std::vector<std::u16string> out;
        for (dbf1.First(); !dbf1.Eof(); dbf1.Next())
            out.push_back(dbf1.fieldText(field));
        return out;
    }

    TempDir dir;
    DbfTable dbf1;
    DbfTable dbf2;
};

TEST_F(WorkTimeTableTest, FirstStartCreatesAnEmptyTenFieldTable)
{
    open();
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf").size(), 354u);
    EXPECT_EQ(dbf1.fieldCount(), 10);
    EXPECT_EQ(dbf1.field(3).name, u"TÄTIGKEIT");
    EXPECT_FALSE(exists("temp.dbf"));
    EXPECT_FALSE(exists("arbeitszeit0.dbf"));
}

TEST_F(WorkTimeTableTest, FieldNamesFollowTheCurrentLanguage)
{
    open(english);
    EXPECT_EQ(dbf1.field(0).name, u"DATE");
    EXPECT_EQ(dbf1.field(4).name, u"TIME FROM");
    test::appendRows(dbf1, {{.employee = u"Meier"}});
    EXPECT_EQ(column(1), std::vector<std::u16string> {u"Meier"});
}

TEST_F(WorkTimeTableTest, ATranslationWithoutCharactersFallsBackToTheGermanName)
{
    open([](int n) { return n == 36 ? std::u16string(u"  ") : german(n); });
    EXPECT_EQ(dbf1.field(0).name, u"DATUM");
}

TEST_F(WorkTimeTableTest, AnEightFieldTableIsUpgraded)
{
    const std::string old = writeEightFieldTable();
    open();
    EXPECT_EQ(dbf1.fieldCount(), 10);
    EXPECT_THAT(column(1), testing::ElementsAre(u"Meier", u"Schulz", u"Wolf"));
    EXPECT_THAT(column(6), testing::Each(u"alt"));
    EXPECT_THAT(column(7), testing::ElementsAre(u"False", u"False", u"True"));
    EXPECT_THAT(column(8), testing::Each(u""));
    EXPECT_THAT(column(9), testing::Each(u""));
    EXPECT_EQ(readFile(dir / "arbeitszeit0.dbf"), old);
    EXPECT_FALSE(exists("temp.dbf"));
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf").size(), 353u + 3 * 263 + 1);
}

TEST_F(WorkTimeTableTest, AnEarlierBackupStaysWhenUpgradingAgain)
{
    test::writeFile(dir / "arbeitszeit0.dbf", "earlier backup");
    writeEightFieldTable();
    open();
    EXPECT_EQ(readFile(dir / "arbeitszeit0.dbf"), "earlier backup");
    EXPECT_EQ(dbf1.fieldCount(), 10);
    EXPECT_EQ(column(1).size(), 3u);
    EXPECT_FALSE(exists("temp.dbf"));
}

// The backup's rename, and the one used where the file system lacks the kernel's no-replace flag.
TEST(RenameNoReplace, MovesAFileOnlyToAFreeName)
{
    for (auto rename : {&renameNoReplace, &renameNoReplaceByLink}) {
        test::TempDir dir;
        test::writeFile(dir / "a", "new");
        test::writeFile(dir / "b", "old");
        EXPECT_FALSE(rename(dir / "a", dir / "b"));
        EXPECT_EQ(readFile(dir / "a"), "new");
        EXPECT_EQ(readFile(dir / "b"), "old");
        EXPECT_TRUE(rename(dir / "a", dir / "c"));
        EXPECT_FALSE(std::filesystem::exists(dir / "a"));
        EXPECT_EQ(readFile(dir / "c"), "new");
        EXPECT_FALSE(rename(dir / "missing", dir / "d"));
        EXPECT_FALSE(std::filesystem::exists(dir / "d"));
    }
}

TEST_F(WorkTimeTableTest, ATenFieldTableOpensUnchanged)
{
    {
        DbfTable t;
        test::createWorkTimeTable(t, dir.path());
        test::appendRows(t, {{.employee = u"Meier"}});
    }
    std::string before = readFile(dir / "arbeitszeit.dbf");
    open();
    const std::string after = readFile(dir / "arbeitszeit.dbf");
    // Only the date of last update may differ: opening rewrites the header.
    before.replace(1, 3, after.substr(1, 3));
    EXPECT_EQ(after, before);
    EXPECT_FALSE(exists("arbeitszeit0.dbf"));
}

TEST_F(WorkTimeTableTest, ADamagedTableIsNeverReplaced)
{
    test::writeFile(dir / "arbeitszeit.dbf", std::string(400, 'x'));
    EXPECT_THROW(open(), Error);
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf"), std::string(400, 'x'));

    std::string zeroLength(400, '\0');
    zeroLength[0] = 0x03;
    test::writeFile(dir / "arbeitszeit.dbf", zeroLength);
    try {
        open();
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid DBF file.");
    }
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf"), zeroLength);
}

TEST_F(WorkTimeTableTest, FilterMatchesTheEmployeeExactlyWithoutTrailingBlanks)
{
    open();
    test::appendRows(
        dbf1, {{.employee = u"Meier"}, {.employee = u"meier"}, {.employee = u"Meier   "}, {.employee = u" Meier"}});
    const std::u16string arbeiter = u"Meier";
    dbf1.setFilter([&](const DbfTable& t) { return Dbf1FilterRecord(t, arbeiter); });
    dbf1.setFiltered(true);
    std::vector<std::uint32_t> seen;
    for (dbf1.First(); !dbf1.Eof(); dbf1.Next())
        seen.push_back(dbf1.recNo());
    EXPECT_THAT(seen, testing::ElementsAre(0u, 2u));
}

// Each record's text is noted in as few bytes as the number of texts allows: a field with more
// distinct texts than two bytes count is noted in four, and the records of a text are still
// visited one by one.
TEST_F(WorkTimeTableTest, ManyDistinctTextsAreNotedInWiderNumbers)
{
    open();
    const std::uint32_t many = 0x10000;
    dbf1.beginBulk();
    for (std::uint32_t i = 0; i < many; ++i) {
        const std::string number = std::to_string(i);
        dbf1.AppendRecord({u"01.03.2012", u"M" + std::u16string(number.begin(), number.end())});
    }
    test::appendRows(dbf1, {{.employee = u"M7"}});
    dbf1.endBulk();
    const std::chrono::sys_days day = std::chrono::year(2012) / 3 / 1;
    const DatedTextRows gathered = collectDatedTextRows(dbf1, workfield::kEmployee, Regional::german());
    EXPECT_EQ(gathered.subjects.texts.size(), many);
    EXPECT_TRUE(gathered.subjects.complete);
    EXPECT_EQ(gathered.subjects.textOfRecord.bytesHeld(), (many + 1) * 4);
    EXPECT_EQ(gathered.recordsOf(dbf1, u"M7", day, day), (std::vector<std::uint32_t> {7, many}));
    EXPECT_EQ(gathered.recordsOf(dbf1, u"M65535", day, day), (std::vector<std::uint32_t> {65535}));

    const DatedTextRows few = collectDatedTextRows(dbf1, workfield::kDate, Regional::german());
    EXPECT_TRUE(few.subjects.complete);
    EXPECT_EQ(few.recordsOf(dbf1, u"01.03.2012", day, day), std::nullopt);  // too many to visit one by one
}

}  // namespace
}  // namespace horavant
