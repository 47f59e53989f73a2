// The dBase table layer: exact bytes, tolerant reading, damaged files, failures, two processes.
#include "store/byte_io.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/dbf_table_internal.h"
#include "store/error.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ctime>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant {
namespace {

using test::defineWorkTimeFields;
using test::readFile;
using test::TempDir;
using test::writeFile;

// The records of one read block.
constexpr std::uint32_t kPerBlock = dbf::kBlockBytes / 263;

// What appendNumbered puts into field 1 of record i.
std::u16string numbered(std::uint32_t i)
{
    return u"W" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
}

std::vector<std::u16string> row(std::u16string date, std::u16string who, std::u16string place = u"Bau")
{
    return {date, who, place, u"Maurern", u"08:00", u"12:00", u"", u"False", u"00:30", u"False"};
}

class DbfTableTest : public testing::Test {
protected:
    std::filesystem::path file() const { return dir / "arbeitszeit.dbf"; }

    void create(DbfTable& t)
    {
        t.setFolder(dir.path());
        t.setTableName("arbeitszeit.dbf");
        defineWorkTimeFields(t);
        t.CreateTable();
    }

    void createAndOpen(DbfTable& t)
    {
        create(t);
        t.Open();
    }

    void openAt(DbfTable& t, const std::filesystem::path& path)
    {
        t.setFolder(path.parent_path());
        t.setTableName(path.filename().string());
        t.Open();
    }

    // Records W0, W1, ... W9, W0, ... in field 1, enough of them to fill more than one read block.
    void appendNumbered(DbfTable& t, int count)
    {
        t.beginBulk();
        for (int i = 0; i < count; ++i)
            t.AppendRecord(row(u"01.03.2012", numbered(static_cast<std::uint32_t>(i))));
        t.endBulk();
    }

    std::vector<std::u16string> visibleColumn(DbfTable& t, int field)
    {
        std::vector<std::u16string> out;
        for (t.First(); !t.Eof(); t.Next())
            out.push_back(t.fieldText(field));
        return out;
    }

    TempDir dir;
};

TEST_F(DbfTableTest, FreshWorkTimeTableHasTheExactLayout)
{
    DbfTable t;
    create(t);
    const std::string bytes = readFile(file());
    ASSERT_EQ(bytes.size(), 354u);
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    EXPECT_EQ(b[0], 0x03);
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    EXPECT_EQ(b[1], local.tm_year);
    EXPECT_EQ(b[2], local.tm_mon + 1);
    EXPECT_EQ(b[3], local.tm_mday);
    EXPECT_EQ(getU32le(b + 4), 0u);
    EXPECT_EQ(getU16le(b + 8), 353);
    EXPECT_EQ(getU16le(b + 10), 263);
    EXPECT_EQ(b[29], 0x03);
    for (int i : {12, 20, 27, 28, 30, 31})
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(b[352], 0x0D);
    EXPECT_EQ(b[353], 0x1A);

    // Descriptors: names upper-cased, cut to ten bytes, padded with zeros; Ä as 0xC4.
    EXPECT_EQ(bytes.substr(32, 11), std::string("DATUM\0\0\0\0\0\0", 11));
    EXPECT_EQ(bytes.substr(32 + 3 * 32, 11), std::string("T\xC4TIGKEIT\0\0", 11));
    EXPECT_EQ(bytes.substr(32 + 6 * 32, 11), std::string("BEMERKUNGE\0", 11));
    EXPECT_EQ(bytes[32 + 6 * 32 + 11], 'C');
    EXPECT_EQ(b[32 + 6 * 32 + 16], 100);
    EXPECT_EQ(bytes[32 + 7 * 32 + 11], 'L');
    EXPECT_EQ(b[32 + 7 * 32 + 16], 1);
    EXPECT_EQ(b[32 + 4 * 32 + 17], 0);
}

TEST_F(DbfTableTest, OpensWithFieldsFromTheFile)
{
    DbfTable t;
    createAndOpen(t);
    ASSERT_EQ(t.fieldCount(), 10);
    EXPECT_EQ(t.field(3).name, u"TÄTIGKEIT");
    EXPECT_EQ(t.field(6).name, u"BEMERKUNGE");
    EXPECT_EQ(t.field(4).name, u"ZEIT VON");
    EXPECT_EQ(t.field(7).type, FieldType::Logical);
    EXPECT_EQ(t.field(8).offset, 1 + 10 + 45 * 3 + 5 + 5 + 100 + 1);
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.visibleCount(), 0u);
}

