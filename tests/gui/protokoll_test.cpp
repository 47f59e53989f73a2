// The change journal's window through the real widgets: a cell edited in the grid is the newest
// entry, and "Prüfen" names the record another program changed.
#include "gui_support.h"

#include "admin/protokoll_form.h"
#include "recording/einloggen_form.h"
#include "store/posix_file.h"
#include "support/work_time_table.h"
#include "ui/work_time_model.h"

#include <QAction>
#include <QPushButton>
#include <QTableView>

#include <fcntl.h>

namespace horavant::test {
namespace {

class ProtokollTest : public AppTest {};

TEST_F(ProtokollTest, AnEditInTheGridIsTheNewestEntryAndPruefenNamesTheRecordChangedOutside)
{
    {
        DbfTable t;
        createWorkTimeTable(t, dir.path());
        appendRows(t, {{.employee = u"A"}, {.employee = u"B"}});
    }
    start();
    QStringList newest;
    QString unchanged, changed;
    ModalScript script;
    script
        .then([&](QWidget* main) {
            WorkTimeModel& m = application().mainForm().model();
            child<QTableView>(main, "DBGrid1")->setCurrentIndex(m.index(1, 2));
            m.setData(m.index(1, 2), "Halle");
            // Still in the grid's edit buffer: opening the journal stores it first.
            QMetaObject::invokeMethod(child<QAction>(main, "nderungsprotokoll1"), "trigger", Qt::QueuedConnection);
        })
        .then([&](QWidget* journal) {
            EXPECT_EQ(journal, static_cast<QWidget*>(windows().protokoll));
            EXPECT_EQ(journal->windowTitle(), "Änderungsprotokoll");
            const QAbstractItemModel* entries = child<QTableView>(journal, "ListView1")->model();
            for (int column = 0; column < entries->columnCount(); ++column)
                newest << entries->index(0, column).data().toString();
            clickLater(child<QPushButton>(journal, "PruefenBtn"));
        })
        .answer(QMessageBox::Ok, &unchanged)
        .then([&](QWidget* journal) {
            // Another program writes into the first record's place.
            UniqueFd fd(::open((dir / "arbeitszeit.dbf").c_str(), O_WRONLY));
            ASSERT_TRUE(writeFullyAt(fd.get(), "Keller", 6, 353 + 1 + 10 + 45));
            clickLater(child<QPushButton>(journal, "PruefenBtn"));
        })
        .answer(QMessageBox::Ok, &changed)
        .then([&](QWidget* journal) { clickLater(child<QPushButton>(journal, "SchliessenBtn")); })
        .then([&](QWidget* main) { clickLater(child<QPushButton>(main, "AusloggenBtn")); });
    clickLater(child<QPushButton>(windows().einloggen, "BitBtnXP2"));
    while (!script.finished() || QApplication::activeModalWidget())
        processEvents(10);

    ASSERT_EQ(newest.size(), 8);
    EXPECT_EQ(newest[3], "Administrator");
    EXPECT_EQ(newest[4], "Datensatz geändert");
    EXPECT_EQ(newest[5], "2");
    EXPECT_EQ(newest[6], "B");
    EXPECT_EQ(newest[7], "ORT: \"Bau\" → \"Halle\"");
    EXPECT_EQ(unchanged, "Das Protokoll ist unverändert.\nAlle Datensätze entsprechen dem Protokoll.");
    EXPECT_EQ(changed, "Das Protokoll ist unverändert.\nDatensatz 1 wurde außerhalb des Programms geändert.");
}

}  // namespace
}  // namespace horavant::test
