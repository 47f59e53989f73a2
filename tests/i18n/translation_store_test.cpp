// The translation store: lookup with blank framing, new texts saved at once, translate.dat in
// all its shapes and damages, the index after the editor's changes, and the bucket sort.
#include "i18n/message_table.h"
#include "i18n/translation_merge.h"
#include "i18n/translation_store.h"
#include "store/error.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using Row = std::vector<std::u16string>;

std::string le(std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
}

std::string wide(std::u16string_view text)
{
    std::string out = le(static_cast<std::int32_t>(text.size()));
    for (char16_t u : text) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

// translate.dat with the given column count; each row is padded with empty strings to it.
std::string storeBytes(const std::vector<Row>& rows, int columns = 30)
{
    std::string out = le(columns) + le(static_cast<std::int32_t>(rows.size()));
    for (const Row& row : rows) {
        for (int c = 0; c < columns; ++c)
            out += wide(static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : u"");
    }
    return out;
}

const std::string kCorrupted = "The file translation.dat has been corrupted.";

class TranslationStoreTest : public testing::Test {
protected:
    std::filesystem::path file() const { return dir / "translate.dat"; }

    TranslationStore& load(const std::vector<Row>& rows, int language = 0)
    {
        writeFile(file(), storeBytes(rows));
        store.InitTranslations();
        store.setCurrentLanguage(language);
        return store;
    }

    std::vector<std::u16string> column(int c) const
    {
        std::vector<std::u16string> out;
        for (int r = 0; r < store.rowCount(); ++r)
            out.push_back(store.cell(r, c));
        return out;
    }

    TempDir dir;
    // The store's own rules, without shipped translations (they have their own tests).
    TranslationStore store {dir / "translate.dat", ShippedTranslations {}};
};

struct Lookup {
    const char* name;
    std::u16string english;  // column 1 of the row of Datum
    int language;
    std::u16string text;
    std::u16string expected;
};

class TranslationLookup : public TranslationStoreTest, public testing::WithParamInterface<Lookup> {};

TEST_P(TranslationLookup, FramesTheTrimmedCellWithTheTextsOwnBlanks)
{
    load({{u"Datum", GetParam().english}}, GetParam().language);
    const std::string before = readFile(file());
    EXPECT_EQ(store.Translate(GetParam().text), GetParam().expected);
    EXPECT_EQ(store.rowCount(), 1);
    EXPECT_EQ(readFile(file()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, TranslationLookup,
                         testing::Values(Lookup {"TwoBlanksInFrontOneBehind", u"Date", 1,
                                                 u"  " + std::u16string(MessageTable[36]) + u" ", u"  Date "},
                                         Lookup {"TabAndBlanksAroundTheTranslation", u"\tDate  ", 1, u" Datum",
                                                 u" Date"},
                                         Lookup {"LineBreaksAroundTheTranslation", u"\r\nDate\n", 1, u"Datum", u"Date"},
                                         Lookup {"InnerBlanksStay", u" Da te ", 1, u"Datum", u"Da te"},
                                         Lookup {"EmptyCellGivesTheTextAsPassed", u"", 1, u"  Datum ", u"  Datum "},
                                         Lookup {"OtherLanguageEmpty", u"Date", 2, u" Datum", u" Datum"},
                                         Lookup {"BlankOnlyCellGivesOnlyTheBlanks", u"   ", 1, u"  Datum ", u"   "},
                                         Lookup {"BlankOnlyCellWithoutBlanks", u"   ", 1, u"Datum", u""},
                                         Lookup {"GermanComesFromColumnZero", u"Date", 0, u" Datum  ", u" Datum  "},
                                         Lookup {"LanguageBeyondTheRow", u"Date", 30, u"Datum", u"Datum"},
                                         Lookup {"NegativeLanguage", u"Date", -1, u"Datum", u"Datum"},
                                         Lookup {"MostNegativeLanguage", u"Date", INT_MIN, u"Datum", u"Datum"},
                                         Lookup {"LargestLanguage", u"Date", INT_MAX, u" Datum", u" Datum"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TranslationStoreTest, LooksUpTheLastColumn)
{
    Row row(30, u"");
    row[0] = u"Datum";
    row[29] = u"Letzte";
    load({row}, 29);
    EXPECT_EQ(store.Translate(u"Datum"), u"Letzte");
}

TEST_F(TranslationStoreTest, EmptyAndBlankOnlyTextsAreNotLookedUp)
{
    store.InitTranslations();
    for (const std::u16string text : {u"", u" ", u"    "})
        EXPECT_EQ(store.Translate(text), text);
    EXPECT_EQ(store.rowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(TranslationStoreTest, ANewTextBecomesALastRowSavedAtOnceAndIsFoundAgain)
{
    load({{u"Datum", u"Date"}}, 1);
    EXPECT_EQ(store.Translate(u" Neu  "), u" Neu  ");
    EXPECT_EQ(store.rowCount(), 2);
    EXPECT_EQ(readFile(file()), storeBytes({{u"Datum", u"Date"}, {u"Neu"}}));
    EXPECT_EQ(store.Translate(u"Neu"), u"Neu");
    EXPECT_EQ(store.rowCount(), 2);

    TranslationStore again(file(), ShippedTranslations {});
    again.InitTranslations();
    EXPECT_EQ(again.Translate(u"Neu"), u"Neu");
    EXPECT_EQ(again.rowCount(), 2);
}

TEST_F(TranslationStoreTest, TextsThatDifferInCaseAreDifferentRows)
{
    store.InitTranslations();
    for (const std::u16string text : {u"Datum", u"datum", u"DATUM", u"Datum"})
        store.Translate(text);
    EXPECT_THAT(column(0), testing::ElementsAre(u"Datum", u"datum", u"DATUM"));
}

TEST_F(TranslationStoreTest, MessagesOutsideTheTableLeaveTheStoreAlone)
{
    store.InitTranslations();
    for (int number : {0, 17, 18, 20, 21, 22, 49, -1, INT_MAX})
        EXPECT_EQ(store.GetMessageText(number), u"") << number;
    EXPECT_EQ(store.rowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(file()));
}

TEST_F(TranslationStoreTest, RegisteringGivesEveryMessageOneRowInNumberOrder)
{
    store.InitTranslations();
    store.RegisterMessages();
    store.RegisterMessages();
    std::vector<std::u16string> expected;
    for (int n = 1; n <= kMessageCount; ++n) {
        if (!MessageTable[static_cast<std::size_t>(n)].empty())
            expected.emplace_back(MessageTable[static_cast<std::size_t>(n)]);
    }
    EXPECT_EQ(column(0), expected);
    EXPECT_EQ(expected.size(), 43u);
}

TEST_F(TranslationStoreTest, MessagesAreTranslated)
{
    load({{u"Ort", u"Place", u"Lugar"}}, 2);
    EXPECT_EQ(store.GetMessageText(37), u"Lugar");
    EXPECT_EQ(store.GetMessageText(36), u"Datum");
    EXPECT_EQ(store.rowCount(), 2);
}

TEST_F(TranslationStoreTest, MoreColumnsThanTheStoreHasAreReadAndDropped)
{
    Row wideRow;
    for (int c = 0; c < 31; ++c)
        wideRow.push_back(u"c" + std::u16string(1, static_cast<char16_t>(u'A' + c)));
    writeFile(file(), storeBytes({wideRow, {u"Zwei", u"Two"}}, 31));
    store.InitTranslations();
    ASSERT_EQ(store.rowCount(), 2);
    for (int c = 0; c < 30; ++c)
        EXPECT_EQ(store.cell(0, c), wideRow[static_cast<std::size_t>(c)]);
    EXPECT_EQ(store.cell(1, 0), u"Zwei");
    EXPECT_EQ(store.cell(1, 1), u"Two");
    store.SaveTranslations();
    wideRow.pop_back();
    EXPECT_EQ(readFile(file()), storeBytes({wideRow, {u"Zwei", u"Two"}}));
}

TEST_F(TranslationStoreTest, FewerColumnsLeaveTheRestEmptyAndTheNextSaveWritesThirty)
{
    writeFile(file(), storeBytes({{u"Eins", u"One"}, {u"Zwei", u"Two"}}, 2));
    store.InitTranslations();
    store.setCurrentLanguage(1);
    EXPECT_EQ(store.Translate(u"Zwei"), u"Two");
    for (int c = 2; c < 30; ++c)
        EXPECT_EQ(store.cell(0, c), u"");
    store.SaveTranslations();
    EXPECT_EQ(readFile(file()), storeBytes({{u"Eins", u"One"}, {u"Zwei", u"Two"}}));
}

TEST_F(TranslationStoreTest, RowCountZeroIsAnEmptyStore)
{
    writeFile(file(), le(30) + le(0));
    EXPECT_NO_THROW(store.InitTranslations());
    EXPECT_EQ(store.rowCount(), 0);
}

TEST_F(TranslationStoreTest, AMissingOrUnreadableFileIsAnEmptyStore)
{
    EXPECT_NO_THROW(store.InitTranslations());
    EXPECT_EQ(store.rowCount(), 0);
    std::filesystem::create_directory(file());
    EXPECT_NO_THROW(store.InitTranslations());
    EXPECT_EQ(store.rowCount(), 0);
}

TEST_F(TranslationStoreTest, LoadingAgainReplacesTheRows)
{
    load({{u"Eins"}, {u"Zwei"}});
    writeFile(file(), storeBytes({{u"Drei", u"Three"}}));
    store.LoadTranslations();
    store.setCurrentLanguage(1);
    EXPECT_THAT(column(0), testing::ElementsAre(u"Drei"));
    EXPECT_EQ(store.Translate(u"Drei"), u"Three");
    EXPECT_EQ(store.Translate(u"Eins"), u"Eins");
    EXPECT_EQ(store.rowCount(), 2);
}

struct Damage {
    const char* name;
    std::string bytes;
    std::vector<Row> kept;  // the rows that stay, partial row included
};

class TranslationStoreDamaged : public TranslationStoreTest, public testing::WithParamInterface<Damage> {};

TEST_P(TranslationStoreDamaged, KeepsWhatWasReadIndexedAndReportsTheCorruption)
{
    writeFile(file(), GetParam().bytes);
    try {
        store.InitTranslations();
        ADD_FAILURE() << "no error";
    } catch (const IoError&) {
        ADD_FAILURE() << "an input/output error instead of the store's own message";
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), kCorrupted);
    }
    ASSERT_EQ(store.rowCount(), static_cast<int>(GetParam().kept.size()));
    for (int r = 0; r < store.rowCount(); ++r) {
        for (int c = 0; c < 30; ++c) {
            const Row& row = GetParam().kept[static_cast<std::size_t>(r)];
            EXPECT_EQ(store.cell(r, c),
                      static_cast<std::size_t>(c) < row.size() ? row[static_cast<std::size_t>(c)] : u"");
        }
    }
    // The index was built from what was kept.
    store.setCurrentLanguage(1);
    const int rows = store.rowCount();
    if (rows > 0 && !store.cell(0, 1).empty()) {
        EXPECT_EQ(store.Translate(store.cell(0, 0)), store.cell(0, 1));
        EXPECT_EQ(store.rowCount(), rows);
    }
    // The next save writes only what was loaded.
    store.SaveTranslations();
    EXPECT_EQ(readFile(file()), storeBytes(GetParam().kept));
}

const std::string kTwoRows = storeBytes({{u"Eins", u"One"}, {u"Zwei", u"Two", u"Dos"}});
const std::size_t kFirstRowEnd = 8 + wide(u"Eins").size() + wide(u"One").size() + 28 * 4;

INSTANTIATE_TEST_SUITE_P(
    Files, TranslationStoreDamaged,
    testing::Values(Damage {"CutInsideTheSecondRow",
                            kTwoRows.substr(0, kFirstRowEnd + wide(u"Zwei").size() + wide(u"Two").size() + 3),
                            {{u"Eins", u"One"}, {u"Zwei", u"Two"}}},
                    Damage {"CutInsideAString", kTwoRows.substr(0, kFirstRowEnd + 6), {{u"Eins", u"One"}, {}}},
                    Damage {"RowCountPromisingMore",
                            le(30) + le(1000) + kTwoRows.substr(8),
                            {{u"Eins", u"One"}, {u"Zwei", u"Two", u"Dos"}, {}}},
                    Damage {"NegativeStringCount",
                            le(2) + le(2) + wide(u"Eins") + wide(u"One") + le(-1) + "abcdefgh",
                            {{u"Eins", u"One"}, {}}},
                    Damage {"StringCountBeyondTheFile", le(1) + le(1) + le(0x40000000) + "ab", {{}}},
                    Damage {"NegativeColumnCount", le(-30) + le(1) + wide(u"Eins"), {}},
                    Damage {"RowsWithoutColumns", le(0) + le(0x7FFFFFFF), {}},
                    Damage {"ShorterThanTheHeader", std::string("\x1E\0\0\0\x01", 5), {}},
                    Damage {"EmptyFile", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TranslationStoreTest, TextsWhoseFirstUnitsShareLowBitsShareABucketButNotTheirRows)
{
    EXPECT_EQ(translationBucket(u"Auto"), 0x41);
    EXPECT_EQ(translationBucket(u"Łódź"), 0x41);
    load({{u"Łódź", u"Lodz"}, {u"Auto", u"Car"}, {u"A", u"Ah"}, {u"Ł", u"L"}, {u"Ą", u"A-ogonek"}}, 1);
    EXPECT_EQ(store.Translate(u"Auto"), u"Car");
    EXPECT_EQ(store.Translate(u"Łódź"), u"Lodz");
    EXPECT_EQ(store.Translate(u"A"), u"Ah");
    EXPECT_EQ(store.Translate(u"Ł"), u"L");
    EXPECT_EQ(store.Translate(u"Ą"), u"A-ogonek");
    EXPECT_EQ(store.Translate(u"Ŀ"), u"Ŀ");  // U+013F: bucket 0x3F, new
    EXPECT_EQ(store.rowCount(), 6);
}

TEST_F(TranslationStoreTest, DeletingARowKeepsEveryLookupOnTheRightRow)
{
    load({{u"Eins", u"One"}, {u"Zwei", u"Two"}, {u"Drei", u"Three"}, {u"Vier", u"Four"}}, 1);
    store.deleteRow(1);
    EXPECT_THAT(column(0), testing::ElementsAre(u"Eins", u"Drei", u"Vier"));
    EXPECT_EQ(store.Translate(u"Drei"), u"Three");
    EXPECT_EQ(store.Translate(u"Vier"), u"Four");
    EXPECT_EQ(store.Translate(u"Zwei"), u"Zwei");  // gone: becomes a new last row
    EXPECT_THAT(column(0), testing::ElementsAre(u"Eins", u"Drei", u"Vier", u"Zwei"));
    store.deleteRow(3);
    store.deleteRow(2);
    EXPECT_EQ(store.Translate(u"Vier"), u"Vier");
    EXPECT_EQ(store.Translate(u"Zwei"), u"Zwei");
    EXPECT_THAT(column(0), testing::ElementsAre(u"Eins", u"Drei", u"Vier", u"Zwei"));
}

TEST_F(TranslationStoreTest, DeletingOneOfTwoEqualTextsLeavesTheOtherFound)
{
    load({{u"Datum", u"Date"}, {u"Ort"}, {u"Datum", u"Day"}}, 1);
    const std::u16string first = store.Translate(u"Datum");
    store.deleteRow(first == u"Date" ? 0 : 2);
    EXPECT_EQ(store.Translate(u"Datum"), first == u"Date" ? u"Day" : u"Date");
    EXPECT_EQ(store.rowCount(), 2);
}

TEST_F(TranslationStoreTest, ChangingTheGermanTextMovesItsLookup)
{
    load({{u"Eins", u"One"}, {u"Zwei", u"Two"}, {}}, 1);
    store.setCell(0, 0, u"Uno");  // another bucket
    store.setCell(1, 0, u"Zwo");  // the same bucket
    EXPECT_EQ(store.Translate(u"Uno"), u"One");
    EXPECT_EQ(store.Translate(u"Zwo"), u"Two");
    EXPECT_EQ(store.rowCount(), 3);
    store.setCell(2, 0, u"Drei");
    store.setCell(2, 1, u"Three");
    EXPECT_EQ(store.Translate(u"Drei"), u"Three");
    store.setCell(0, 0, u"");
    EXPECT_EQ(store.Translate(u"Uno"), u"Uno");
    EXPECT_EQ(store.Translate(u"Eins"), u"Eins");
    EXPECT_THAT(column(0), testing::ElementsAre(u"", u"Zwo", u"Drei", u"Uno", u"Eins"));
    store.deleteRow(0);
    EXPECT_EQ(store.Translate(u"Zwo"), u"Two");
}

TEST_F(TranslationStoreTest, EditsOutsideTheTableChangeNothing)
{
    load({{u"Eins", u"One"}}, 1);
    store.setCell(-1, 0, u"x");
    store.setCell(1, 0, u"x");
    store.setCell(0, 30, u"x");
    store.setCell(0, -1, u"x");
    store.deleteRow(-1);
    store.deleteRow(1);
    EXPECT_EQ(store.rowCount(), 1);
    EXPECT_EQ(store.cell(0, 0), u"Eins");
    EXPECT_EQ(store.cell(1, 0), u"");
    EXPECT_EQ(store.cell(0, 30), u"");
    EXPECT_EQ(store.Translate(u"Eins"), u"One");
}

TEST_F(TranslationStoreTest, ASaveThatFailsKeepsTheOldFileByteForByte)
{
    Row big {u"Eins", std::u16string(3000, u'x')};
    load({big}, 1);
    const std::string before = readFile(file());
    {
        test::FileSizeLimit limit(before.size() / 2);
        EXPECT_THROW(store.Translate(u"Neu"), IoError);
    }
    EXPECT_EQ(readFile(file()), before);
    // No temporary file is left; the hidden save lock stays.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
    EXPECT_TRUE(std::filesystem::exists(SaveLock::lockFileOf(file())));
    EXPECT_EQ(store.Translate(u"Neu"), u"Neu");
    EXPECT_EQ(store.rowCount(), 2);
}

TEST_F(TranslationStoreTest, AStoreWhoseFileCannotBeCreatedStillGrows)
{
    TranslationStore nowhere(dir / "missing" / "translate.dat");
    nowhere.InitTranslations();
    EXPECT_EQ(nowhere.Translate(u"Neu"), u"Neu");
    EXPECT_EQ(nowhere.rowCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST_F(TranslationStoreTest, ASavedStoreReadsBackToTheSameBytes)
{
    std::vector<Row> rows;
    for (int i = 0; i < 300; ++i)
        rows.push_back({u"Text " + std::u16string(1, static_cast<char16_t>(0x41 + i % 500)) + u"ü", u"", u"ß\r\n"});
    load(rows);
    const std::string bytes = readFile(file());
    store.SaveTranslations();
    EXPECT_EQ(readFile(file()), bytes);
}

using StoreStep = std::function<void(TranslationStore&)>;

struct TwoStoresCase {
    const char* name;
    StoreStep first;  // copy A, which then saves
    StoreStep second;  // copy B, which read the file before A saved, and then saves
    std::vector<Row> file;  // German and English of each row of the file then
    std::vector<TranslationClash> clashes;  // reported to B
};

class TranslationStoreTwoCopies : public testing::TestWithParam<TwoStoresCase> {};

TEST_P(TranslationStoreTwoCopies, ASaveKeepsTheOtherCopysRowsAndCells)
{
    TempDir dir;
    const auto file = dir / "translate.dat";
    writeFile(file, storeBytes({{u"Datum", u""}, {u"Ort", u""}}));
    TranslationStore a(file, ShippedTranslations {}), b(file, ShippedTranslations {});
    a.InitTranslations();
    b.InitTranslations();
    GetParam().first(a);
    a.SaveTranslations();
    GetParam().second(b);
    b.SaveTranslations();
    EXPECT_EQ(b.takeClashes(), GetParam().clashes);

    TranslationStore after(file, ShippedTranslations {});
    after.InitTranslations();
    std::vector<Row> rows;
    for (int r = 0; r < after.rowCount(); ++r)
        rows.push_back({after.cell(r, 0), after.cell(r, 1)});
    EXPECT_EQ(rows, GetParam().file);
    // B holds what it wrote, and finds each row again.
    ASSERT_EQ(b.rowCount(), after.rowCount());
    b.setCurrentLanguage(1);
    for (const Row& row : GetParam().file)
        EXPECT_EQ(b.Translate(row[0]), row[1].empty() ? row[0] : row[1]);
    EXPECT_EQ(b.rowCount(), after.rowCount());
}

const StoreStep kTypesDate = [](TranslationStore& s) { s.setCell(0, 1, u"Date"); };

INSTANTIATE_TEST_SUITE_P(Cases, TranslationStoreTwoCopies,
                         testing::Values(TwoStoresCase {"ATypedTranslationSurvivesANewTextThere",
                                                        kTypesDate,
                                                        [](TranslationStore& s) { s.Translate(u"Neu"); },
                                                        {{u"Datum", u"Date"}, {u"Ort", u""}, {u"Neu", u""}},
                                                        {}},
                                         TwoStoresCase {
                                             "ANewRowSurvivesAnEditorSaveThere",
                                             [](TranslationStore& s) {
                                                 s.Translate(u"Eins");
                                                 s.Translate(u"Zwei");
                                             },
                                             [](TranslationStore& s) { s.setCell(1, 1, u"Place"); },
                                             {{u"Datum", u""}, {u"Ort", u"Place"}, {u"Eins", u""}, {u"Zwei", u""}},
                                             {}},
                                         TwoStoresCase {"TheSameCellChangedInBothTheLaterSaveWins",
                                                        kTypesDate,
                                                        [](TranslationStore& s) {
                                                            s.setCell(0, 1, u"Day");
                                                            s.setCell(1, 2, u"Lugar");
                                                        },
                                                        {{u"Datum", u"Day"}, {u"Ort", u""}},
                                                        {{u"Datum", 1}}},
                                         TwoStoresCase {"ADeletedRowGoesAndTheOtherCopysCellStays",
                                                        kTypesDate,
                                                        [](TranslationStore& s) {
                                                            s.deleteRow(1);
                                                            s.setCell(0, 0, u"Tag");
                                                        },
                                                        {{u"Tag", u"Date"}},
                                                        {}}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SortCase {
    const char* name;
    std::vector<std::u16string> texts;
};

class BucketSort : public testing::TestWithParam<SortCase> {};

TEST_P(BucketSort, OrdersByUnitsAndKeepsEveryEntry)
{
    TextPool pool;
    TranslationBucket bucket;
    std::vector<std::pair<std::u16string, std::int32_t>> expected;
    for (std::size_t i = 0; i < GetParam().texts.size(); ++i) {
        TranslationIndexEntry* e = bucket.Add();
        e->text = pool.add(GetParam().texts[i]);
        e->row = static_cast<std::int32_t>(i);
        expected.emplace_back(GetParam().texts[i], e->row);
    }
    sortTranslationBucket(bucket, pool);
    std::vector<std::pair<std::u16string, std::int32_t>> got;
    for (std::uint32_t i = 0; i < bucket.recordCount(); ++i)
        got.emplace_back(pool.text(bucket.at(i).text), bucket.at(i).row);
    for (std::size_t i = 1; i < got.size(); ++i)
        ASSERT_LE(got[i - 1].first, got[i].first) << i;
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
}

std::vector<std::u16string> randomTexts(unsigned seed, std::size_t n, int alphabet)
{
    std::mt19937 gen(seed);
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i < n; ++i) {
        std::u16string t(1 + gen() % 4, u'A');
        for (char16_t& c : t)
            c = static_cast<char16_t>(u'A' + gen() % static_cast<unsigned>(alphabet));
        out.push_back(t);
    }
    return out;
}

std::vector<std::u16string> counting(std::size_t n, bool down)
{
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t v = down ? n - i : i;
        out.push_back(u"A" + std::u16string(1, static_cast<char16_t>(0x100 + v / 256))
                      + std::u16string(1, static_cast<char16_t>(0x100 + v % 256)));
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Buckets, BucketSort,
    testing::Values(SortCase {"One", {u"A"}}, SortCase {"Two", {u"B", u"A"}},
                    SortCase {"PrefixFirst", {u"Abc", u"Ab", u"A", u"Abc", u"Ab"}},
                    SortCase {"UnitsUnsigned",
                              {u"A\uFFFF", u"A\u0100", u"A\u007F", std::u16string {u'A', char16_t {0xD800}}, u"A"}},
                    SortCase {"AllEqual", std::vector<std::u16string>(200, u"Gleich")},
                    SortCase {"Ascending", counting(1000, false)}, SortCase {"Descending", counting(1000, true)},
                    SortCase {"RandomFewLetters", randomTexts(1, 2000, 2)},
                    SortCase {"RandomManyLetters", randomTexts(2, 5000, 26)}),
    [](const auto& info) { return std::string(info.param.name); });

// The fuzzing harness loads its inputs into stores that grow by a small step. Every seed of its
// corpus loads into such a store exactly as into the program's own, damage and all; and the
// corpus holds what it is there for: many rows, long texts, damage at every offset.
TEST(TranslationStoreSeeds, ASmallGrowthStepLoadsEverySeedAsTheProgramsStoreDoes)
{
    const auto rowsOf = [](const TranslationStore& store) {
        std::vector<Row> rows(static_cast<std::size_t>(store.rowCount()));
        for (int r = 0; r < store.rowCount(); ++r) {
            for (int c = 0; c < kTranslationColumns; ++c)
                rows[static_cast<std::size_t>(r)].push_back(store.cell(r, c));
        }
        return rows;
    };
    TempDir dir;
    const auto file = dir / "translate.dat";
    int seeds = 0, damaged = 0;
    std::size_t mostRows = 0, longestText = 0;
    for (const auto& seed : std::filesystem::directory_iterator(HORAVANT_FUZZ_CORPUS "/translation_store")) {
        SCOPED_TRACE(seed.path().filename().string());
        std::filesystem::copy_file(seed.path(), file, std::filesystem::copy_options::overwrite_existing);
        TranslationStore program(file);
        TranslationStore small(file, shippedTranslations(), 3);
        const auto corrupted = [](TranslationStore& store) {
            try {
                store.InitTranslations();
                return false;
            } catch (const Error& e) {
                EXPECT_EQ(e.what(), kCorrupted);
                return true;
            }
        };
        const bool isDamaged = corrupted(program);
        EXPECT_EQ(corrupted(small), isDamaged);
        const std::vector<Row> rows = rowsOf(program);
        EXPECT_EQ(rowsOf(small), rows);
        small.SaveTranslations();
        TranslationStore again(file, shippedTranslations(), 3);
        again.InitTranslations();
        EXPECT_EQ(rowsOf(again), rows);

        ++seeds;
        damaged += isDamaged;
        mostRows = std::max(mostRows, rows.size());
        for (const Row& row : rows) {
            for (const std::u16string& text : row)
                longestText = std::max(longestText, text.size());
        }
    }
    EXPECT_GE(seeds, 200);
    EXPECT_GE(damaged, 150);
    EXPECT_GE(mostRows, 200u);
    EXPECT_GE(longestText, 1000u);
}

}  // namespace
}  // namespace horavant