TEST_F(DbfTableTest, CharacterFieldsArePaddedCutAndKeepLeadingBlanks)
{
    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("small.dbf");
    t.addFieldDef(u"kurz", FieldType::Character, 5);
    t.addFieldDef(u"lang", FieldType::Character, 45);
    t.CreateTable();
    t.Open();
    t.AppendRecord({u"abc", std::u16string(50, u'x')});
    t.AppendRecord({u"  ab", u"Größe"});
    t.Close();

    const std::string bytes = readFile(dir / "small.dbf");
    const std::size_t first = 32 + 2 * 32 + 1;
    EXPECT_EQ(bytes.substr(first, 1 + 5 + 45), " abc  " + std::string(45, 'x'));
    EXPECT_EQ(bytes.substr(first + 51 + 6, 5),
              "Gr\xF6\xDF"
              "e");
    EXPECT_EQ(bytes.back(), '\x1A');

    t.Open();
    EXPECT_EQ(t.fieldText(0), u"abc");
    EXPECT_EQ(t.fieldText(1), std::u16string(45, u'x'));
    t.Next();
    EXPECT_EQ(t.fieldText(0), u"  ab");
    EXPECT_EQ(t.fieldText(1), u"Größe");
}

// Trailing blanks and zero bytes are found up to 64 bytes at a time, with loads that may reach into
// the neighbouring fields and, where the buffer has room, past the record: the text before them,
// inner blanks included, must come out whole for every width and length, whether the field fills
// the record or other bytes lie around it. A byte of 0x80..0x9F anywhere in the text is decoded
// through the code page, and one in the neighbouring bytes changes nothing.
TEST(DbfFieldText, DropsExactlyThePaddingForEveryWidthAndLength)
{
    for (int width = 1; width <= 140; width += width < 50 ? 1 : 7) {
        for (const std::size_t before : {0u, 1u, 20u}) {
            for (const std::size_t after : {0u, 20u, 64u}) {
                const FieldInfo field {u"F", FieldType::Character, width, static_cast<int>(before)};
                for (int length = 0; length <= width; ++length) {
                    for (const char padding : {' ', '\0'}) {
                        std::string bytes(static_cast<std::size_t>(width), padding);
                        std::u16string expected(static_cast<std::size_t>(length), u'x');
                        for (int i = 0; i < length; ++i) {
                            const auto at = static_cast<std::size_t>(i);
                            const bool blank = i % 3 == 1 && i != length - 1;
                            bytes[at] = blank ? ' ' : i == length - 1 ? 'y' : 'x';
                            expected[at] = static_cast<char16_t>(bytes[at]);
                        }
                        if (length > 0) {
                            const auto at = static_cast<std::size_t>((length * 5 + width) % length);
                            const auto special = static_cast<std::uint8_t>(width % 2 ? 0x80 : 0x9F);
                            bytes[at] = static_cast<char>(special);
                            expected[at] = cp1252::decodeByte(special);
                        }
                        if (length + 1 < width)
                            bytes[static_cast<std::size_t>(length)] = static_cast<char>(' '
                                                                                        - padding);  // mixed padding
                        const std::string record = std::string(before, '\x8A') + bytes
                                                   + std::string(after, padding ? '\x8A' : 'z');
                        std::u16string out = u"previous";
                        DbfTable::decodeField(
                            field, std::span(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()), out);
                        ASSERT_EQ(out, expected) << "width " << width << " length " << length << " at " << before
                                                 << " with " << after << " after";
                    }
                }
            }
        }
    }
}

TEST_F(DbfTableTest, DefinitionWidthsAreNormalised)
{
    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("w.dbf");
    t.addFieldDef(u"gross", FieldType::Character, 300);
    t.addFieldDef(u"flag", FieldType::Logical, 0);
    t.CreateTable();
    t.Open();
    EXPECT_EQ(t.field(0).width, 255);
    EXPECT_EQ(t.field(1).width, 1);
    EXPECT_EQ(t.recordLength(), 257);
}

