// The shipped translations: the table's text form and its faults, the store's use of it (new rows,
// loaded rows, the user's cells), and the program's own table against its messages and fields.
#include "i18n/message_table.h"
#include "i18n/shipped_table_format.h"
#include "i18n/shipped_translations.h"
#include "i18n/translation_store.h"
#include "store/dbf_table.h"
#include "store/work_time_table.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using testing::HasSubstr;

TEST(ShippedTableFormat, ReadsCellsWithTheirEscapesAndSkipsCommentsAndBlankLines)
{
    const std::string text
        = "\xEF\xBB\xBF# Abschnitt\n"
          "Datum\tDate\tFecha\r\n"
          "\n"
          "   \n"
          "Zwei\\nZeilen\tTwo\\nlines\tDos\\r\\nl\xC3\xADneas\n"
          "A\\\\B\tA\\tB\t\xF0\x9F\x98\x80";
    const std::vector<ShippedTableRow> rows = parseShippedTable(text, "t.tsv");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].line, 2);
    EXPECT_EQ(rows[0].spanish, u"Fecha");
    EXPECT_EQ(rows[1].line, 5);
    EXPECT_EQ(rows[1].german, u"Zwei\nZeilen");
    EXPECT_EQ(rows[1].spanish, u"Dos\r\nlíneas");
    EXPECT_EQ(rows[2].german, u"A\\B");
    EXPECT_EQ(rows[2].english, u"A\tB");
    EXPECT_EQ(rows[2].spanish, u"\U0001F600");
}

struct Fault {
    const char* name;
    std::string text;
    const char* message;
};

class ShippedTableFault : public testing::TestWithParam<Fault> {};

TEST_P(ShippedTableFault, StopsWithTheLineAndWhatIsWrong)
{
    try {
        parseShippedTable("# Kopf\nGut\tGood\tBueno\n" + GetParam().text, "shipped.tsv");
        FAIL() << "no error";
    } catch (const ShippedTableError& e) {
        EXPECT_THAT(e.what(), HasSubstr(std::string("shipped.tsv:3: ") + GetParam().message));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShippedTableFault,
    testing::Values(
        Fault {"TwoColumns", "Datum\tDate\n", "3 tab-separated columns expected (German, English, Spanish), found 2"},
        Fault {"FourColumns", "Datum\tDate\tFecha\tDatum\n",
               "3 tab-separated columns expected (German, English, Spanish), found 4"},
        Fault {"BlanksInsteadOfATab", "Datum    Date\tFecha\n",
               "3 tab-separated columns expected (German, English, Spanish), found 2"},
        Fault {"Duplicate", "Gut\tFine\tBien\n", "the German text of line 2 comes again"},
        Fault {"EmptyGerman", "\tDate\tFecha\n", "the German text is empty"},
        Fault {"EmptySpanish", "Datum\tDate\t\n", "the Spanish text is empty"},
        Fault {"GermanWithBlanks", " Datum\tDate\tFecha\n", "the German text has blanks at its start or end"},
        Fault {"TranslationEndsInALineBreak", "Datum\tDate\\n\tFecha\n",
               "the English text starts or ends with a blank"},
        Fault {"UnknownEscape", "Datum\tDate\tFe\\xcha\n", "the Spanish text holds a backslash that is not one of"},
        Fault {"BackslashAtTheEnd", "Datum\tDate\tFecha\\\n", "the Spanish text holds a backslash"},
        Fault {"ControlCharacter", "Datum\x01\tDate\tFecha\n", "the German text holds a control character"},
        Fault {"Latin1", "D\xE4tum\tDate\tFecha\n", "the German text is not valid UTF-8"},
        Fault {"Overlong", "D\xC0\xAFtum\tDate\tFecha\n", "the German text is not valid UTF-8"},
        Fault {"Surrogate", "D\xED\xA0\x80tum\tDate\tFecha\n", "the German text is not valid UTF-8"},
        Fault {"CutSequence", "Datum\tDate\tFech\xC3", "the Spanish text is not valid UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShippedTableFormat, NamesEveryFaultOfTheTableAtOnce)
{
    try {
        parseShippedTable("Datum\tDate\nOrt\tPlace\tLugar\nOrt\tPlace\tLugar\n", "t.tsv");
        FAIL() << "no error";
    } catch (const ShippedTableError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "t.tsv:1: 3 tab-separated columns expected (German, English, Spanish), found 2\n"
                  "t.tsv:3: the German text of line 2 comes again\n");
    }
}

constexpr ShippedTranslation kTestRows[] = {
    {u"Datum", u"Date", u"Fecha"},
    {u"Ort", u"Place", u"Lugar"},
    {u"Pause", u"Break", u"Pausa"},
};
static_assert(sortedByGerman(kTestRows));

std::string le(std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
}

// translate.dat of 30 columns; each row is padded with empty strings.
std::string storeBytes(const std::vector<std::vector<std::u16string>>& rows)
{
    std::string out = le(30) + le(static_cast<std::int32_t>(rows.size()));
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < 30; ++c) {
            const std::u16string text = c < row.size() ? row[c] : u"";
            out += le(static_cast<std::int32_t>(text.size()));
            for (const char16_t u : text)
                out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        }
    }
    return out;
}

class ShippedStoreTest : public testing::Test {
protected:
    TempDir dir;
    TranslationStore store {dir / "translate.dat", ShippedTranslations(kTestRows)};
};

TEST_F(ShippedStoreTest, ANewRowTakesTheShippedCellsAndIsShownTranslatedAtOnce)
{
    store.InitTranslations();
    store.setCurrentLanguage(2);
    EXPECT_EQ(store.Translate(u"  Ort "), u"  Lugar ");
    EXPECT_EQ(store.Translate(u"Neu"), u"Neu");
    store.setCurrentLanguage(1);
    EXPECT_EQ(store.GetMessageText(37), u"Place");
    // Saved at once, in the file's own format; columns 3 to 29 stay empty.
    EXPECT_EQ(readFile(dir / "translate.dat"), storeBytes({{u"Ort", u"Place", u"Lugar"}, {u"Neu"}}));
}

TEST_F(ShippedStoreTest, LoadingFillsOnlyEmptyCellsOfKnownTextsAndLeavesTheFileAlone)
{
    std::vector<std::u16string> other(30, u"");
    other[0] = u"Pause";
    other[3] = u"Pausa3";
    other[29] = u"Pausa29";
    const std::string bytes = storeBytes({
        {u"Datum", u"My date"},  // the user's English stays, Spanish is filled
        {u"Ort", u"", u"Sitio"},  // the user's Spanish stays
        {u"Ort ", u"", u""},  // not the shipped text: a blank more
        {u"Unbekannt", u"", u""},  // not shipped
        {u"Pause", u" ", u"", u"Pausa3"},  // a blank is a cell the user filled
        other,
    });
    writeFile(dir / "translate.dat", bytes);
    store.InitTranslations();
    const std::vector<std::vector<std::u16string>> expected = {
        {u"Datum", u"My date", u"Fecha"}, {u"Ort", u"Place", u"Sitio"}, {u"Ort ", u"", u""},
        {u"Unbekannt", u"", u""},         {u"Pause", u" ", u"Pausa"},   {u"Pause", u"Break", u"Pausa"},
    };
    ASSERT_EQ(store.rowCount(), 6);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(store.cell(r, c), expected[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])
                << r << "," << c;
    }
    EXPECT_EQ(store.cell(4, 3), u"Pausa3");
    EXPECT_EQ(store.cell(5, 3), u"Pausa3");
    EXPECT_EQ(store.cell(5, 29), u"Pausa29");
    EXPECT_EQ(readFile(dir / "translate.dat"), bytes);

    // The user's cells win in the lookup and survive the next save and load.
    store.setCurrentLanguage(1);
    EXPECT_EQ(store.Translate(u"Datum"), u"My date");
    store.SaveTranslations();
    TranslationStore again(dir / "translate.dat", ShippedTranslations(kTestRows));
    again.InitTranslations();
    again.setCurrentLanguage(2);
    EXPECT_EQ(again.cell(0, 1), u"My date");
    EXPECT_EQ(again.Translate(u"Ort"), u"Sitio");
}

