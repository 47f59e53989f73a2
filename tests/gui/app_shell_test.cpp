// Start-up, the windows and the main window's grid, driven through the real widgets.
#include "gui_support.h"

#include "admin/admin_form.h"
#include "admin/admin_pass_form.h"
#include "app/application_style.h"
#include "app/main_form.h"
#include "recording/einloggen_form.h"
#include "store/dbf_table.h"
#include "store/user_file.h"
#include "support/work_time_table.h"
#include "ui/db_navigator.h"
#include "ui/work_time_model.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QTableView>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <QTreeView>

#include <gmock/gmock.h>
#include <cstdlib>
#include <cstring>
#include <functional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace horavant::test {
namespace {

using testing::ElementsAre;

class AppShellTest : public AppTest {
protected:
    TMainForm& mainForm() { return application().mainForm(); }
    TEinloggenForm& login() { return *windows().einloggen; }

    // Opens the main window through "Als Administrator einloggen"; `inside` runs with it shown
    // and should end with the window closing.
    void asAdministrator(ModalScript& script)
    {
        clickLater(child<QPushButton>(&login(), "BitBtnXP2"));
        processEvents(20);
        while (!script.finished() || QApplication::activeModalWidget())
            processEvents(10);
    }

    void writeTable(const std::vector<Row>& rows)
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, rows);
    }

    // The rows of employees A and B in the administrator's grid, its current cell the first row's
    // place while `body` runs; the window is logged out of afterwards.
    void inGridOfTwoRows(const std::function<void(QWidget*, WorkTimeModel&, QTableView*)>& body)
    {
        writeTable({{.employee = u"A"}, {.employee = u"B"}});
        start();
        ModalScript script;
        script.then([&](QWidget* w) {
            WorkTimeModel& m = mainForm().model();
            auto* grid = child<QTableView>(w, "DBGrid1");
            grid->setCurrentIndex(m.index(0, 2));
            body(w, m, grid);
            clickLater(child<QPushButton>(w, "AusloggenBtn"));
        });
        asAdministrator(script);
    }

    std::vector<QString> column(int field)
    {
        WorkTimeModel& m = mainForm().model();
        std::vector<QString> out;
        for (int r = 0; r < m.rowCount(); ++r)
            out.push_back(m.index(r, field).data().toString());
        return out;
    }

    QToolButton* navigatorButton(QWidget* window, DbNavigator::Button b)
    {
        return child<DbNavigator>(window, "DBNavigator1")->button(b);
    }
};

