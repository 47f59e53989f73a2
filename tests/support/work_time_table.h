// Work-time tables for tests: the ten fields with their German names, and rows given by field.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace horavant {
class DbfTable;
}

namespace horavant::test {

// A wider `timeWidth` for the two time fields makes room for seconds, which the program's own
// table cannot hold.
void defineWorkTimeFields(DbfTable& table, int timeWidth = 5);

// Creates arbeitszeit.dbf in `folder` with the ten fields and opens it.
void createWorkTimeTable(DbfTable& table, const std::filesystem::path& folder);

// The ten texts of one row, as a user could have typed them into the grid.
struct Row {
    std::u16string date = u"01.03.2012";
    std::u16string employee = u"Meier";
    std::u16string place = u"Bau";
    std::u16string activity = u"Maurern";
    std::u16string from = u"08:00";
    std::u16string to = u"12:00";
    std::u16string remarks {};
    std::u16string away = u"False";
    std::u16string pause = u"00:00";
    std::u16string doubleBooking = u"False";

    std::vector<std::u16string> texts() const;
};

void appendRows(DbfTable& table, const std::vector<Row>& rows);

}  // namespace horavant::test
