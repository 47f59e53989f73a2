// The work-time table arbeitszeit.dbf: its ten fields, opening or creating it at start, the
// upgrade of an older table through temp.dbf, and the filter on the logged-in employee.
#pragma once

#include "store/dbf_table.h"
#include "store/work_time_fields.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace horavant {

// Message number to text in the current language.
using MessageLookup = std::function<std::u16string(int)>;

namespace worktime {
constexpr const char* kTableName = "arbeitszeit.dbf";
constexpr const char* kScratchName = "temp.dbf";
constexpr const char* kBackupName = "arbeitszeit0.dbf";

struct FieldSchema {
    int message;  // the field's name is this message in the language current at creation
    FieldType type;
    int width;
};

constexpr std::array<FieldSchema, workfield::kCount> kSchema = {{
    {36, FieldType::Character, 10},  // Datum
    {44, FieldType::Character, 45},  // Arbeiter
    {37, FieldType::Character, 45},  // Ort
    {38, FieldType::Character, 45},  // Tätigkeit
    {45, FieldType::Character, 5},  // Zeit von
    {46, FieldType::Character, 5},  // Zeit bis
    {42, FieldType::Character, 100},  // Bemerkungen
    {47, FieldType::Logical, 0},  // Auswaerts
    {35, FieldType::Character, 5},  // Pause
    {48, FieldType::Logical, 0},  // Doppelt
}};
}  // namespace worktime

// Clears the table's definitions and adds the ten, named in the current language. A name that a
// translation leaves without any character falls back to the German one, so the table can
// always be opened again.
void defineWorkTimeFields(DbfTable& table, const MessageLookup& messageText, const MessageLookup& germanText);

// Told of an upgraded table (the file that is to take the old one's place) while the old table is
// still open; throwing stops the upgrade, and the old table stays.
using BeforeUpgrade = std::function<void(const std::filesystem::path& upgraded)>;

// Opens arbeitszeit.dbf in dbf1's folder, creating it when it does not exist and upgrading it
// when it has fewer than ten fields. A file that exists but cannot be opened is never replaced:
// the error is passed on.
void CreateandopenTables(DbfTable& dbf1, DbfTable& dbf2, const MessageLookup& messageText,
                         const MessageLookup& germanText, const BeforeUpgrade& beforeUpgrade = {});

// Copies every live record of the open work-time table into a new ten-field temp.dbf, keeps the
// old file as arbeitszeit0.dbf (unless an older backup has that name) and puts the new table in
// its place; the work-time table is open again afterwards.
void Feldhinzufgen1Click(DbfTable& dbf1, DbfTable& dbf2, const MessageLookup& messageText,
                         const MessageLookup& germanText, const BeforeUpgrade& beforeUpgrade = {});

// True exactly when field 1 of the record equals the employee's name (whole text, case-sensitive).
bool Dbf1FilterRecord(const DbfTable& table, std::u16string_view arbeiter);

}  // namespace horavant