TEST_F(AppShellTest, CreatesTheWindowsInOrderWithTheirCaptions)
{
    start();
    std::vector<std::pair<QString, QString>> seen;
    for (QWidget* w : windows().list)
        seen.emplace_back(w->objectName(), w->windowTitle());
    const std::vector<std::pair<QString, QString>> expected = {
        {"TEinloggenForm", "Als Benutzer einloggen"},
        {"TBenutzerVerwaltenForm", "Benutzer verwalten"},
        {"TBenutzerBearbeitenForm", "Benutzer bearbeiten"},
        {"TAdminPassForm", "Admin Passwort eingeben"},
        {"TAdminForm", "Admin Menü"},
        {"TVorgabeTexteForm", "Vorgabetexte für das Ausfüllen"},
        {"TMainForm", "Ombrix Horavant 1.0"},
        {"TErfassenForm", "Arbeitszeit erfassen"},
        {"TDatenAuflistenForm", "Daten auflisten"},
        {"TMitarbeiterAussuchenForm", "Mitarbeiter/Ort/Tätigkeit auswählen"},
        {"TAuswertenForm", "Auswertung"},
        {"TPausenForm", "Pausenzeiten eingeben"},
        {"TTranslateForm", "Übersetzen"},
        {"TDatensicherungForm", "Datensicherung"},
        {"TSollzeitenForm", "Sollzeiten"},
        {"TAbwesenheitenForm", "Abwesenheiten"},
        {"TProtokollForm", "Änderungsprotokoll"},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(login().isVisible());
    EXPECT_EQ(login().size(), QSize(431, 435));
    EXPECT_EQ(mainForm().size(), QSize(764, 547));
}

TEST_F(AppShellTest, ProgramFolderEndsInExactlyOneSeparator)
{
    EXPECT_EQ(programFolderOf("/opt/horavant/horavant"), "/opt/horavant/");
    EXPECT_EQ(programFolderOf("/opt/horavant//horavant"), "/opt/horavant/");
    EXPECT_EQ(programFolderOf("/horavant"), "/");
    start();
    EXPECT_EQ(mainForm().GetProgramDir().toStdString(), dir.path().string() + "/");
}

TEST_F(AppShellTest, FirstStartCreatesTheTableInTheProgramFolder)
{
    start();
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf").size(), 354u);
    EXPECT_FALSE(std::filesystem::exists(dir / "temp.dbf"));
    EXPECT_FALSE(std::filesystem::exists(dir / "arbeitszeit0.dbf"));
    EXPECT_TRUE(std::filesystem::exists(dir / "translate.dat"));  // the messages are registered
}

TEST_F(AppShellTest, ADamagedTableIsReportedAndLeftUntouched)
{
    writeFile(dir / "arbeitszeit.dbf", std::string(500, '\x07'));
    const QString text = startAnsweringOk();
    EXPECT_EQ(text, "Invalid DBF file.");
    processEvents(20);
    EXPECT_FALSE(login().isVisible());
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf"), std::string(500, '\x07'));
}

TEST_F(AppShellTest, AdministratorReachesTheGridAndComesBackToTheLogin)
{
    writeTable({{.employee = u"Meier"}, {.employee = u"Schulz"}});
    start();
    child<QLineEdit>(&login(), "Edit1")->setText("typed");
    bool shown = false;
    ModalScript script;
    script.then([&](QWidget* w) {
        shown = w == &mainForm() && !login().isVisible();
        EXPECT_EQ(mainForm().model().rowCount(), 2);
        EXPECT_EQ(mainForm().model().headerData(3, Qt::Horizontal).toString(), "Tätigkeit");
        // Enter in the grid presses no button: the window has no default one.
        auto* grid = child<QTableView>(w, "DBGrid1");
        grid->setFocus();
        grid->setCurrentIndex(mainForm().model().index(0, 2));
        QTest::keyClick(grid, Qt::Key_Return);
        EXPECT_TRUE(w->isVisible());
        clickLater(child<QPushButton>(w, "AusloggenBtn"));
    });
    asAdministrator(script);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(login().isVisible());
    EXPECT_EQ(child<QLineEdit>(&login(), "Edit1")->text(), "typed");
}

TEST_F(AppShellTest, GridInsertsEditsCancelsAndDeletesWithConfirmation)
{
    writeTable({{.employee = u"A"}, {.employee = u"B"}, {.employee = u"C"}});
    start();
    QString question;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            auto* grid = child<QTableView>(w, "DBGrid1");
            WorkTimeModel& m = mainForm().model();
            // Edit a cell, then cancel: the old text comes back.
            grid->setCurrentIndex(m.index(0, 2));
            m.setData(m.index(0, 2), "Halle");
            EXPECT_EQ(m.index(0, 2).data().toString(), "Halle");
            navigatorButton(w, DbNavigator::Cancel)->click();
            EXPECT_EQ(m.index(0, 2).data().toString(), "Bau");
            // Insert goes to the end whatever the current row; post stores it.
            grid->setCurrentIndex(m.index(0, 0));
            navigatorButton(w, DbNavigator::Insert)->click();
            EXPECT_EQ(m.rowCount(), 4);
            typeWorkTimeRow(m, 3, "D");
            navigatorButton(w, DbNavigator::Post)->click();
            // Delete the second row: asks first.
            grid->setCurrentIndex(m.index(1, 0));
            clickLater(navigatorButton(w, DbNavigator::Delete));
        })
        .answer(QMessageBox::No, &question)
        .then([&](QWidget* w) {
            EXPECT_EQ(mainForm().model().rowCount(), 4);
            clickLater(navigatorButton(w, DbNavigator::Delete));
        })
        .answer(QMessageBox::Yes)
        .then([&](QWidget* w) { clickLater(child<QPushButton>(w, "AusloggenBtn")); });
    asAdministrator(script);
    EXPECT_EQ(question, "Datensatz löschen?");
    EXPECT_THAT(column(1), ElementsAre("A", "C", "D"));

    // In the file: four records, the second marked deleted.
    const std::string bytes = readFile(dir / "arbeitszeit.dbf");
    ASSERT_EQ(bytes.size(), 353u + 4 * 263 + 1);
    EXPECT_EQ(bytes[353 + 263], '*');
    EXPECT_EQ(bytes.substr(353 + 3 * 263 + 11, 1), "D");
}

