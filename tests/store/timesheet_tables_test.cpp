// sollzeit.dbf and abwesend.dbf: their bytes, fields found by name, writes that refuse a row
// another copy changed, and LibreOffice reading both back.
#include "store/dbf_table.h"
#include "store/timesheet_tables.h"
#include "store/byte_io.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace horavant {
namespace {

using test::readFile;
using Texts = std::vector<std::u16string>;

const Texts kTarget = {u"Jürgen Öz", u"01.06.2026", u"BY", u"08:00", u"08:00", u"08:00",
                       u"08:00",     u"06:30",      u"",   u"",      u"27,5",  u"+12:30"};
const Texts kAbsence = {u"Jürgen Öz", u"08.06.2026", u"12.06.2026", u"Urlaub", u"Ostsee, 5 €"};

TEST(TimesheetTables, AreCreatedEmptyOnceWithTheirFieldsAndKeepAFileThatIsThere)
{
    test::TempDir dir;
    for (const TableSchema& schema : {kTargetTable, kAbsenceTable})
        createTableIfMissing(dir.path(), schema);
    // 32 + 32 per field + 1, then the end-of-file byte; records of 1 + the widths.
    const std::string target = readFile(dir / "sollzeit.dbf");
    ASSERT_EQ(target.size(), 32u + 32 * 12 + 1 + 1);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(target.data());
    EXPECT_EQ(getU16le(bytes + 10), 1 + 45 + 10 + 2 + 7 * 5 + 5 + 7);
    EXPECT_EQ(target.substr(32 + 11 * 32, 11), std::string("UEBERTRAG\0\0", 11));
    EXPECT_EQ(readFile(dir / "abwesend.dbf").size(), 32u + 32 * 5 + 2);

    test::writeFile(dir / "abwesend.dbf", "damaged");
    createTableIfMissing(dir.path(), kAbsenceTable);
    EXPECT_EQ(readFile(dir / "abwesend.dbf"), "damaged");
    try {
        readTableRows(dir.path(), kAbsenceTable);
        ADD_FAILURE() << "a damaged table read";
    } catch (const TableFileError& e) {
        EXPECT_EQ(e.pattern(), kTableDamaged);
    }
}

TEST(TimesheetTables, ReadFieldsByNameAndRefuseARowAnotherCopyChanged)
{
    test::TempDir dir;
    {
        // Another program wrote the fields in its own order, with one of its own in between.
        DbfTable other;
        other.setFolder(dir.path());
        other.setTableName("abwesend.dbf");
        for (const char16_t* name : {u"BIS", u"NOTIZ", u"ART", u"BEMERKUNG", u"VON", u"ARBEITER"})
            other.addFieldDef(name, FieldType::Character, 100);
        other.CreateTable();
        other.Open();
        other.AppendRecord({u"12.06.2026", u"x", u"Urlaub", u"Ostsee, 5 €", u"08.06.2026", u"Jürgen Öz"});
        other.Close();
    }
    std::vector<StoredRow> rows = readTableRows(dir.path(), kAbsenceTable);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].texts, kAbsence);

    StoredRow stale = rows[0];
    stale.texts[absencefield::kKind] = u"Krank";
    EXPECT_EQ(replaceTableRow(dir.path(), kAbsenceTable, stale, kAbsence), RowWrite::Gone);
    EXPECT_EQ(deleteTableRow(dir.path(), kAbsenceTable, stale), RowWrite::Gone);
    Texts changed = kAbsence;
    changed[absencefield::kKind] = u"Sonstiges";
    const auto refuse = [](const std::vector<StoredRow>& others) { return others.empty(); };
    EXPECT_EQ(appendTableRow(dir.path(), kAbsenceTable, kAbsence, refuse), RowWrite::Refused);
    EXPECT_EQ(replaceTableRow(dir.path(), kAbsenceTable, rows[0], changed, refuse), RowWrite::Done);
    rows = readTableRows(dir.path(), kAbsenceTable);
    EXPECT_EQ(rows[0].texts, changed);
    EXPECT_EQ(deleteTableRow(dir.path(), kAbsenceTable, rows[0]), RowWrite::Done);
    EXPECT_TRUE(readTableRows(dir.path(), kAbsenceTable).empty());

    test::TempDir lacking;
    {
        DbfTable t;
        t.setFolder(lacking.path());
        t.setTableName("sollzeit.dbf");
        t.addFieldDef(u"ARBEITER", FieldType::Character, 45);
        t.CreateTable();
    }
    try {
        readTableRows(lacking.path(), kTargetTable);
        ADD_FAILURE() << "a table without AB read";
    } catch (const TableFileError& e) {
        EXPECT_EQ(e.details().at(1), "AB");
    }
}

// LibreOffice's dBase import (its Calc, headless) converts each table to CSV. dBase readers take
// the code page from the user, as LibreOffice does: Windows ANSI is named.
TEST(TimesheetTables, LibreOfficeReadsBothTablesBack)
{
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "LibreOffice (soffice) is not installed: apt-get install libreoffice-calc-nogui "
                        "libreoffice-base-drivers";
    test::TempDir dir;
    appendTableRow(dir.path(), kTargetTable, kTarget);
    appendTableRow(dir.path(), kAbsenceTable, kAbsence);
    const std::string command = "cd '" + dir.path().string() + "' && soffice -env:UserInstallation=file://"
                                + (dir / "profile").string()
                                + " --headless --infilter=dBase:ANSI --convert-to 'csv:Text - txt - csv "
                                  "(StarCalc):59,34,76' sollzeit.dbf abwesend.dbf >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(
        readFile(dir / "sollzeit.csv"),
        "ARBEITER,C,45;AB,C,10;LAND,C,2;MO,C,5;DI,C,5;MI,C,5;DO,C,5;FR,C,5;SA,C,5;SO,C,5;URLAUB,C,5;UEBERTRAG,C,7\n"
        "Jürgen Öz;01.06.2026;BY;08:00;08:00;08:00;08:00;06:30;;;27,5;+12:30\n");
    EXPECT_EQ(readFile(dir / "abwesend.csv"),
              "ARBEITER,C,45;VON,C,10;BIS,C,10;ART,C,20;BEMERKUNG,C,100\n"
              "Jürgen Öz;08.06.2026;12.06.2026;Urlaub;Ostsee, 5 €\n");
}

}  // namespace
}  // namespace horavant
