// The CSV files: field encoding, the records' export byte for byte, a report's CSV, and that a
// cancelled or failed export leaves nothing behind.
#include "evaluation/csv.h"

#include "evaluation/report.h"
#include "law/working_time_report.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace horavant {
namespace {

using namespace std::chrono;
using test::Row;

const std::map<int, std::u16string> kMessages = {{6, u"Auswertung"},
                                                 {23, u"Auswertung Mitarbeiter"},
                                                 {24, u"Zeitraum von:"},
                                                 {25, u"bis:"},
                                                 {26, u"Auswärts"},
                                                 {27, u"Auswärtsübernachtungen:"},
                                                 {28, u"Abgezogene Pausenzeit in Stunden:"},
                                                 {29, u"Gesamtstunden:"},
                                                 {35, u"Pause"},
                                                 {36, u"Datum"},
                                                 {37, u"Ort"},
                                                 {38, u"Tätigkeit"},
                                                 {39, u"Von"},
                                                 {40, u"Bis"},
                                                 {41, u"Übernachtung"},
                                                 {42, u"Bemerkungen"},
                                                 {44, u"Arbeiter"},
                                                 {45, u"Zeit von"},
                                                 {46, u"Zeit bis"},
                                                 {47, u"Auswaerts"},
                                                 {48, u"Doppelt"}};

std::u16string german(int number)
{
    return kMessages.at(number);
}

struct FieldCase {
    const char* name;
    std::u16string text;
    CsvKind kind;
    std::string expected;
    friend void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
};

class CsvFieldCases : public testing::TestWithParam<FieldCase> {};

// The same rules whether the text comes from the program (UTF-16) or from the table's bytes.
TEST_P(CsvFieldCases, EncodesQuotesAndGuards)
{
    const FieldCase& c = GetParam();
    std::string out;
    appendCsvField(out, c.text, c.kind);
    EXPECT_EQ(out, c.expected);
    const std::string bytes = cp1252::encode(c.text);
    if (c.kind == CsvKind::Text && cp1252::decode(bytes) == c.text) {
        out.clear();
        appendCsvFieldCp1252(out, bytes);
        EXPECT_EQ(out, c.expected) << "from the stored bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CsvFieldCases,
    testing::Values(FieldCase {"Empty", u"", CsvKind::Text, ""},
                    FieldCase {"Plain", u"Baustelle Nord", CsvKind::Text, "Baustelle Nord"},
                    FieldCase {"Umlauts", u"Müller Ärger ß", CsvKind::Text, "M\xC3\xBCller \xC3\x84rger \xC3\x9F"},
                    FieldCase {"EuroFromTheCodePage", u"5 €", CsvKind::Text, "5 \xE2\x82\xAC"},
                    FieldCase {"Separator", u"a;b", CsvKind::Text, "\"a;b\""},
                    FieldCase {"SeparatorAfterEightBytes", u"Baustelle Nord; Halle 3", CsvKind::Text,
                               "\"Baustelle Nord; Halle 3\""},
                    FieldCase {"QuoteInTheLastWord", u"ABCDEFGHI\"", CsvKind::Text, "\"ABCDEFGHI\"\"\""},
                    FieldCase {"QuotesDoubled", u"sagte \"ja\"", CsvKind::Text, "\"sagte \"\"ja\"\"\""},
                    FieldCase {"LineBreaks", u"eins\r\nzwei\ndrei", CsvKind::Text, "\"eins\r\nzwei\ndrei\""},
                    FieldCase {"LeadingBlank", u" Halle", CsvKind::Text, "\" Halle\""},
                    FieldCase {"TrailingTab", u"Halle\t", CsvKind::Text, "\"Halle\t\""},
                    FieldCase {"Formula", u"=SUMME(A1:A9)", CsvKind::Text, "'=SUMME(A1:A9)"},
                    FieldCase {"Plus", u"+49 171", CsvKind::Text, "'+49 171"},
                    FieldCase {"Minus", u"-5", CsvKind::Text, "'-5"}, FieldCase {"At", u"@cmd", CsvKind::Text, "'@cmd"},
                    FieldCase {"FormulaAfterBlanks", u"  =1+1", CsvKind::Text, "'  =1+1"},
                    FieldCase {"FormulaAfterALineBreak", u"\n=1", CsvKind::Text, "\"'\n=1\""},
                    FieldCase {"GuardedAndQuoted", u"=A1;B1", CsvKind::Text, "\"'=A1;B1\""},
                    FieldCase {"DashInside", u"Nord-Süd", CsvKind::Text,
                               "Nord-S\xC3\xBC"
                               "d"},
                    FieldCase {"NegativeNumber", u"-1,50", CsvKind::Number, "-1,50"},
                    FieldCase {"NumberWithTheSeparator", u"8;5", CsvKind::Number, "\"8;5\""},
                    FieldCase {"BeyondTheCodePage", u"Łódź", CsvKind::Text,
                               "\xC5\x81\xC3\xB3"
                               "d\xC5\xBA"},
                    FieldCase {"SurrogatePair", u"\U0001F600", CsvKind::Text, "\xF0\x9F\x98\x80"},
                    FieldCase {"HalfAPair", std::u16string(1, u'\xD83D') + u"x", CsvKind::Text, "\xEF\xBF\xBDx"}));

TEST(SafeFileName, ReplacesWhatAFileNameCannotHold)
{
    EXPECT_EQ(safeFileName(u"Auswertung Ort/Baustelle 01.03.2012-31.03.2012"),
              u"Auswertung Ort_Baustelle 01.03.2012-31.03.2012");
    EXPECT_EQ(safeFileName(u"a\\b:c*d?e\"f<g>h|i\tj"), u"a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(safeFileName(u"Müller GmbH. "), u"Müller GmbH__");
    EXPECT_EQ(safeFileName(u".versteckt"), u"_versteckt");
    EXPECT_EQ(safeFileName(u""), u"_");
    EXPECT_EQ(safeFileName(std::u16string(300, u'x')).size(), 200u);
}

class CsvExport : public testing::Test {
protected:
    CsvExport()
    {
        test::createWorkTimeTable(table, dir.path());
        test::appendRows(table, {Row {.employee = u"Müller",
                                      .place = u"Baustelle; Nord",
                                      .from = u"07:30",
                                      .to = u"16:15",
                                      .remarks = u"=1+1",
                                      .away = u"True",
                                      .pause = u"00:45"},
                                 Row {.remarks = u"gelöscht"},
                                 Row {.date = u"02.03.2012",
                                      .place = u"Büro",
                                      .activity = u"Rechnung 5 €",
                                      .to = u"",
                                      .remarks = u"sagte \"ja\"",
                                      .away = u"",
                                      .pause = u"",
                                      .doubleBooking = u""},
                                 Row {.date = u"03.03.2012",
                                      .place = u" Halle",
                                      .activity = u"Aufräumen",
                                      .from = u"12:00",
                                      .to = u"11:00",
                                      .pause = u"00:30",
                                      .doubleBooking = u"True"}});
        EXPECT_TRUE(table.gotoRecord(1));
        table.Delete();
        texts = {recordCsvTitles(table, german, u"Stunden"), u"Ja", u"Nein"};
    }

    std::vector<std::string> filesInDir() const
    {
        std::vector<std::string> names;
        for (const auto& f : std::filesystem::directory_iterator(dir.path()))
            names.push_back(f.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    DbfTable table;
    RecordCsvTexts texts;
};

TEST_F(CsvExport, EveryLiveRecordAsTheGridShowsItWithTheHours)
{
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    ExportRecordsCsv(table, dir / "buchungen.csv", texts, Regional::german(),
                     [&](std::uint64_t done, std::uint64_t all) {
                         calls.emplace_back(done, all);
                         return true;
                     });
    EXPECT_EQ(test::readFile(dir / "buchungen.csv"),
              "\xEF\xBB\xBF"
              "Datum;Arbeiter;Ort;T\xC3\xA4tigkeit;Zeit von;Zeit bis;Bemerkungen;Auswaerts;Pause;Doppelt;Stunden\r\n"
              "01.03.2012;M\xC3\xBCller;\"Baustelle; Nord\";Maurern;07:30;16:15;'=1+1;Ja;00:45;Nein;8,00\r\n"
              "02.03.2012;Meier;B\xC3\xBCro;Rechnung 5 \xE2\x82\xAC;08:00;;\"sagte \"\"ja\"\"\";;;;\r\n"
              "03.03.2012;Meier;\" Halle\";Aufr\xC3\xA4umen;12:00;11:00;;Nein;00:30;Ja;0,00\r\n");
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.front(), std::make_pair(std::uint64_t {0}, std::uint64_t {4}));
    EXPECT_EQ(calls.back(), std::make_pair(std::uint64_t {4}, std::uint64_t {4}));

    const Regional english {DateOrder::MonthDayYear, u'/', u':', u'.'};
    ExportRecordsCsv(table, dir / "english.csv", texts, english);
    EXPECT_NE(test::readFile(dir / "english.csv").find(";Ja;00:45;Nein;8.00\r\n"), std::string::npos);
}

TEST_F(CsvExport, ACancelOrAFailureLeavesTheOldFileAndNoTemporaryOne)
{
    test::writeFile(dir / "alt.csv", "alt");
    for (const int cancelAt : {1, 2}) {
        int calls = 0;
        EXPECT_THROW(ExportRecordsCsv(table, dir / "alt.csv", texts, Regional::german(),
                                      [&](std::uint64_t, std::uint64_t) { return ++calls < cancelAt; }),
                     AbortError);
    }
    {
        test::FileSizeLimit limit(100);
        EXPECT_THROW(ExportRecordsCsv(table, dir / "alt.csv", texts, Regional::german()), IoError);
    }
    EXPECT_EQ(test::readFile(dir / "alt.csv"), "alt");
    // A folder in the file's place: the rename fails at the end.
    std::filesystem::create_directory(dir / "ordner.csv");
    EXPECT_THROW(ExportRecordsCsv(table, dir / "ordner.csv", texts, Regional::german()), IoError);
    EXPECT_THROW(ExportRecordsCsv(table, dir / "fehlt" / "x.csv", texts, Regional::german()), IoError);
    EXPECT_EQ(filesInDir(), (std::vector<std::string> {"alt.csv", "arbeitszeit.dbf", "ordner.csv"}));
}

// The export reads each record's bytes in blocks of sixteen; every field must come out as the
// field rules make it from the stored bytes, at every width and wherever the text ends or a byte
// that needs care stands, and the hours as the general readers read them.
TEST(CsvRecordExport, EachFieldAsItsStoredBytesGiveItAtEveryWidth)
{
    test::TempDir dir;
    DbfTable table;
    table.setFolder(dir.path());
    table.setTableName("breit.dbf");
    test::defineWorkTimeFields(table, 8);
    const std::vector<int> widths = {1, 15, 16, 17, 33, 64, 65, 255};
    for (const int width : widths)
        table.addFieldDef(u"F" + std::u16string(1, static_cast<char16_t>(u'A' + table.fieldDefs().size())),
                          FieldType::Character, width);
    table.CreateTable();
    table.Open();

    const std::vector<std::u16string> texts = {u"",
                                               u"x",
                                               u"Baustelle Nord",
                                               u"Müller",
                                               u"5 €",
                                               u"a;b",
                                               u"sagte \"ja\"",
                                               u" vorn",
                                               u"hinten\t",
                                               u"=1+1",
                                               u"-5",
                                               u"  =x",
                                               u"\n=1",
                                               u"eins\r\nzwei",
                                               std::u16string(u"null\0\0", 6),
                                               std::u16string(u"a\0b", 3),
                                               std::u16string(16, u'a'),
                                               std::u16string(15, u'a') + u"ä",
                                               std::u16string(16, u'a') + u"\"",
                                               std::u16string(31, u'b') + u";",
                                               std::u16string(64, u'c') + u"é",
                                               std::u16string(255, u'ÿ')};
    struct Times {
        std::u16string from, to, pause;
    };
    const std::vector<Times> times = {
        {u"07:30", u"16:15", u"00:45"}, {u"7:30", u"16:15", u""},          {u"23:59", u"00:00", u"00:00"},
        {u"24:00", u"08:00", u"00:00"}, {u"12:00:10", u"12:00", u"00:00"}, {u"10:00", u"10:00", u"00:01"},
        {u"", u"08:00", u""},           {u"08:00", u"09:00", u"xx"},       {u"08.00", u"09.30", u"00.15"},
        {u"00:00", u"23:59", u"00:00"}, {u"22:00", u"24:00", u"00:30"},    {u"24:00", u"24:00", u"00:00"}};
    for (std::size_t r = 0; r < texts.size(); ++r) {
        const Times& t = times[r % times.size()];
        std::vector<std::u16string> values = {u"01.03.2012",
                                              texts[r],
                                              texts[(r + 1) % texts.size()],
                                              texts[(r + 2) % texts.size()],
                                              t.from,
                                              t.to,
                                              texts[(r + 3) % texts.size()],
                                              r % 3 == 0 ? u"True" : u"",
                                              t.pause,
                                              r % 3 == 1 ? u"True" : u"False"};
        for (std::size_t f = 0; f < widths.size(); ++f)
            values.push_back(texts[(r + 4 + f) % texts.size()]);
        table.AppendRecord(values);
    }

    const Regional dotted {DateOrder::DayMonthYear, u'.', u'.', u'\u066B'};
    for (const auto& [regional, yes] : {std::pair(Regional::german(), std::u16string(u"Ja")),
                                        std::pair(dotted, std::u16string(u"Ja, auswärts übernachtet"))}) {
        std::string expected;
        for (table.First(); !table.Eof(); table.Next()) {
            for (int i = 0; i < table.fieldCount(); ++i) {
                if (i > 0)
                    expected += ';';
                if (table.field(i).type == FieldType::Logical) {
                    const std::u16string text = table.fieldText(i);
                    appendCsvField(expected, text == u"True" ? yes : text == u"False" ? u"Nein" : u"");
                } else {
                    appendCsvFieldCp1252(expected, table.fieldBytes(i));
                }
            }
            expected += ';';
            if (const auto worked = workedMs(table.fieldText(4), table.fieldText(5), table.fieldText(8), regional))
                appendCsvField(expected, FormatHours(*worked, regional), CsvKind::Number);
            expected += "\r\n";
        }
        ExportRecordsCsv(table, dir / "breit.csv", {recordCsvTitles(table, german, u"Stunden"), yes, u"Nein"},
                         regional);
        const std::string written = test::readFile(dir / "breit.csv");
        EXPECT_EQ(written.substr(written.find("\r\n") + 2), expected);
    }
}

TEST_F(CsvExport, AReportsColumnsRowsHoursAndSummary)
{
    const ReportTable report = BuildEvaluationReport(table, EvaluationLayout::Employee, u"Meier", 2012y / March / 1,
                                                     2012y / March / 31, true, Regional::german(), german, u"Stunden");
    EXPECT_EQ(report.name, u"Auswertung Meier 01.03.2012-31.03.2012");
    WriteReportCsv(report, dir / "auswertung.csv");
    EXPECT_EQ(test::readFile(dir / "auswertung.csv"),
              "\xEF\xBB\xBF"
              "Datum;Ort;T\xC3\xA4tigkeit;Von;Bis;\xC3\x9C"
              "bernachtung;Pause;Bemerkungen;Stunden\r\n"
              "02.03.2012;B\xC3\xBCro;Rechnung 5 \xE2\x82\xAC;08:00;;;;\"sagte \"\"ja\"\"\";\r\n"
              "03.03.2012;\" Halle\";Aufr\xC3\xA4umen;12:00;11:00;;00:30;;0,00\r\n"
              "\r\n"
              "Ausw\xC3\xA4rts\xC3\xBC"
              "bernachtungen:;0\r\n"
              "Abgezogene Pausenzeit in Stunden:;0,00\r\n"
              "Gesamtstunden:;0,00\r\n");
}

// Any report the output window shows is saved the same way: the law check's findings without
// the colon that follows them in the text.
TEST_F(CsvExport, TheWorkingTimeChecksFindings)
{
    test::appendRows(
        table,
        {Row {.date = u"05.03.2012", .employee = u"Schulz", .from = u"06:00", .to = u"17:30", .pause = u"00:45"}});
    const auto from = sys_days(2012y / March / 5), to = sys_days(2012y / March / 5);
    const ReportTable report = BuildWorkingTimeReport(
        CheckWorkingTimeLaw(table, std::u16string_view(u"Schulz"), from, to, Regional::german()), u"Schulz", from, to,
        Regional::german(), [](std::u16string_view t) { return std::u16string(t); });
    EXPECT_EQ(reportLines(report)[3], u"05.03.2012 Schulz Mehr als 10 Stunden (§ 3 ArbZG): 10,75 Std. Arbeitszeit");
    WriteReportCsv(report, dir / "pruefung.csv");
    const std::string csv = test::readFile(dir / "pruefung.csv");
    EXPECT_TRUE(
        csv.starts_with("\xEF\xBB\xBF"
                        "Datum;Mitarbeiter;Befund;Einzelheiten\r\n05.03.2012;"))
        << csv;
    EXPECT_NE(csv.find("05.03.2012;Schulz;Mehr als 10 Stunden (\xC2\xA7 3 ArbZG);10,75 Std. Arbeitszeit\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("\r\n\r\nGepr\xC3\xBC"
                       "fte Tage:;1\r\n"),
              std::string::npos)
        << csv;
}

}  // namespace
}  // namespace horavant
