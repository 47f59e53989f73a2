// The grid's model over the work-time table, with Qt's model tester watching every change.
#include "store/dbf_table.h"
#include "store/error.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"
#include "ui/work_time_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace horavant::test {
namespace {

class WorkTimeModelTest : public testing::Test {
protected:
    bool fillTable()
    {
        createWorkTimeTable(table, dir.path());
        appendRows(table, {{.employee = u"Meier"}, {.employee = u"Schulz"}, {.employee = u"Meier", .place = u"Halle"}});
        return true;
    }

    QString cell(int row, int column) const { return model.data(model.index(row, column)).toString(); }
    QStringList employees() const
    {
        QStringList names;
        for (int r = 0; r < model.rowCount(); ++r)
            names << cell(r, 1);
        return names;
    }

    TempDir dir;
    DbfTable table;
    bool filled = fillTable();  // before the model is made
    WorkTimeModel model {table};
    QAbstractItemModelTester tester {&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(WorkTimeModelTest, EditsShowTheBufferUntilPostedOrCancelled)
{
    ASSERT_EQ(employees(), QStringList({"Meier", "Schulz", "Meier"}));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(model.setData(model.index(1, 2), "Keller", Qt::EditRole));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(model.editingRow(), 1);
    EXPECT_EQ(cell(1, 2), "Keller");
    model.cancel();
    EXPECT_EQ(model.editingRow(), std::nullopt);
    EXPECT_EQ(cell(1, 2), "Bau");

    ASSERT_TRUE(model.setData(model.index(1, 2), "Keller", Qt::EditRole));
    // Editing another row writes the first one, as leaving a row in the grid does.
    ASSERT_TRUE(model.setData(model.index(2, 2), "Dach", Qt::EditRole));
    EXPECT_EQ(model.editingRow(), 2);
    model.post();
    table.Refresh();
    EXPECT_EQ(table.fieldTextOf(table.peekRecord(1), 2), u"Keller");
    EXPECT_EQ(table.fieldTextOf(table.peekRecord(2), 2), u"Dach");
}

TEST_F(WorkTimeModelTest, InsertedRowsAppearAtTheEndAndCancelTakesThemAway)
{
    model.setInsertDefaults({{1, u"Neumann"}});
    model.insertRow();
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.headerData(3, Qt::Vertical).toString(), "*");
    EXPECT_EQ(cell(3, 1), "Neumann");
    model.cancel();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(table.physicalCount(), 3u);

    model.insertRow();
    ASSERT_TRUE(model.setData(model.index(3, 2), "Lager", Qt::EditRole));
    model.post();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.headerData(3, Qt::Vertical).toInt(), 4);
    EXPECT_EQ(cell(3, 2), "Lager");
    EXPECT_EQ(table.physicalCount(), 4u);
}

TEST_F(WorkTimeModelTest, DeletesRefreshesAndFiltersKeepRowsAndRecordsInStep)
{
    model.deleteRow(1);
    EXPECT_EQ(employees(), QStringList({"Meier", "Meier"}));

    // Another copy of the program appends; refresh shows it.
    DbfTable other;
    other.setFolder(dir.path());
    other.setTableName(table.path().filename().string());
    other.Open();
    appendRows(other, {{.employee = u"Wagner"}});
    model.refresh();
    EXPECT_EQ(employees(), QStringList({"Meier", "Meier", "Wagner"}));

    table.setFilter([](const DbfTable& t) { return t.fieldText(1) == u"Meier"; });
    table.setFiltered(true);
    model.reload();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(cell(1, 2), "Halle");

    // A posted row that no longer passes the filter leaves the view.
    ASSERT_TRUE(model.setData(model.index(1, 1), "Schmidt", Qt::EditRole));
    model.post();
    EXPECT_EQ(employees(), QStringList({"Meier"}));
    table.setFiltered(false);
    model.reload();
    EXPECT_EQ(employees(), QStringList({"Meier", "Schmidt", "Wagner"}));
}

TEST_F(WorkTimeModelTest, AReadOnlyTableRefusesCellsAndKeepsItsRows)
{
    table.setReadOnly(true);
    model.reload();
    EXPECT_FALSE(model.flags(model.index(0, 0)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model.setData(model.index(0, 2), "Keller", Qt::EditRole));
    EXPECT_THROW(model.insertRow(), Error);
    EXPECT_THROW(model.deleteRow(1), Error);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(1, 1), "Schulz");
    EXPECT_EQ(cell(0, 2), "Bau");
}

// Another copy of the program at the row this copy starts to edit (the cell editor opened on the
// second row, which shows "Bau"; then the other copy acts; then "Keller" is typed into it).
struct OtherCopyCase {
    const char* name;
    std::function<void(DbfTable& other)> meanwhile;
    bool overwrite;  // the answer to the question, where it is asked
    const char* told;  // what the model told the window: "locked", "deleted", "changed"
    QStringList rowsAfter;  // the places shown once the edit is posted
    std::u16string stored;  // the second record's place in the file then
};

class WorkTimeModelOtherCopy : public WorkTimeModelTest, public testing::WithParamInterface<OtherCopyCase> {};

TEST_P(WorkTimeModelOtherCopy, IsAskedAboutOrToldOfAndKeepsTheTypedText)
{
    DbfTable other;
    other.setFolder(dir.path());
    other.setTableName(table.path().filename().string());
    other.Open();
    QString told;
    std::vector<std::u16string> now, shown;
    model.setRowConflicts({[&] { told += "locked"; }, [&] { told += "deleted"; },
                           [&](const auto& n, const auto& s, int field, const std::u16string& typed) {
                               told += "changed";
                               now = n;
                               shown = s;
                               EXPECT_EQ(field, 2);
                               EXPECT_EQ(typed, u"Keller");
                               return GetParam().overwrite;
                           }});
    model.noteEditStart(1);
    GetParam().meanwhile(other);
    model.setData(model.index(1, 2), "Keller", Qt::EditRole);
    EXPECT_EQ(told, GetParam().told);
    if (told == "changed") {
        EXPECT_EQ(now[2], u"Dach");
        EXPECT_EQ(shown[2], u"Bau");
    }
    if (told == "locked") {
        EXPECT_EQ(cell(1, 2), "Keller");  // kept, to be stored again
        EXPECT_THROW(model.post(), AbortError);  // still held: told again, nothing lost
        EXPECT_EQ(told, "lockedlocked");
        EXPECT_EQ(cell(1, 2), "Keller");
        other.Cancel();
    }
    model.post();
    QStringList places;
    for (int r = 0; r < model.rowCount(); ++r)
        places << cell(r, 2);
    EXPECT_EQ(places, GetParam().rowsAfter);
    other.Refresh();
    EXPECT_EQ(other.fieldTextOf(other.peekRecord(1), 2), GetParam().stored);
}

void placeOfSecond(DbfTable& other, std::u16string place)
{
    ASSERT_TRUE(other.gotoRecord(1));
    other.Edit();
    other.setFieldText(2, place);
    other.Post();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WorkTimeModelOtherCopy,
    testing::Values(OtherCopyCase {"NobodyElse", [](DbfTable&) {}, true, "", {"Bau", "Keller", "Halle"}, u"Keller"},
                    OtherCopyCase {"HeldThere",
                                   [](DbfTable& other) {
                                       ASSERT_TRUE(other.gotoRecord(1));
                                       other.Edit();
                                   },
                                   true,
                                   "locked",
                                   {"Bau", "Keller", "Halle"},
                                   u"Keller"},
                    OtherCopyCase {"ChangedThereAndOverwritten",
                                   [](DbfTable& other) { placeOfSecond(other, u"Dach"); },
                                   true,
                                   "changed",
                                   {"Bau", "Keller", "Halle"},
                                   u"Keller"},
                    OtherCopyCase {"ChangedThereAndKept",
                                   [](DbfTable& other) { placeOfSecond(other, u"Dach"); },
                                   false,
                                   "changed",
                                   {"Bau", "Dach", "Halle"},
                                   u"Dach"},
                    OtherCopyCase {"DeletedThere",
                                   [](DbfTable& other) {
                                       ASSERT_TRUE(other.gotoRecord(1));
                                       other.Delete();
                                   },
                                   true,
                                   "deleted",
                                   {"Bau", "Halle"},
                                   u"Bau"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant::test