TEST_F(DbfTableTest, LogicalFieldsReadAndWriteAsText)
{
    DbfTable t;
    createAndOpen(t);
    t.AppendRecord({u"", u"", u"", u"", u"", u"", u"", u"true", u"", u"FALSE"});
    t.AppendRecord({});
    t.First();
    EXPECT_EQ(t.fieldText(7), u"True");
    EXPECT_EQ(t.fieldText(9), u"False");
    t.Next();
    EXPECT_EQ(t.fieldText(7), u"");
    EXPECT_TRUE(t.fieldIsNull(7));
    EXPECT_TRUE(t.fieldIsNull(0));

    t.Edit();
    try {
        t.setFieldText(7, u"Ja");
        FAIL() << "accepted a text that is no boolean";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "'Ja' is not a valid boolean value for field 'AUSWAERTS'");
    }
    t.setFieldText(7, u"");
    t.Cancel();

    // Bytes other programs write: t is true, any other non-blank false.
    t.Close();
    std::string bytes = readFile(file());
    const std::size_t flag7 = 353 + 1 + 10 + 45 * 3 + 5 + 5 + 100;
    bytes[flag7] = 't';
    bytes[flag7 + 263] = '?';
    writeFile(file(), bytes);
    t.Open();
    EXPECT_EQ(t.fieldText(7), u"True");
    t.Next();
    EXPECT_EQ(t.fieldText(7), u"False");

    // One string read into again and again, the text growing and shrinking in every order.
    std::u16string reused;
    const struct {
        std::uint32_t record;
        int field;
        std::u16string_view text;
    } reads[] = {{0, 7, u"True"}, {1, 7, u"False"}, {1, 9, u""}, {0, 9, u"False"}, {0, 7, u"True"}, {1, 7, u"False"}};
    for (const auto& r : reads) {
        ASSERT_TRUE(t.gotoRecord(r.record));
        t.readFieldText(r.field, reused);
        EXPECT_EQ(reused, r.text) << "record " << r.record << " field " << r.field;
    }
}

TEST_F(DbfTableTest, AppendingRewritesCountAndEndOfFile)
{
    DbfTable t;
    createAndOpen(t);
    t.AppendRecord(row(u"01.03.2012", u"Meier"));
    t.AppendRecord(row(u"02.03.2012", u"Schulz"));
    const std::string bytes = readFile(file());
    ASSERT_EQ(bytes.size(), 353u + 2 * 263 + 1);
    EXPECT_EQ(getU32le(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 4), 2u);
    EXPECT_EQ(bytes[353], ' ');
    EXPECT_EQ(bytes.substr(354, 10), "01.03.2012");
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(t.recNo(), 1u);
    EXPECT_EQ(t.fieldText(1), u"Schulz");
}

TEST_F(DbfTableTest, InsertIsStoredAtTheEndWhateverTheCursor)
{
    DbfTable t;
    createAndOpen(t);
    for (auto who : {u"A", u"B", u"C"})
        t.AppendRecord(row(u"01.03.2012", who));
    t.First();
    t.Append();
    t.setFieldText(1, u"D");
    t.Post();
    EXPECT_EQ(t.recNo(), 3u);
    EXPECT_THAT(visibleColumn(t, 1), testing::ElementsAre(u"A", u"B", u"C", u"D"));
}

TEST_F(DbfTableTest, EditPostAndCancel)
{
    DbfTable t;
    createAndOpen(t);
    t.AppendRecord(row(u"01.03.2012", u"Meier"));
    t.First();
    t.Edit();
    t.setFieldText(2, u"Halle");
    t.Cancel();
    EXPECT_EQ(t.fieldText(2), u"Bau");
    t.Edit();
    t.setFieldText(2, u"Halle");
    t.Post();
    t.Close();
    t.Open();
    EXPECT_EQ(t.fieldText(2), u"Halle");
    EXPECT_THROW(t.Post(), Error);
    EXPECT_THROW(t.setFieldText(2, u"x"), Error);
}

TEST_F(DbfTableTest, ClosePostsAPendingEdit)
{
    DbfTable t;
    createAndOpen(t);
    t.AppendRecord(row(u"01.03.2012", u"Meier"));
    t.Edit();
    t.setFieldText(6, u"nachgetragen");
    t.Close();
    t.Open();
    EXPECT_EQ(t.fieldText(6), u"nachgetragen");
}

