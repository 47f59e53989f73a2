// The translation editor driven through its widgets: typing into the grid and the delayed save,
// the search, row deletion by button, Delete and Escape, and the Spanish export and import.
#include "gui_support.h"

#include "translation_editor/translate_form.h"
#include "ui/string_grid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gmock/gmock.h>

namespace horavant::test {
namespace {

class TranslateFormTest : public AppTest {
protected:
    TranslateFormTest()
    {
        TranslationStore store(dir / "translate.dat");
        TranslationStore::SaveBatch batch(store);
        // Texts the program does not ship translations for, so every cell is the test's own.
        for (const char16_t* text : {u"Halle", u"Termin", u"Rast", u"Auftrag"})
            store.Translate(text);
        store.setCell(0, 1, u"Place");
        store.setCell(3, 1, u"Activity");
        store.setCell(3, 2, u"Actividad");
        batch.finish();
        start();
        m_rows = application().store().rowCount();
        editor().FillStringGrid();
        editor().show();
        editor().activateWindow();
        processEvents();
    }

    ~TranslateFormTest() override
    {
        if (editor().isVisible())
            editor().close();
    }

    TTranslateForm& editor() { return *windows().translate; }
    StringGrid& grid() { return *child<StringGrid>(&editor(), "StringGrid1"); }
    QTimer& timer() { return *editor().findChild<QTimer*>(QStringLiteral("Timer1")); }
    int storeRow(std::u16string_view german)
    {
        for (int r = 0; r < application().store().rowCount(); ++r) {
            if (application().store().cell(r, 0) == german)
                return r;
        }
        return -1;
    }

    // Runs action and tells whether it showed no modal window (one that appears is closed).
    static bool asksNothing(const std::function<void()>& action)
    {
        bool asked = false;
        QTimer watch;
        watch.setInterval(5);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                asked = true;
                QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
            }
        });
        watch.start();
        action();
        processEvents(20);
        return !asked;
    }

    // A cell of translate.dat as it is on disk.
    std::u16string saved(int row, int column) const
    {
        TranslationStore store(dir / "translate.dat");
        store.InitTranslations();
        return store.cell(row, column);
    }

    QLineEdit* startEditing(int gridRow, int column)
    {
        const QModelIndex at = grid().cells().index(gridRow, column);
        grid().setFocus();
        grid().setCurrentIndex(at);
        grid().edit(at);
        processEvents();
        auto* line = grid().viewport()->findChild<QLineEdit*>();
        EXPECT_NE(line, nullptr);
        EXPECT_TRUE(grid().editing());
        return line;
    }

    void makeCurrent(int gridRow)
    {
        grid().setFocus();
        grid().setCurrentIndex(grid().cells().index(gridRow, 0));
    }

    int m_rows = 0;
};

TEST_F(TranslateFormTest, ClosingWithinASecondOfTypingStillSaves)
{
    QLineEdit* line = startEditing(2, 1);
    QTest::keyClicks(line, "Date");
    // In force at once, on disk only later.
    EXPECT_EQ(application().store().cell(1, 1), u"Date");
    EXPECT_EQ(saved(1, 1), u"");
    EXPECT_TRUE(timer().isActive());
    child<QPushButton>(&editor(), "BackBtn")->click();
    EXPECT_FALSE(editor().isVisible());
    EXPECT_EQ(saved(1, 1), u"Date");
}

TEST_F(TranslateFormTest, TypingPutsTheSaveOffUntilASecondAfterTheLastKey)
{
    QLineEdit* line = startEditing(3, 2);
    QTest::keyClicks(line, "Des");
    processEvents(500);
    QTest::keyClicks(line, "canso");
    EXPECT_GT(timer().remainingTime(), 900);
    EXPECT_EQ(saved(2, 2), u"");
    processEvents(1200);
    EXPECT_EQ(saved(2, 2), u"Descanso");
    // Escape cancels the edit: the cell gets back the text it had before, in the store as well,
    // and that change is saved in its turn.
    QTest::keyClick(line, Qt::Key_X);
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_FALSE(grid().editing());
    EXPECT_EQ(application().store().cell(2, 2), u"");
    EXPECT_EQ(grid().cellText(3, 2), "");
    EXPECT_TRUE(timer().isActive());
    EXPECT_TRUE(editor().isVisible());
}