TEST_F(AppShellTest, AnEditedRowIsStoredWhenTheWindowCloses)
{
    writeTable({{.employee = u"A"}});
    start();
    ModalScript script;
    script.then([&](QWidget* w) {
        WorkTimeModel& m = mainForm().model();
        child<QTableView>(w, "DBGrid1")->setCurrentIndex(m.index(0, 6));
        m.setData(m.index(0, 6), "nachgetragen");
        closeLater(w);
    });
    asAdministrator(script);
    DbfTable t;
    t.setFolder(dir.path());
    t.setTableName("arbeitszeit.dbf");
    t.Open();
    EXPECT_EQ(t.fieldText(6), u"nachgetragen");
}

TEST_F(AppShellTest, MovingToAnotherRowPostsTheEdit)
{
    inGridOfTwoRows([&](QWidget* w, WorkTimeModel& m, QTableView* grid) {
        m.setData(m.index(0, 2), "Halle");
        grid->setCurrentIndex(m.index(1, 2));
        EXPECT_FALSE(m.editingRow().has_value());
        navigatorButton(w, DbNavigator::Refresh)->click();
        EXPECT_EQ(m.index(0, 2).data().toString(), "Halle");
    });
}

// "+" and then another row, another "+", or closing the window: an inserted row that nobody
// typed into is dropped, as a data-aware grid does; one that was typed into is stored.
TEST_F(AppShellTest, AnInsertedRowNobodyTypedIntoIsDroppedOnLeavingIt)
{
    inGridOfTwoRows([&](QWidget* w, WorkTimeModel& m, QTableView* grid) {
        navigatorButton(w, DbNavigator::Insert)->click();
        ASSERT_EQ(m.rowCount(), 3);
        grid->setCurrentIndex(m.index(1, 2));
        EXPECT_EQ(m.rowCount(), 2);

        navigatorButton(w, DbNavigator::Insert)->click();
        typeWorkTimeRow(m, 2, "C");
        grid->setCurrentIndex(m.index(0, 2));
        EXPECT_EQ(m.rowCount(), 3);

        navigatorButton(w, DbNavigator::Insert)->click();
        navigatorButton(w, DbNavigator::Insert)->click();
        EXPECT_EQ(m.rowCount(), 4);
    });
    EXPECT_THAT(column(1), ElementsAre("A", "B", "C"));
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf").size(), 353u + 3 * 263 + 1);
}

// A row that the recording window would refuse is not stored from the grid either: the same
// message, the cell to correct current, the window open until the row is corrected or cancelled.
TEST_F(AppShellTest, TheGridStoresARowOnlyWhenItPassesTheRecordingChecks)
{
    const std::string before = [&] {
        writeTable({{.employee = u"A", .from = u"17:00", .to = u"22:00"}});
        return readFile(dir / "arbeitszeit.dbf");
    }();
    start();
    QString refused, onClosing;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            WorkTimeModel& m = mainForm().model();
            auto* grid = child<QTableView>(w, "DBGrid1");
            grid->setCurrentIndex(m.index(0, 6));
            m.setData(m.index(0, 5), "16:00");
            clickLater(navigatorButton(w, DbNavigator::Post));
        })
        .answer(QMessageBox::Ok, &refused)
        .then([&](QWidget* w) {
            EXPECT_EQ(child<QTableView>(w, "DBGrid1")->currentIndex().column(), 5);
            closeLater(w);
        })
        .answer(QMessageBox::Ok, &onClosing)
        .then([&](QWidget* w) {
            EXPECT_TRUE(w->isVisible());
            navigatorButton(w, DbNavigator::Cancel)->click();
            closeLater(w);
        });
    asAdministrator(script);
    EXPECT_EQ(refused, "Die Bis-Zeit muss größer als die Von-Zeit sein!");
    EXPECT_EQ(onClosing, refused);
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf"), before);
}