TEST_F(DbfTableTest, DeletedRecordsStayInTheFileButAreNotVisited)
{
    DbfTable t;
    createAndOpen(t);
    for (auto who : {u"A", u"B", u"C", u"D"})
        t.AppendRecord(row(u"01.03.2012", who));
    ASSERT_TRUE(t.gotoRecord(1));
    t.Delete();
    EXPECT_EQ(t.fieldText(1), u"C");  // the next record becomes current
    ASSERT_TRUE(t.gotoRecord(3));
    t.Delete();
    EXPECT_EQ(t.fieldText(1), u"C");  // at the end, the one before
    EXPECT_THAT(visibleColumn(t, 1), testing::ElementsAre(u"A", u"C"));
    EXPECT_EQ(t.visibleCount(), 2u);
    EXPECT_EQ(t.visibleRecord(1), 2u);
    EXPECT_FALSE(t.visibleIndexOf(1));
    EXPECT_EQ(t.visibleIndexOf(2), 1u);
    EXPECT_EQ(t.physicalCount(), 4u);
    t.Close();

    const std::string bytes = readFile(file());
    EXPECT_EQ(bytes.size(), 353u + 4 * 263 + 1);
    EXPECT_EQ(getU32le(reinterpret_cast<const std::uint8_t*>(bytes.data()) + 4), 4u);
    EXPECT_EQ(bytes[353 + 263], '*');
    EXPECT_EQ(bytes[353 + 3 * 263], '*');
    t.Open();
    EXPECT_EQ(t.visibleCount(), 2u);
    EXPECT_FALSE(t.gotoRecord(1));
}

TEST_F(DbfTableTest, RandomAccessSkipsDeletedRecordsAcrossCacheBlocks)
{
    DbfTable t;
    createAndOpen(t);
    const std::uint32_t n = kPerBlock + 1000, last = n - 1;
    appendNumbered(t, static_cast<int>(n));
    for (std::uint32_t r : {0u, kPerBlock - 1, kPerBlock, last}) {
        ASSERT_TRUE(t.gotoRecord(r));
        t.Delete();
    }
    EXPECT_EQ(t.visibleCount(), n - 4);
    EXPECT_EQ(t.visibleRecord(0), 1u);
    EXPECT_EQ(t.visibleRecord(kPerBlock - 3), kPerBlock - 2);
    EXPECT_EQ(t.visibleRecord(kPerBlock - 2), kPerBlock + 1);
    EXPECT_EQ(t.visibleRecord(n - 5), last - 1);
    EXPECT_EQ(t.visibleIndexOf(last - 1), n - 5);
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(t.visibleRecord(n - 5)), 1), numbered(last - 1));
}

// While browsing, the current record is read where it lies in the read cache; looking at records
// of another block refills the cache and must leave the current record, and a delete of it, intact.
TEST_F(DbfTableTest, TheCurrentRecordSurvivesTheCacheMovingOn)
{
    DbfTable t;
    createAndOpen(t);
    const std::uint32_t n = kPerBlock + 1000, beyond = n - 3;
    appendNumbered(t, static_cast<int>(n));
    t.setFilter([](const DbfTable& table) { return table.fieldText(1) == u"W5"; });
    t.setFiltered(true);  // the cursor goes to the first accepted record
    EXPECT_EQ(t.visibleCount(), (n + 4) / 10);
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(beyond), 1), numbered(beyond));
    EXPECT_EQ(t.fieldText(1), u"W5");
    t.setFiltered(false);

    ASSERT_TRUE(t.gotoRecord(1));
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(beyond), 1), numbered(beyond));
    EXPECT_EQ(t.fieldText(1), u"W1");
    t.Delete();
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(2), 1), u"W2");
    t.Refresh();
    EXPECT_EQ(t.visibleRecord(1), 2u);
    t.First();
    EXPECT_EQ(t.fieldText(1), u"W0");
}