TEST_F(TranslateFormTest, SearchGoesThroughTheHeaderRowFirstAndStopsAtNo)
{
    std::vector<QModelIndex> hits;
    const auto record = [&](QMessageBox::StandardButton button) {
        return [&, button](QWidget* modal) {
            hits.push_back(grid().currentIndex());
            clickLater(static_cast<QMessageBox*>(modal)->button(button));
        };
    };
    child<QLineEdit>(&editor(), "FilterEdit")->setText(QStringLiteral("lang"));
    {
        ModalScript script;
        script.then(record(QMessageBox::Yes)).then(record(QMessageBox::No));
        child<QPushButton>(&editor(), "FilterBtn")->click();
    }
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0], grid().cells().index(0, 3));
    EXPECT_EQ(hits[1], grid().cells().index(0, 4));

    hits.clear();
    child<QLineEdit>(&editor(), "FilterEdit")->setText(QStringLiteral("termin"));
    {
        ModalScript script;
        script.then(record(QMessageBox::No));
        child<QPushButton>(&editor(), "FilterBtn")->click();
    }
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0], grid().cells().index(storeRow(u"Termin") + 1, 0));
    EXPECT_EQ(grid().rowAt(0), storeRow(u"Termin") + 1);  // scrolled to the top

    // A small ü does not find the capital Ü of "Übersetzen"; nothing is asked.
    child<QLineEdit>(&editor(), "FilterEdit")->setText(QStringLiteral("übersetzen"));
    EXPECT_TRUE(asksNothing([this] { child<QPushButton>(&editor(), "FilterBtn")->click(); }));
}

// The search's question is a text new to the store. With the disk full its save fails: that is
// reported and the question still comes, over the cell found; the grid shows the new row.
TEST_F(TranslateFormTest, TheSearchQuestionNewToAFullDiskIsReportedAndItsRowShown)
{
    child<QLineEdit>(&editor(), "FilterEdit")->setText(QStringLiteral("datum"));
    QString error, question;
    QModelIndex asked;
    // The day's backup, which the start leaves to a thread of its own, is made before the disk fills.
    finishTheDaysBackup();
    {
        FileSizeLimit full(100);
        ModalScript script;
        script.answer(QMessageBox::Ok, &error).then([&](QWidget* box) {
            asked = grid().currentIndex();
            question = static_cast<QMessageBox*>(box)->text();
            clickLater(static_cast<QMessageBox*>(box)->button(QMessageBox::No));
        });
        child<QPushButton>(&editor(), "FilterBtn")->click();
    }
    EXPECT_THAT(error.toStdString(), testing::HasSubstr("translate.dat"));
    EXPECT_EQ(question, "Weitersuchen?");
    EXPECT_EQ(asked, grid().cells().index(storeRow(u"Datum") + 1, 0));
    ASSERT_EQ(grid().rowCount(), application().store().rowCount() + 1);
    EXPECT_EQ(grid().cellText(grid().rowCount() - 1, 0), "Weitersuchen?");
}

TEST_F(TranslateFormTest, DeleteEditsTextWhileEditingAndOtherwiseAsksToDeleteTheRow)
{
    QLineEdit* line = startEditing(2, 0);
    line->setCursorPosition(0);
    EXPECT_TRUE(asksNothing([line] { QTest::keyClick(line, Qt::Key_Delete); }));
    EXPECT_EQ(application().store().cell(1, 0), u"ermin");
    QTest::keyClick(line, Qt::Key_Return);
    processEvents();

    QString asked;
    {
        ModalScript script;
        script.answer(QMessageBox::No, &asked);
        makeCurrent(2);
        QTest::keyClick(&grid(), Qt::Key_Delete);
    }
    EXPECT_EQ(asked, "ermin");
    EXPECT_EQ(application().store().rowCount(), m_rows);
    // Even an answer that keeps the row saves and refills.
    EXPECT_EQ(saved(1, 0), u"ermin");

    {
        ModalScript script;
        script.answer(QMessageBox::Cancel, &asked);
        makeCurrent(3);
        QTest::keyClick(&grid(), Qt::Key_Escape);
    }
    EXPECT_EQ(asked, "Rast");
    EXPECT_TRUE(editor().isVisible());
    EXPECT_EQ(application().store().rowCount(), m_rows);
}

