// The two tables of the monthly timesheet, sollzeit.dbf (target hours) and abwesend.dbf
// (absences): their fields, and reading and writing their rows by field name, so that a file
// whose fields another dBase program reordered still reads.
#pragma once

#include "store/error.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

struct FixedField {
    std::u16string_view name;
    int width;
};

struct TableSchema {
    const char* fileName;
    std::span<const FixedField> fields;
};

namespace targetfield {
constexpr int kEmployee = 0;
constexpr int kFrom = 1;  // AB
constexpr int kState = 2;
constexpr int kMonday = 3;  // then DI, MI, DO, FR, SA, SO
constexpr int kVacation = 10;
constexpr int kCarried = 11;
constexpr int kCount = 12;
}  // namespace targetfield

namespace absencefield {
constexpr int kEmployee = 0;
constexpr int kFrom = 1;
constexpr int kTo = 2;
constexpr int kKind = 3;
constexpr int kRemarks = 4;
constexpr int kCount = 5;
}  // namespace absencefield

// Character fields all of them, named alike in every language.
inline constexpr std::array<FixedField, targetfield::kCount> kTargetFields = {{
    {u"ARBEITER", 45},
    {u"AB", 10},
    {u"LAND", 2},
    {u"MO", 5},
    {u"DI", 5},
    {u"MI", 5},
    {u"DO", 5},
    {u"FR", 5},
    {u"SA", 5},
    {u"SO", 5},
    {u"URLAUB", 5},
    {u"UEBERTRAG", 7},
}};
inline constexpr std::array<FixedField, absencefield::kCount> kAbsenceFields = {{
    {u"ARBEITER", 45},
    {u"VON", 10},
    {u"BIS", 10},
    {u"ART", 20},
    {u"BEMERKUNG", 100},
}};
inline constexpr TableSchema kTargetTable {"sollzeit.dbf", kTargetFields};
inline constexpr TableSchema kAbsenceTable {"abwesend.dbf", kAbsenceFields};

// A table file that cannot be used. Its text is German and reaches the user through the
// translation lookup as a pattern, whose %s are then filled from the details in order.
class TableFileError : public Error {
public:
    TableFileError(std::string pattern, std::vector<std::string> details);
    const std::string& pattern() const { return m_pattern; }
    const std::vector<std::string>& details() const { return m_details; }

private:
    std::string m_pattern;
    std::vector<std::string> m_details;
};
inline constexpr const char* kTableDamaged = "Die Datei %s kann nicht gelesen werden: %s";
inline constexpr const char* kTableLacksField = "Der Datei %s fehlt das Feld %s.";

// A live row: its record and its texts in the order of the schema's fields.
struct StoredRow {
    std::uint32_t record = 0;
    std::vector<std::u16string> texts;
    bool operator==(const StoredRow&) const = default;
};

// Creates the table without rows in `folder` when no file has its name; an existing file, even a
// damaged one, is left as it is.
void createTableIfMissing(const std::filesystem::path& folder, const TableSchema& schema);

// The live rows in physical order; none when the file does not exist.
std::vector<StoredRow> readTableRows(const std::filesystem::path& folder, const TableSchema& schema);

// Asked with the table's rows as they are while no other copy of the program can append: true
// lets the write go ahead.
using RowsCheck = std::function<bool(const std::vector<StoredRow>& rows)>;

enum class RowWrite {
    Done,
    Refused,  // the check said no
    Gone,  // the row is no longer as it was read: another copy of the program changed it
};

// Appends a row (creating the file when it is missing).
RowWrite appendTableRow(const std::filesystem::path& folder, const TableSchema& schema,
                        const std::vector<std::u16string>& texts, const RowsCheck& check = {});
// Writes `texts` over the row `old`, provided the record still holds old's texts; the check sees
// every row but the one replaced.
RowWrite replaceTableRow(const std::filesystem::path& folder, const TableSchema& schema, const StoredRow& old,
                         const std::vector<std::u16string>& texts, const RowsCheck& check = {});
// Marks the row deleted, provided the record still holds old's texts.
RowWrite deleteTableRow(const std::filesystem::path& folder, const TableSchema& schema, const StoredRow& old);

}  // namespace horavant
