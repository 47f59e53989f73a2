// The translation editor's rules: the search order and its ASCII-only case folding, the export's
// rows and bytes, the import's encodings and line pairing, and the saves gathered by a batch.
#include "translation_editor/translation_editor.h"
#include "i18n/translation_store.h"
#include "store/error.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;
using testing::ElementsAre;

constexpr int kAll = 1000;

class TranslationEditorTest : public testing::Test {
protected:
    TranslationEditorTest() { store.InitTranslations(); }

    // Adds a row with German, English and Spanish texts.
    int addRow(std::u16string_view german, std::u16string_view english = u"", std::u16string_view spanish = u"")
    {
        store.Translate(german);
        const int row = store.rowCount() - 1;
        store.setCell(row, 1, english);
        store.setCell(row, 2, spanish);
        return row;
    }

    TempDir dir;
    TranslationStore store {dir / "translate.dat"};
};

TEST_F(TranslationEditorTest, SearchMeetsTheHeaderRowFirstAndFoldsOnlyAsciiLetters)
{
    addRow(u"Datum");
    addRow(u"Ärger", u"Trouble");
    addRow(u"Sprache", u"Language");

    // "lang" is in the headers language3 ... language29 before the English cell "Language".
    std::optional<GridCell> hit = findInEditor(store, u"lang", {0, 0}, kAll);
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (GridCell {0, 3}));
    GridCell at = *hit;
    int headerHits = 0;
    while ((hit = findInEditor(store, u"lang", nextGridCell(at), kAll)) && hit->row == 0) {
        at = *hit;
        ++headerHits;
    }
    EXPECT_EQ(headerHits, 26);
    EXPECT_EQ(at, (GridCell {0, 29}));
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (GridCell {3, 1}));
    EXPECT_FALSE(findInEditor(store, u"lang", nextGridCell(*hit), kAll));

    EXPECT_EQ(findInEditor(store, u"datum", {0, 0}, kAll), (GridCell {1, 0}));
    EXPECT_FALSE(findInEditor(store, u"ärger", {0, 0}, kAll));  // ä is not folded to Ä
    EXPECT_EQ(findInEditor(store, u"Ärger", {0, 0}, kAll), (GridCell {2, 0}));
    EXPECT_FALSE(findInEditor(store, u"", {0, 0}, kAll));
    // A grid filled before the store grew ends at its own last row.
    EXPECT_FALSE(findInEditor(store, u"Sprache", {0, 0}, 3));
    EXPECT_EQ(asciiUpper(u"straße äöü xyz"), u"STRAßE äöü XYZ");
}

TEST_F(TranslationEditorTest, ExportWritesMissingSpanishRowsInAnsiWithCrLfAndBlanksForLineBreaks)
{
    addRow(u"Ort", u"Place");  // exported
    addRow(u"Datum", u"Date", u"Fecha");  // has Spanish
    addRow(u"Pause");  // neither
    addRow(u"Zwei\r\nZeilen\nda", u"Two lines");  // line breaks become blanks
    addRow(u"Tätigkeit", u"Activity");
    const auto file = dir / kExportFileName;
    writeFile(file, "old contents that are longer than the new ones");

    exportMissingSpanish(store, file);
    EXPECT_EQ(readFile(file), "Ort\r\nZwei  Zeilen da\r\nT\xE4tigkeit\r\n");
}

TEST_F(TranslationEditorTest, AFailedExportRaisesAnErrorAndLeavesTheOldFile)
{
    for (int i = 0; i < 200; ++i)
        addRow(u"Ein langer deutscher Text Nummer " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26))
                   + std::u16string(static_cast<std::size_t>(i), u'x'),
               u"Text");
    EXPECT_THROW(exportMissingSpanish(store, dir / "missing-folder" / kExportFileName), IoError);

    const auto file = dir / kExportFileName;
    writeFile(file, "kept");
    {
        test::FileSizeLimit limit(4096);
        EXPECT_THROW(exportMissingSpanish(store, file), IoError);
    }
    EXPECT_EQ(readFile(file), "kept");
}