// Times are typed in hours and minutes wherever a time is typed: Tab walks no seconds.
TEST_F(AppShellTest, EveryTimeFieldTakesHoursAndMinutesOnly)
{
    start();
    int fields = 0;
    for (QWidget* window : windows().list) {
        for (const QTimeEdit* edit : window->findChildren<QTimeEdit*>()) {
            ++fields;
            EXPECT_EQ(edit->displayedSections(), QDateTimeEdit::HourSection | QDateTimeEdit::MinuteSection)
                << window->objectName().toStdString() << " " << edit->objectName().toStdString();
        }
    }
    EXPECT_GE(fields, 13);
}

TEST_F(AppShellTest, RefreshShowsRowsAppendedByAnotherCopy)
{
    writeTable({{.employee = u"A"}});
    start();
    ModalScript script;
    script.then([&](QWidget* w) {
        DbfTable other;
        other.setFolder(dir.path());
        other.setTableName("arbeitszeit.dbf");
        other.Open();
        appendRows(other, {{.employee = u"B"}});
        navigatorButton(w, DbNavigator::Refresh)->click();
        EXPECT_EQ(mainForm().model().rowCount(), 2);
        clickLater(child<QPushButton>(w, "AusloggenBtn"));
    });
    asAdministrator(script);
}

// Another copy of the program on the folder, in the user's language: its new row shows when the
// grid does; a row it holds keeps the typed text until it can be stored; a row it changed since
// the cell editor opened is asked about with both values; one it deleted is refused.
TEST_F(AppShellTest, AnotherCopyAtTheRowIsToldOfAndWhatWasTypedStays)
{
    writeLanguage(1);
    writeTable({{.employee = u"A"}, {.employee = u"B"}});
    start();
    DbfTable other;
    other.setFolder(dir.path());
    other.setTableName("arbeitszeit.dbf");
    other.Open();
    appendRows(other, {{.employee = u"C"}});
    const auto changeThere = [&](std::uint32_t record, std::u16string place) {
        ASSERT_TRUE(other.gotoRecord(record));
        other.Edit();
        other.setFieldText(2, place);
        other.Post();
    };
    // Opens the cell editor, lets the other copy act, types, and presses Enter after the step.
    const auto type = [](QWidget* w, int row, const QString& text, const std::function<void()>& meanwhile) {
        auto* grid = child<QTableView>(w, "DBGrid1");
        const QModelIndex index = grid->model()->index(row, 2);
        grid->setCurrentIndex(index);
        grid->edit(index);
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        meanwhile();
        editor->setText(text);
        QTimer::singleShot(0, editor, [editor] { QTest::keyClick(editor, Qt::Key_Return); });
    };
    QString locked, asked, deleted;
    ModalScript script;
    script
        .then([&](QWidget* w) {
            EXPECT_THAT(column(1), ElementsAre("A", "B", "C"));
            ASSERT_TRUE(other.gotoRecord(0));
            other.Edit();
            type(w, 0, "Keller", [] {});
        })
        .answer(QMessageBox::Ok, &locked)
        .then([&](QWidget* w) {
            EXPECT_EQ(column(2)[0], "Keller");
            other.Cancel();
            navigatorButton(w, DbNavigator::Post)->click();
            type(w, 1, "Dach", [&] { changeThere(1, u"Halle"); });
        })
        .answer(QMessageBox::Yes, &asked)
        .then([&](QWidget* w) { type(w, 0, "Lager", [&] { changeThere(0, u"Hof"); }); })
        .answer(QMessageBox::No)
        .then([&](QWidget* w) {
            EXPECT_EQ(column(2)[0], "Hof");
            type(w, 2, "Garten", [&] {
                ASSERT_TRUE(other.gotoRecord(2));
                other.Delete();
            });
        })
        .answer(QMessageBox::Ok, &deleted)
        .then([&](QWidget* w) {
            EXPECT_THAT(column(1), ElementsAre("A", "B"));
            clickLater(child<QPushButton>(w, "AusloggenBtn"));
        });
    asAdministrator(script);
    EXPECT_EQ(locked,
              "This row is being changed on another computer or in another window. What you typed stays in "
              "the row; store it again later.");
    EXPECT_THAT(asked.toStdString(), testing::StartsWith("This row has been changed on another computer"));
    EXPECT_THAT(asked.toStdString(), testing::HasSubstr("„Halle“"));
    EXPECT_THAT(asked.toStdString(), testing::HasSubstr("„Dach“"));
    EXPECT_THAT(deleted.toStdString(), testing::StartsWith("This row has been deleted on another computer"));
    other.Refresh();
    EXPECT_EQ(other.visibleCount(), 2u);
    EXPECT_EQ(other.fieldTextOf(other.peekRecord(0), 2), u"Hof");
    EXPECT_EQ(other.fieldTextOf(other.peekRecord(1), 2), u"Dach");
}

