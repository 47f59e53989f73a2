// Work-time tables for tests.
#include "support/work_time_table.h"

#include "store/dbf_table.h"

namespace horavant::test {

void defineWorkTimeFields(DbfTable& t, int timeWidth)
{
    t.clearFieldDefs();
    t.addFieldDef(u"Datum", FieldType::Character, 10);
    t.addFieldDef(u"Arbeiter", FieldType::Character, 45);
    t.addFieldDef(u"Ort", FieldType::Character, 45);
    t.addFieldDef(u"Tätigkeit", FieldType::Character, 45);
    t.addFieldDef(u"Zeit von", FieldType::Character, timeWidth);
    t.addFieldDef(u"Zeit bis", FieldType::Character, timeWidth);
    t.addFieldDef(u"Bemerkungen", FieldType::Character, 100);
    t.addFieldDef(u"Auswaerts", FieldType::Logical, 0);
    t.addFieldDef(u"Pause", FieldType::Character, 5);
    t.addFieldDef(u"Doppelt", FieldType::Logical, 0);
}

void createWorkTimeTable(DbfTable& t, const std::filesystem::path& folder)
{
    t.setFolder(folder);
    t.setTableName("arbeitszeit.dbf");
    defineWorkTimeFields(t);
    t.CreateTable();
    t.Open();
}

std::vector<std::u16string> Row::texts() const
{
    return {date, employee, place, activity, from, to, remarks, away, pause, doubleBooking};
}

void appendRows(DbfTable& t, const std::vector<Row>& rows)
{
    for (const Row& r : rows)
        t.AppendRecord(r.texts());
}

}  // namespace horavant::test