// A filter may look at other records while it judges one. That moves the read cache on, which must
// change neither the record being judged, nor the current record, nor an edit in progress.
TEST_F(DbfTableTest, AFilterThatReadsOtherRecordsJudgesTheRightOne)
{
    DbfTable t;
    createAndOpen(t);
    const std::uint32_t n = kPerBlock + 10;
    appendNumbered(t, static_cast<int>(n));
    t.setFilter([&t, n](const DbfTable& table) {
        const std::u16string who = table.fieldText(1);
        if (who == u"W5") {
            EXPECT_EQ(t.fieldTextOf(t.peekRecord(n - 1), 1), numbered(n - 1));  // the last cache block
        }
        return table.fieldText(1) == who && (who == u"W3" || who == u"W5");
    });
    t.setFiltered(true);
    EXPECT_EQ(t.fieldText(1), u"W3");
    EXPECT_EQ(t.visibleCount(), (n + 6) / 10 + (n + 4) / 10);
    EXPECT_EQ(t.fieldText(1), u"W3");
    t.Next();
    EXPECT_EQ(t.recNo(), 5u);
    EXPECT_EQ(t.fieldText(1), u"W5");

    t.Edit();
    t.setFieldText(1, u"W3");
    EXPECT_EQ(t.fieldTextOf(t.peekRecord(n - 1), 1), numbered(n - 1));
    EXPECT_EQ(t.fieldText(1), u"W3");
    t.Post();
    EXPECT_EQ(t.visibleIndexOf(5), 1u);
    t.setFiltered(false);
    ASSERT_TRUE(t.gotoRecord(5));
    EXPECT_EQ(t.fieldText(1), u"W3");
}

TEST_F(DbfTableTest, FilterRestrictsTheCursorAndTheVisibleRecords)
{
    DbfTable t;
    createAndOpen(t);
    for (auto who : {u"Meier", u"meier", u"Schulz", u"Meier"})
        t.AppendRecord(row(u"01.03.2012", who));
    t.setFilter([](const DbfTable& table) { return table.fieldText(1) == u"Meier"; });
    EXPECT_EQ(t.visibleCount(), 4u);  // the filter counts only while filtering is on
    t.setFiltered(true);
    EXPECT_EQ(t.recNo(), 0u);
    EXPECT_EQ(t.visibleCount(), 2u);
    EXPECT_EQ(t.visibleRecord(1), 3u);
    std::vector<std::uint32_t> seen;
    for (t.First(); !t.Eof(); t.Next())
        seen.push_back(t.recNo());
    EXPECT_THAT(seen, testing::ElementsAre(0u, 3u));

    t.AppendRecord(row(u"02.03.2012", u"Meier"));
    t.AppendRecord(row(u"02.03.2012", u"Schulz"));
    EXPECT_EQ(t.visibleCount(), 3u);
    t.setFiltered(false);
    EXPECT_EQ(t.visibleCount(), 6u);

    // A filter that fails while it is switched on is not left on.
    t.setFilter([](const DbfTable&) -> bool { throw Error("kaputt"); });
    EXPECT_THROW(t.setFiltered(true), Error);
    EXPECT_FALSE(t.filtered());
    EXPECT_EQ(t.visibleCount(), 6u);
}

TEST_F(DbfTableTest, ReadOnlyRefusesEveryChange)
{
    DbfTable t;
    createAndOpen(t);
    t.AppendRecord(row(u"01.03.2012", u"Meier"));
    t.setReadOnly(true);
    EXPECT_THROW(t.Edit(), Error);
    EXPECT_THROW(t.Append(), Error);
    EXPECT_THROW(t.AppendRecord({}), Error);
    EXPECT_THROW(t.Delete(), Error);
    t.setReadOnly(false);
    t.Edit();
    t.setFieldText(2, u"Halle");
    t.Post();
    EXPECT_EQ(t.physicalCount(), 1u);
}

// Every opening dates the header today and ends the file with 0x1A; where that is so already, the
// opening writes nothing at all (no write and no sync at every start of the program).
TEST_F(DbfTableTest, OpeningDatesTheHeaderTodayAndWritesNothingWhenItIsCurrent)
{
    {
        DbfTable t;
        createAndOpen(t);
        t.AppendRecord(row(u"01.03.2012", u"A"));
    }
    std::string bytes = readFile(file());
    bytes[1] = 100, bytes[2] = 1, bytes[3] = 1;  // 1 January 2000
    bytes.pop_back();
    writeFile(file(), bytes);
    const auto reopen = [&] {
        DbfTable t;
        openAt(t, file());
    };
    reopen();
    std::string current = readFile(file());
    std::uint8_t today[3];
    dbf::putToday(today);
    EXPECT_EQ(current.substr(1, 3), std::string(reinterpret_cast<const char*>(today), 3));
    EXPECT_EQ(current.size(), 353u + 263 + 1);
    EXPECT_EQ(current.back(), '\x1A');

    const auto written = std::filesystem::last_write_time(file());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // past a coarse file clock's tick
    reopen();
    EXPECT_EQ(std::filesystem::last_write_time(file()), written);
    EXPECT_EQ(readFile(file()), current);
}

