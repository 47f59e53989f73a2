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

}  // namespace
}  // namespace horavant::test