// The program's own table: every message, and the table's field names that a new table takes from
// the messages in the chosen language.
TEST(ProgramShippedTranslations, CoverEveryMessage)
{
    const ShippedTranslations shipped = shippedTranslations();
    for (int n = 1; n <= kMessageCount; ++n) {
        const std::u16string_view german = MessageTable[static_cast<std::size_t>(n)];
        if (german.empty())
            continue;
        const ShippedTranslation* row = shipped.find(german);
        ASSERT_NE(row, nullptr) << "message " << n << " is not shipped";
        EXPECT_FALSE(row->english.empty() || row->spanish.empty()) << "message " << n;
    }
}

TEST(ProgramShippedTranslations, GiveANewTableTenDistinctFieldNamesInEveryLanguage)
{
    for (const int language : {1, 2}) {
        TempDir dir;
        TranslationStore store(dir / "translate.dat");
        store.InitTranslations();
        store.setCurrentLanguage(language);
        DbfTable table;
        table.setFolder(dir.path());
        table.setTableName("arbeitszeit.dbf");
        defineWorkTimeFields(
            table, [&](int n) { return store.GetMessageText(n); },
            [](int n) { return std::u16string(MessageTable[static_cast<std::size_t>(n)]); });
        table.CreateTable();
        table.Open();
        std::set<std::u16string> names;
        for (int i = 0; i < table.fieldCount(); ++i) {
            const std::u16string& name = table.field(i).name;
            EXPECT_EQ(name.find(u'?'), std::u16string::npos) << "language " << language << ", field " << i;
            names.insert(name);
        }
        EXPECT_EQ(names.size(), 10u) << "language " << language;
    }
}

}  // namespace
}  // namespace horavant
