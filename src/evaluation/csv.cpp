// Writing CSV fields, the records' export and a report's CSV.
#include "evaluation/csv.h"

#include "evaluation/report.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "store/work_time_table.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace horavant {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kSeparator = ';';
constexpr char kQuote = '"';
constexpr char kFormulaGuard = '\'';
// The file is written in blocks of about this size; only one block is held at a time.
constexpr std::size_t kBlockBytes = 1 << 20;
// Records between two calls of the progress callback.
constexpr std::uint32_t kProgressStep = 4096;

template <class Unit>
constexpr bool isBlank(Unit u)
{
    return u == ' ' || u == '\t';
}

template <class Unit>
constexpr bool isSpecial(Unit u)
{
    return u == kSeparator || u == kQuote || u == '\r' || u == '\n';
}

// A spreadsheet runs a cell as a formula when its text starts with one of these, also after
// blanks or line breaks that it may drop.
template <class Unit>
bool looksLikeFormula(std::basic_string_view<Unit> text)
{
    for (const Unit u : text) {
        if (isBlank(u) || u == '\r' || u == '\n')
            continue;
        return u == '=' || u == '+' || u == '-' || u == '@';
    }
    return false;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The UTF-8 form of every Windows-1252 byte, and whether the byte can be copied as it is.
struct Cp1252Utf8 {
    Cp1252Utf8()
    {
        for (int b = 0; b < 256; ++b) {
            std::string s;
            appendUtf8(s, cp1252::decodeByte(static_cast<std::uint8_t>(b)));
            utf8[static_cast<std::size_t>(b)] = s;
            plain[static_cast<std::size_t>(b)] = b < 0x80 && !isSpecial(static_cast<char>(b));
        }
    }
    std::array<std::string, 256> utf8;
    std::array<bool, 256> plain {};
};

const Cp1252Utf8& cp1252Utf8()
{
    static const Cp1252Utf8 table;
    return table;
}

struct FieldShape {
    bool guard;
    bool quote;
};

template <class Unit>
FieldShape shapeOf(std::basic_string_view<Unit> text, CsvKind kind)
{
    const bool guard = kind == CsvKind::Text && looksLikeFormula(text);
    bool quote = false;
    if (!text.empty())
        quote = (!guard && isBlank(text.front())) || isBlank(text.back());
    for (std::size_t i = 0; !quote && i < text.size(); ++i)
        quote = isSpecial(text[i]);
    return {guard, quote};
}

template <class Emit>
void appendShaped(std::string& out, FieldShape shape, Emit emit)
{
    if (shape.quote)
        out += kQuote;
    if (shape.guard)
        out += kFormulaGuard;
    emit();
    if (shape.quote)
        out += kQuote;
}

}  // namespace

void appendCsvField(std::string& out, std::u16string_view text, CsvKind kind)
{
    const FieldShape shape = shapeOf(text, kind);
    appendShaped(out, shape, [&] {
        for (std::size_t i = 0; i < text.size(); ++i) {
            char32_t c = text[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xFFFD;  // half of a pair
            }
            if (c == static_cast<char32_t>(kQuote))
                out += kQuote;
            appendUtf8(out, c);
        }
    });
}

void appendCsvFieldCp1252(std::string& out, std::string_view bytes)
{
    const Cp1252Utf8& table = cp1252Utf8();
    // Most stored texts are plain ASCII that needs neither quotes nor a guard: copied in one go.
    std::size_t plainEnd = 0;
    while (plainEnd < bytes.size() && table.plain[static_cast<std::uint8_t>(bytes[plainEnd])])
        ++plainEnd;
    if (plainEnd == bytes.size() && (bytes.empty() || (!isBlank(bytes.front()) && !isBlank(bytes.back())))
        && !looksLikeFormula(bytes)) {
        out += bytes;
        return;
    }
    const FieldShape shape = shapeOf(bytes, CsvKind::Text);
    appendShaped(out, shape, [&] {
        out.append(bytes.substr(0, plainEnd));
        for (std::size_t i = plainEnd; i < bytes.size(); ++i) {
            const auto b = static_cast<std::uint8_t>(bytes[i]);
            if (b == static_cast<std::uint8_t>(kQuote))
                out += kQuote;
            out += table.utf8[b];
        }
    });
}

CsvFile::CsvFile(std::filesystem::path target) : m_target(std::move(target)), m_writer(m_target)
{
    if (!m_writer.open()) {
        const std::string reason = std::strerror(errno);
        throw IoError(formatMessage("Cannot create file \"%s\": %s.", {m_target.string(), reason}));
    }
    m_buffer.reserve(kBlockBytes + 64 * 1024);
    m_buffer += kByteOrderMark;
}

void CsvFile::separate()
{
    if (m_lineStarted)
        m_buffer += kSeparator;
    m_lineStarted = true;
}