struct EncodedFile {
    const char* name;
    std::string bytes;
};

class DecodeTest : public testing::TestWithParam<EncodedFile> {};

TEST_P(DecodeTest, ByteOrderMarkDecidesTheEncodingAndEveryLineEndEndsALine)
{
    EXPECT_THAT(splitLines(decodeTextFile(GetParam().bytes)), ElementsAre(u"Größe", u"", u"Año", u"x"));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, DecodeTest,
    testing::Values(
        EncodedFile {"Ansi",
                     "Gr\xF6\xDF"
                     "e\r\n\nA\xF1o\rx"},
        EncodedFile {"Utf8",
                     "\xEF\xBB\xBFGr\xC3\xB6\xC3\x9F"
                     "e\r\n\nA\xC3\xB1o\rx\r\n"},
        EncodedFile {"Utf16Le", std::string("\xFF\xFEG\0r\0\xF6\0\xDF\0e\0\r\0\n\0\n\0A\0\xF1\0o\0\r\0x\0", 28)},
        EncodedFile {"Utf16Be", std::string("\xFE\xFF\0G\0r\0\xF6\0\xDF\0e\0\r\0\n\0\n\0A\0\xF1\0o\0\r\0x", 28)}),
    [](const testing::TestParamInfo<EncodedFile>& info) { return std::string(info.param.name); });

TEST_F(TranslationEditorTest, ImportPairsLinesInRowOrderAndStopsAtAnUnmatchedLine)
{
    addRow(u"Ort", u"Place");
    addRow(u"Datum", u"Date");
    addRow(u"Pause", u"Break");
    addRow(u"Ende", u"End");

    EXPECT_THAT(pairImportedLines(store, {u"Ort", u"Pause"}, {u"Lugar", u"Descanso"}),
                ElementsAre(testing::AllOf(testing::Field(&ImportedCell::storeRow, 0),
                                           testing::Field(&ImportedCell::text, u"Lugar")),
                            testing::AllOf(testing::Field(&ImportedCell::storeRow, 2),
                                           testing::Field(&ImportedCell::text, u"Descanso"))));
    // A line that matches no row holds the counter: nothing after it is paired.
    EXPECT_EQ(pairImportedLines(store, {u"Zwei Zeilen", u"Pause"}, {u"Dos", u"Descanso"}).size(), 0u);
    // Lines beyond the translated file read as empty.
    const auto shortFile = pairImportedLines(store, {u"Ort", u"Ende"}, {u"Lugar"});
    ASSERT_EQ(shortFile.size(), 2u);
    EXPECT_EQ(shortFile[1].storeRow, 3);
    EXPECT_EQ(shortFile[1].text, u"");
    EXPECT_THROW(readTextLines(dir / kImportFileName), IoError);
}

TEST_F(TranslationEditorTest, ABatchSavesOnceAtItsEndAndKeepsTheFileAsItWasUntilThen)
{
    store.Translate(u"Erster");
    const std::string before = readFile(store.file());
    {
        TranslationStore::SaveBatch outer(store);
        {
            TranslationStore::SaveBatch inner(store);
            store.Translate(u"Zweiter");
            inner.finish();
        }
        store.Translate(u"Dritter");
        EXPECT_EQ(readFile(store.file()), before);
        outer.finish();
    }
    TranslationStore reloaded(store.file());
    reloaded.InitTranslations();
    ASSERT_EQ(reloaded.rowCount(), 3);
    EXPECT_EQ(reloaded.cell(2, 0), u"Dritter");

    // A batch left by an error still saves what it gathered.
    try {
        TranslationStore::SaveBatch batch(store);
        store.Translate(u"Vierter");
        throw std::runtime_error("walk failed");
    } catch (const std::runtime_error&) {
    }
    reloaded.InitTranslations();
    EXPECT_EQ(reloaded.rowCount(), 4);
}

}  // namespace
}  // namespace horavant
