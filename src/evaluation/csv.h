// CSV files for the spreadsheets of German offices: UTF-8 with a byte-order mark, ";" between
// fields, CRLF line ends, quoting where a field needs it, and no text that can run as a formula.
#pragma once

#include "evaluation/report_table.h"
#include "store/posix_file.h"
#include "store/regional.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

class DbfTable;

enum class CsvKind {
    Text,  // a text that starts like a formula ("=", "+", "-", "@") gets an apostrophe in front
    Number,  // written as it stands
};

// Appends one field in UTF-8, in quotes (with '"' doubled) when it holds ";", '"', a line break,
// or blanks at either end.
void appendCsvField(std::string& out, std::u16string_view text, CsvKind kind = CsvKind::Text);
// The same for a text field's Windows-1252 bytes as the table stores them.
void appendCsvFieldCp1252(std::string& out, std::string_view bytes);

// Told now and then how many records are done of how many; returning false cancels.
using ExportProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// One CSV file, written line by line into a temporary file beside the target, which replaces the
// target only at commit. Without commit nothing is left behind.
class CsvFile {
public:
    // Throws IoError when the file cannot be created in the target's folder.
    explicit CsvFile(std::filesystem::path target);

    void field(std::u16string_view text, CsvKind kind = CsvKind::Text);
    void endLine();
    // Whole lines already encoded, line ends included, written after the lines before them.
    void lines(std::string_view encoded);
    // Throws IoError; the target is then as it was.
    void commit();

private:
    void separate();

    std::filesystem::path m_target;
    AtomicFileWriter m_writer;
    std::string m_buffer;
    bool m_lineStarted = false;
};

// The titles of the records' CSV: the work-time fields' names in the current language (stored
// names for fields beyond the ten), then `hoursTitle`.
std::vector<std::u16string> recordCsvTitles(const DbfTable& table,
                                            const std::function<std::u16string(int)>& messageText,
                                            std::u16string_view hoursTitle);

struct RecordCsvTexts {
    std::vector<std::u16string> titles;  // recordCsvTitles
    std::u16string yes;
    std::u16string no;
};

// Every live record of the open work-time table, in physical order, as the grid shows its fields
// (logical ones as yes/no, empty when blank), then the worked hours with two decimals, empty when
// the row's start or end cannot be read. Holds one block of the file in memory at a time. A
// cancel throws AbortError and leaves the target as it was. Moves the cursor.
void ExportRecordsCsv(DbfTable& table, const std::filesystem::path& target, const RecordCsvTexts& texts,
                      const Regional& regional, const ExportProgress& progress = {});

// The report's columns as titles, its rows, an empty line, and one "label;value" line per summary
// value. Heading lines are not written: the columns are what a spreadsheet sums and filters.
void WriteReportCsv(const ReportTable& report, const std::filesystem::path& target);

// A file name made from a text: characters that a file name cannot hold here or on Windows (path
// separators, < > : " | ? * and control characters) become "_", and so do blanks and dots at the
// end. Never empty.
std::u16string safeFileName(std::u16string_view text);

}  // namespace horavant