TEST_F(AppShellTest, BreakToggleIsKeptOnlyWhenADialogClosesAfterIt)
{
    start();
    QAction* toggle = mainForm().findChild<QAction*>("PausenzeitinAuswertungauffhren1");
    ASSERT_NE(toggle, nullptr);
    toggle->trigger();
    EXPECT_TRUE(mainForm().showBreaks());
    EXPECT_FALSE(std::filesystem::exists(dir / "benutzer.dat"));  // toggling alone saves nothing

    ModalScript script;
    script.then([](QWidget* w) { clickLater(child<QPushButton>(w, "BitBtn5")); });  // "Abbrechen"
    mainForm().Benutzerverwalten1Click();
    UserData saved;
    LoadBenutzer(dir / "benutzer.dat", saved);
    EXPECT_TRUE(saved.settings.ShowBreakTimeInEvaluation);

    toggle->trigger();
    toggle->trigger();
    EXPECT_TRUE(mainForm().showBreaks());
}

TEST_F(AppShellTest, ControlsCarryAccessibleNames)
{
    start();
    auto name = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); };
    EXPECT_EQ(name(child<QLineEdit>(&login(), "Edit1")), "Benutzername:");
    EXPECT_EQ(name(child<QLineEdit>(&login(), "Edit2")), "Passwort:");
    EXPECT_EQ(name(navigatorButton(&mainForm(), DbNavigator::Insert)), "Datensatz einfügen");
    EXPECT_EQ(navigatorButton(&mainForm(), DbNavigator::Refresh)->toolTip(), "Daten neu einlesen");
}

TEST_F(AppShellTest, PasswordsAreShownAsStars)
{
    start();
    for (QLineEdit* edit : {child<QLineEdit>(&login(), "Edit2"), child<QLineEdit>(windows().adminPass, "Edit1"),
                            child<QLineEdit>(windows().admin, "Edit1"), child<QLineEdit>(windows().admin, "Edit2")}) {
        QTest::keyClicks(edit, "geheim");
        EXPECT_EQ(edit->displayText(), "******") << edit->window()->objectName().toStdString();
        edit->clear();
    }
}

TEST_F(AppShellTest, NavigatorShowsItsGlyphsWithTheMainWindow)
{
    start();
    ModalScript script;
    script.then([&](QWidget* w) {
        for (int b = 0; b < DbNavigator::kButtonCount; ++b)
            EXPECT_FALSE(navigatorButton(w, DbNavigator::Button(b))->icon().isNull()) << b;
        clickLater(child<QPushButton>(w, "AusloggenBtn"));
    });
    asAdministrator(script);
    EXPECT_TRUE(script.finished());
}