TEST_F(TranslateFormTest, DeletingARowMakesTheNextCurrentAndAfterTheLastTheNewLastRow)
{
    ModalScript script;
    script.answer(QMessageBox::Yes).answer(QMessageBox::Yes);
    makeCurrent(2);
    child<QPushButton>(&editor(), "DeleteRowBtn")->click();
    EXPECT_EQ(grid().rowCount(), m_rows);
    EXPECT_EQ(grid().currentIndex().row(), 2);
    EXPECT_EQ(grid().cellText(2, 0), "Rast");
    const std::vector<std::u16string> left = storedGermanTexts();
    ASSERT_GE(left.size(), 3u);
    EXPECT_THAT(std::vector<std::u16string>(left.begin(), left.begin() + 3),
                testing::ElementsAre(u"Halle", u"Rast", u"Auftrag"));

    const int last = grid().rowCount() - 1;
    const std::u16string lastText = application().store().cell(last - 1, 0);
    makeCurrent(last);
    child<QPushButton>(&editor(), "DeleteRowBtn")->click();
    EXPECT_EQ(grid().rowCount(), last);
    EXPECT_EQ(grid().currentIndex().row(), last - 1);
    const std::vector<std::u16string> texts = storedGermanTexts();
    EXPECT_EQ(std::find(texts.begin(), texts.end(), lastText), texts.end());
    EXPECT_TRUE(script.finished());
}

class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& dir) : m_old(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() { std::filesystem::current_path(m_old); }

private:
    std::filesystem::path m_old;
};

TEST_F(TranslateFormTest, ExportAndImportPairUpThroughTheWorkingDirectory)
{
    TempDir work;
    WorkingDirectory cwd(work.path());
    // Rows of the store with English but no Spanish: Halle, and one with a line break.
    TranslationStore& store = application().store();
    store.setCell(1, 0, u"Zwei\nZeilen");
    store.setCell(1, 1, u"Two lines");

    child<QPushButton>(&editor(), "Button1")->click();
    EXPECT_EQ(readFile(work / "outtrans_Espannol.txt"), "Halle\r\nZwei Zeilen\r\n");

    // Lines pair in row order; a line that meets no German text holds back every later one.
    writeFile(work / "espannol.txt",
              "\xEF\xBB\xBF"
              "Lugar\xC3\xA9\r\nDos l\xC3\xADneas\r\nDescanso\r\n");
    child<QPushButton>(&editor(), "Button2")->click();
    EXPECT_EQ(store.cell(0, 2), u"Lugaré");
    EXPECT_EQ(grid().cellText(1, 2), "Lugaré");
    EXPECT_EQ(store.cell(1, 2), u"");
    EXPECT_EQ(saved(0, 2), u"Lugaré");
    EXPECT_FALSE(timer().isActive());

    writeFile(work / "outtrans_Espannol.txt", "Halle\r\nRast\r\n");
    writeFile(work / "espannol.txt", std::string("\xFF\xFEL\0u\0g\0a\0r\0\r\0\n\0D\0e\0s\0c\0a\0n\0s\0o\0", 32));
    child<QPushButton>(&editor(), "Button2")->click();
    EXPECT_EQ(store.cell(2, 2), u"Descanso");
    EXPECT_EQ(saved(2, 2), u"Descanso");

    // A missing file is an error shown before anything changes.
    std::filesystem::remove(work / "espannol.txt");
    QString error;
    ModalScript script;
    script.answer(QMessageBox::Ok, &error);
    child<QPushButton>(&editor(), "Button2")->click();
    EXPECT_THAT(error.toStdString(), testing::HasSubstr("espannol.txt"));
    EXPECT_EQ(store.cell(0, 2), u"Lugar");
}

TEST_F(TranslateFormTest, FrozenFirstColumnScrollsWithTheGrid)
{
    editor().resize(900, 200);
    processEvents();
    QScrollBar* rows = grid().verticalScrollBar();
    ASSERT_GE(rows->maximum(), 5);
    rows->setValue(3);
    auto* check = child<QCheckBox>(&editor(), "FixedColCheck");
    check->click();
    ASSERT_TRUE(grid().hasFixedColumn());
    auto* frozen = grid().findChild<QTableView*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(frozen, nullptr);
    processEvents();
    EXPECT_TRUE(frozen->isVisible());
    EXPECT_TRUE(frozen->isRowHidden(0));
    for (int c = 0; c < StringGrid::kColumns; ++c)
        EXPECT_EQ(frozen->isColumnHidden(c), c > 0) << c;
    // Scrolled before it was first shown, and either way afterwards, the two stay on one row.
    EXPECT_EQ(frozen->verticalScrollBar()->value(), 3);
    rows->setValue(5);
    EXPECT_EQ(frozen->verticalScrollBar()->value(), 5);
    frozen->verticalScrollBar()->setValue(1);
    EXPECT_EQ(rows->value(), 1);
    check->click();
    EXPECT_FALSE(grid().hasFixedColumn());
    EXPECT_FALSE(frozen->isVisible());
}

}  // namespace
}  // namespace horavant::test