TEST_F(DbfTableTest, OpeningCorrectsTheCountFromTheFileSize)
{
    {
        DbfTable t;
        createAndOpen(t);
        t.AppendRecord(row(u"01.03.2012", u"A"));
        t.AppendRecord(row(u"02.03.2012", u"B"));
    }
    std::string bytes = readFile(file());
    putU32le(reinterpret_cast<std::uint8_t*>(bytes.data()) + 4, 5);
    bytes.pop_back();  // no end-of-file byte
    bytes += std::string(100, ' ');  // and a partial record
    writeFile(file(), bytes);

    DbfTable t;
    openAt(t, file());
    EXPECT_EQ(t.physicalCount(), 2u);
    EXPECT_EQ(t.visibleCount(), 2u);
    t.Close();
    const std::string after = readFile(file());
    EXPECT_EQ(getU32le(reinterpret_cast<const std::uint8_t*>(after.data()) + 4), 2u);
    EXPECT_EQ(after[353 + 2 * 263], '\x1A');
}

TEST_F(DbfTableTest, OpeningClearsTheMemoBitAndAnOrphanedIndexFlag)
{
    {
        DbfTable t;
        create(t);
    }
    std::string bytes = readFile(file());
    bytes[0] = '\x83';
    bytes[28] = 1;
    bytes[29] = 0x2F;
    writeFile(file(), bytes);
    {
        DbfTable t;
        openAt(t, file());
    }
    std::string after = readFile(file());
    EXPECT_EQ(after[0], '\x03');
    EXPECT_EQ(after[28], 0);
    EXPECT_EQ(after[29], 0x2F);  // the language driver byte is kept

    after[28] = 1;
    writeFile(file(), after);
    writeFile(dir / "arbeitszeit.mdx", "");
    {
        DbfTable t;
        openAt(t, file());
    }
    EXPECT_EQ(readFile(file())[28], 1);
}

class LanguageDriverTest : public DbfTableTest, public testing::WithParamInterface<int> {};

TEST_P(LanguageDriverTest, AnyDriverByteReadsTextAsWindows1252)
{
    {
        DbfTable t;
        createAndOpen(t);
        t.AppendRecord(row(u"01.03.2012", u"Jürgen Müßig", u"Straße €"));
    }
    std::string bytes = readFile(file());
    bytes[29] = static_cast<char>(GetParam());
    writeFile(file(), bytes);
    DbfTable t;
    openAt(t, file());
    EXPECT_EQ(t.fieldText(1), u"Jürgen Müßig");
    EXPECT_EQ(t.fieldText(2), u"Straße €");
}

INSTANTIATE_TEST_SUITE_P(Drivers, LanguageDriverTest, testing::Values(0x00, 0x03, 0x2F, 0x57, 0x61, 0xC8));

// A damaged or foreign file fails to open, with the file left exactly as it was.
struct Damage {
    const char* name;
    std::function<void(std::string&)> apply;
    const char* message;
};

void PrintTo(const Damage& d, std::ostream* os)
{
    *os << d.name;
}