// The hidden windows' headers are laid out when each view first shows: visible, as high (or
// wide) as their titles need, right against the rows, with the designed column widths.
TEST_F(AppShellTest, HeadersAreLaidOutWhenTheirViewFirstShows)
{
    start();
    const auto window = [&](const char* name) {
        for (QWidget* w : windows().list) {
            if (w->objectName() == QLatin1String(name))
                return w;
        }
        ADD_FAILURE() << name;
        return static_cast<QWidget*>(nullptr);
    };
    struct Case {
        const char* window;
        const char* view;
        int columnWidth;  // 0 where the columns fill the view
        bool verticalHeader;
    };
    for (const Case& c :
         {Case {"TMainForm", "DBGrid1", 110, true}, Case {"TDatenAuflistenForm", "DBGrid1", 110, true},
          Case {"TTranslateForm", "StringGrid1", 250, false}, Case {"TBenutzerVerwaltenForm", "ListView1", 0, false},
          Case {"TDatensicherungForm", "ListView1", 0, false}}) {
        SCOPED_TRACE(c.window);
        QWidget* w = window(c.window);
        auto* view = child<QAbstractItemView>(w, c.view);
        w->show();
        processEvents(20);
        auto* table = qobject_cast<QTableView*>(view);
        QHeaderView* top = table ? table->horizontalHeader() : static_cast<QTreeView*>(view)->header();
        ASSERT_TRUE(top->isVisible());
        EXPECT_GT(top->height(), 0);
        EXPECT_EQ(top->height(), top->sizeHint().height());
        EXPECT_EQ(view->viewport()->y(), top->geometry().bottom() + 1);
        int total = 0;
        for (int s = 0; s < top->count(); ++s) {
            total += top->sectionSize(s);
            if (c.columnWidth) {
                EXPECT_EQ(top->sectionSize(s), c.columnWidth) << s;
            } else if (top->sectionResizeMode(s) == QHeaderView::ResizeToContents) {
                EXPECT_GE(top->sectionSize(s), top->sectionSizeHint(s)) << s;
            }
        }
        if (!c.columnWidth) {
            EXPECT_EQ(total, view->viewport()->width());
        }
        if (table) {
            EXPECT_EQ(table->verticalHeader()->isVisible(), c.verticalHeader);
            if (c.verticalHeader) {
                EXPECT_EQ(view->viewport()->x(), table->verticalHeader()->geometry().right() + 1);
            }
        }
        if (c.window == std::string_view("TTranslateForm")) {
            // The frozen first column, a view of its own, shows its header like the grid's.
            child<QCheckBox>(w, "FixedColCheck")->setChecked(true);
            processEvents(20);
            auto* frozen = view->findChild<QTableView*>();
            ASSERT_NE(frozen, nullptr);
            EXPECT_TRUE(frozen->horizontalHeader()->isVisible());
            EXPECT_EQ(frozen->horizontalHeader()->height(), top->height());
        }
        w->hide();
    }
}

#ifdef __GLIBC__
// A scan's notes per record are let go of when its action ends: a large block freed after a
// larger one does not stay in the heap, as glibc's own rule would keep it.
TEST_F(AppShellTest, FreedBlocksGoBackToTheSystem)
{
    start();
    finishTheDaysBackup();  // no other thread frees memory meanwhile
    const auto allocateAndFree = [](std::size_t bytes) {
        void* volatile block = std::malloc(bytes);
        ASSERT_NE(block, nullptr);
        std::memset(block, 1, bytes);
        std::free(block);
    };
    allocateAndFree(24 << 20);
    const std::size_t before = mallinfo2().fordblks;
    allocateAndFree(12 << 20);
    EXPECT_LT(mallinfo2().fordblks, before + (4 << 20));
}
#endif

// The program's style reads the menu bars' overflow arrows only when they are drawn; drawn, they
// are the desktop style's own, at every size the desktop style has.
TEST(ApplicationStyleTest, TheOverflowArrowsAreTheDesktopStylesOwn)
{
    const QString name = QApplication::style()->name();
    ApplicationStyle style(name);
    const std::unique_ptr<QStyle> desktop(QStyleFactory::create(name));
    for (const auto arrow : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon deferred = style.standardIcon(arrow);
        const QIcon own = desktop->standardIcon(arrow);
        ASSERT_FALSE(own.isNull());
        EXPECT_FALSE(deferred.isNull());
        EXPECT_EQ(deferred.availableSizes(), own.availableSizes());
        for (const int size : {8, 16, 32})
            EXPECT_EQ(deferred.pixmap(size).toImage(), own.pixmap(size).toImage()) << size;
    }
}

}  // namespace
}  // namespace horavant::test