void CsvFile::field(std::u16string_view text, CsvKind kind)
{
    separate();
    appendCsvField(m_buffer, text, kind);
}

void CsvFile::fieldCp1252(std::string_view bytes)
{
    separate();
    appendCsvFieldCp1252(m_buffer, bytes);
}

void CsvFile::encodedField(std::string_view encoded)
{
    separate();
    m_buffer += encoded;
}

void CsvFile::endLine()
{
    m_buffer += kLineEnd;
    m_lineStarted = false;
    if (m_buffer.size() >= kBlockBytes) {
        m_writer.write(m_buffer);
        m_buffer.clear();
    }
}

void CsvFile::commit()
{
    m_writer.write(m_buffer);
    m_buffer.clear();
    m_writer.commit();
}

std::vector<std::u16string> recordCsvTitles(const DbfTable& table,
                                            const std::function<std::u16string(int)>& messageText,
                                            std::u16string_view hoursTitle)
{
    std::vector<std::u16string> titles;
    for (int i = 0; i < table.fieldCount(); ++i) {
        if (i < workfield::kCount)
            titles.push_back(messageText(worktime::kSchema[static_cast<std::size_t>(i)].message));
        else
            titles.push_back(table.field(i).name);
    }
    titles.emplace_back(hoursTitle);
    return titles;
}

void ExportRecordsCsv(DbfTable& table, const std::filesystem::path& target, const RecordCsvTexts& texts,
                      const Regional& regional, const ExportProgress& progress)
{
    const std::uint64_t total = table.physicalCount();
    const auto goOn = [&](std::uint64_t done) {
        if (progress && !progress(done, total))
            throw AbortError();
    };
    goOn(0);
    CsvFile csv(target);
    for (const auto& title : texts.titles)
        csv.field(title);
    csv.endLine();

    std::string yes, no;
    appendCsvField(yes, texts.yes);
    appendCsvField(no, texts.no);
    const int fields = table.fieldCount();
    const bool hasTimes = fields > workfield::kTo;
    const bool hasBreak = fields > workfield::kBreak;
    std::u16string logical, from, to, pause;
    std::uint32_t sinceProgress = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        for (int i = 0; i < fields; ++i) {
            if (table.field(i).type == FieldType::Logical) {
                table.readFieldText(i, logical);
                csv.encodedField(logical == dbf::kTrueText ? std::string_view(yes)
                                 : logical == dbf::kFalseText ? std::string_view(no)
                                                              : std::string_view());
            } else {
                csv.fieldCp1252(table.fieldBytes(i));
            }
        }
        std::optional<std::int64_t> worked;
        if (hasTimes) {
            table.readFieldText(workfield::kFrom, from);
            table.readFieldText(workfield::kTo, to);
            if (hasBreak)
                table.readFieldText(workfield::kBreak, pause);
            worked = workedMs(from, to, pause, regional);
        }
        csv.field(worked ? FormatHours(*worked, regional) : std::u16string(), CsvKind::Number);
        csv.endLine();
        if (++sinceProgress == kProgressStep) {
            sinceProgress = 0;
            goOn(table.recNo() + 1ull);
        }
    }
    goOn(total);
    csv.commit();
}

void WriteReportCsv(const ReportTable& report, const std::filesystem::path& target)
{
    CsvFile csv(target);
    for (const auto& column : report.columns)
        csv.field(column.title);
    csv.endLine();
    for (const auto& row : report.rows) {
        for (std::size_t c = 0; c < report.columns.size(); ++c)
            csv.field(c < row.size() ? std::u16string_view(row[c]) : std::u16string_view(),
                      report.columns[c].number ? CsvKind::Number : CsvKind::Text);
        csv.endLine();
    }
    if (!report.summary.empty()) {
        csv.endLine();
        for (const auto& s : report.summary) {
            csv.field(s.label);
            csv.field(s.value, s.number ? CsvKind::Number : CsvKind::Text);
            csv.endLine();
        }
    }
    csv.commit();
}

std::u16string safeFileName(std::u16string_view text)
{
    // Long enough for any report's name, short enough for every file system.
    constexpr std::size_t kMaxUnits = 200;
    std::u16string name(text.substr(0, kMaxUnits));
    for (char16_t& c : name) {
        if (c < 0x20 || c == 0x7F || std::u16string_view(u"/\\<>:\"|?*").find(c) != std::u16string_view::npos)
            c = u'_';
    }
    // Windows drops blanks and dots at the end of a name; a dot in front hides the file here.
    for (auto it = name.rbegin(); it != name.rend() && (*it == u' ' || *it == u'.'); ++it)
        *it = u'_';
    if (!name.empty() && name.front() == u'.')
        name.front() = u'_';
    if (name.empty())
        name.push_back(u'_');
    return name;
}

}  // namespace horavant