class DamagedTableTest : public DbfTableTest, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedTableTest, FailsWithoutTouchingTheFile)
{
    {
        DbfTable t;
        createAndOpen(t);
        t.AppendRecord(row(u"01.03.2012", u"A"));
    }
    std::string bytes = readFile(file());
    GetParam().apply(bytes);
    writeFile(file(), bytes);

    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("arbeitszeit.dbf");
    try {
        t.Open();
        FAIL() << "opened a damaged file";
    } catch (const AbortError&) {
        EXPECT_STREQ(GetParam().message, "");
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
    EXPECT_FALSE(t.active());
    EXPECT_EQ(readFile(file()), bytes);
}

auto u16At(std::size_t offset, std::uint16_t v)
{
    return [=](std::string& b) { putU16le(reinterpret_cast<std::uint8_t*>(b.data()) + offset, v); };
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedTableTest,
    testing::Values(Damage {"Truncated", [](std::string& b) { b.resize(20); }, "Invalid DBF file."},
                    Damage {"FoxPro", [](std::string& b) { b[0] = 0x30; }, "Invalid DBF file."},
                    Damage {"DbaseTwo", [](std::string& b) { b[0] = 0x02; }, "Invalid DBF file."},
                    Damage {"DbaseSeven", [](std::string& b) { b[0] = 0x04; }, "Invalid DBF file."},
                    Damage {"EmptyFieldName", [](std::string& b) { b[32 + 2 * 32] = 0; }, "Invalid DBF file."},
                    Damage {"NumericField", [](std::string& b) { b[32 + 11] = 'N'; }, "Invalid DBF file."},
                    Damage {"HeaderBeyondFile", u16At(8, 60000), "Invalid DBF file."},
                    Damage {"HeaderShorterThan32", u16At(8, 20), "Invalid DBF file."},
                    Damage {"FieldsBeyondRecord", u16At(10, 100), "Invalid DBF file."},
                    Damage {"NoFields", [](std::string& b) { b[32] = 0x0D; },
                            "Invalid field count: 0 (must be between 1 and 4095)."},
                    Damage {"ZeroHeaderLength", u16At(8, 0), ""}, Damage {"ZeroRecordLength", u16At(10, 0), ""}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(DbfTableTest, AWiderRecordThanTheFieldsNeedIsAccepted)
{
    {
        DbfTable t;
        createAndOpen(t);
    }
    std::string bytes = readFile(file());
    putU16le(reinterpret_cast<std::uint8_t*>(bytes.data()) + 10, 300);
    writeFile(file(), bytes);
    DbfTable t;
    openAt(t, file());
    t.AppendRecord(row(u"01.03.2012", u"A"));
    t.Close();
    EXPECT_EQ(readFile(file()).size(), 353u + 300 + 1);
}

TEST_F(DbfTableTest, MissingFileNamesTheFullPath)
{
    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("fehlt.dbf");
    try {
        t.Open();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Open: file not found: \"" + (dir / "fehlt.dbf").string() + "\".");
    }
}

TEST_F(DbfTableTest, CreationRefusesBadDefinitions)
{
    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("x.dbf");
    try {
        t.CreateTable();
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid field count: 0 (must be between 1 and 4095).");
    }
    for (int i = 0; i < 4096; ++i)
        t.addFieldDef(u"F", FieldType::Logical, 0);
    EXPECT_THROW(t.CreateTable(), Error);
    t.clearFieldDefs();
    t.addFieldDef(u"", FieldType::Character, 10);
    EXPECT_THROW(t.CreateTable(), Error);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.dbf"));
}

TEST_F(DbfTableTest, AFailedAppendLeavesEveryEarlierRecord)
{
    DbfTable t;
    createAndOpen(t);
    t.AppendRecord(row(u"01.03.2012", u"A"));
    t.AppendRecord(row(u"02.03.2012", u"B"));
    const std::string before = readFile(file());
    {
        // Room for only part of the next record: the write fails as on a full disk.
        test::FileSizeLimit limit(before.size() + 100);
        try {
            t.AppendRecord(row(u"03.03.2012", u"C"));
            FAIL() << "the append reported success";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Error while writing occurred. (Disk full?)");
        }
    }
    EXPECT_EQ(readFile(file()), before);
    t.Close();
    DbfTable again;
    openAt(again, file());
    EXPECT_THAT(visibleColumn(again, 1), testing::ElementsAre(u"A", u"B"));
}

TEST_F(DbfTableTest, AFailedCreationKeepsTheOldFile)
{
    {
        DbfTable t;
        createAndOpen(t);
        t.AppendRecord(row(u"01.03.2012", u"A"));
    }
    const std::string before = readFile(file());
    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("arbeitszeit.dbf");
    defineWorkTimeFields(t);
    {
        test::FileSizeLimit limit(100);
        EXPECT_THROW(t.CreateTable(), Error);
    }
    EXPECT_EQ(readFile(file()), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(DbfTableTest, ARecordEditedElsewhereIsLocked)
{
    DbfTable a;
    createAndOpen(a);
    a.AppendRecord(row(u"01.03.2012", u"A"));
    a.AppendRecord(row(u"02.03.2012", u"B"));
    DbfTable b;
    openAt(b, file());

    a.First();
    a.Edit();
    b.First();
    try {
        b.Edit();
        FAIL();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Record locked.");
    }
    EXPECT_THROW(b.Delete(), Error);
    b.Next();
    b.Edit();  // another record is free
    b.Cancel();
    a.setFieldText(2, u"Halle");
    a.Post();
    b.First();
    b.Edit();  // free again, and re-read under the lock
    EXPECT_EQ(b.fieldText(2), u"Halle");
    b.Cancel();
}

TEST_F(DbfTableTest, RefreshShowsRecordsAppendedByAnotherCopy)
{
    DbfTable a;
    createAndOpen(a);
    DbfTable b;
    openAt(b, file());
    a.AppendRecord(row(u"01.03.2012", u"A"));
    EXPECT_EQ(b.visibleCount(), 0u);
    b.Refresh();
    EXPECT_EQ(b.visibleCount(), 1u);
    // b appends after a's record, not over it, even before refreshing again.
    a.AppendRecord(row(u"02.03.2012", u"B"));
    b.AppendRecord(row(u"03.03.2012", u"C"));
    EXPECT_EQ(b.physicalCount(), 3u);
    EXPECT_THAT(visibleColumn(b, 1), testing::ElementsAre(u"A", u"B", u"C"));
}

// What another copy wrote, as this copy meets it: an edit of a record deleted meanwhile is
// refused, and a cheap look takes in the records appended and the changes.
TEST_F(DbfTableTest, TakesInWhatAnotherCopyAppendedChangedOrDeleted)
{
    DbfTable a;
    createAndOpen(a);
    a.AppendRecord(row(u"01.03.2012", u"A"));
    a.AppendRecord(row(u"02.03.2012", u"B"));
    DbfTable b;
    openAt(b, file());
    b.setFilter([](const DbfTable& t) { return t.fieldText(2) != u"Keller"; });
    b.setFiltered(true);
    EXPECT_EQ(b.visibleCount(), 2u);
    EXPECT_FALSE(b.takeInAppended());

    ASSERT_TRUE(b.gotoRecord(1));
    ASSERT_TRUE(a.gotoRecord(1));
    a.Delete();
    EXPECT_THROW(b.Edit(), RecordDeletedError);
    EXPECT_EQ(b.state(), TableState::Browse);

    ASSERT_TRUE(a.gotoRecord(0));
    a.Edit();
    a.setFieldText(2, u"Halle");
    a.Post();
    a.AppendRecord(row(u"03.03.2012", u"C"));
    a.AppendRecord(row(u"04.03.2012", u"D", u"Keller"));
    EXPECT_TRUE(b.takeInAppended());
    EXPECT_FALSE(b.takeInAppended());
    EXPECT_EQ(b.physicalCount(), 4u);
    EXPECT_EQ(b.visibleCount(), 3u);  // the filter holds for the new records
    EXPECT_EQ(b.fieldTextOf(b.peekRecord(b.visibleRecord(0)), 2), u"Halle");
    EXPECT_EQ(b.fieldTextOf(b.peekRecord(b.visibleRecord(2)), 1), u"C");
}

TEST_F(DbfTableTest, TwoProcessesAppendingLoseNoRecord)
{
    {
        DbfTable t;
        create(t);
    }
    constexpr int kEach = 150;
    std::vector<pid_t> children;
    for (char16_t who : {u'X', u'Y'}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int status = 0;
            try {
                DbfTable t;
                openAt(t, file());
                for (int i = 0; i < kEach; ++i)
                    t.AppendRecord(row(u"01.03.2012", std::u16string(1, who)));
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    DbfTable t;
    openAt(t, file());
    const auto names = visibleColumn(t, 1);
    EXPECT_EQ(names.size(), 2u * kEach);
    EXPECT_EQ(std::count(names.begin(), names.end(), u"X"), kEach);
    EXPECT_EQ(std::count(names.begin(), names.end(), u"Y"), kEach);
    EXPECT_EQ(readFile(file()).size(), 353u + 2 * kEach * 263 + 1);
}

}  // namespace
}  // namespace horavant
