// Writing CSV fields, a CSV file and a report's CSV.
#include "evaluation/csv.h"

#include "evaluation/csv_internal.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "store/text.h"
#include "store/work_time_table.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace horavant {

using namespace csv;

Cp1252Utf8::Cp1252Utf8()
{
    for (int b = 0; b < 256; ++b) {
        std::string s;
        appendUtf8(s, cp1252::decodeByte(static_cast<std::uint8_t>(b)));
        Sequence& seq = utf8[static_cast<std::size_t>(b)];
        seq.size = static_cast<std::uint8_t>(s.size());
        std::copy(s.begin(), s.end(), seq.bytes.begin());
    }
}

const Cp1252Utf8& csv::cp1252Utf8()
{
    static const Cp1252Utf8 table;
    return table;
}

namespace {

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
    // Numbers and other plain ASCII texts are narrowed as they are.
    if (!text.empty() && !isBlank(text.front()) && !isBlank(text.back())
        && (kind == CsvKind::Number || !looksLikeFormula(text))
        && std::all_of(text.begin(), text.end(), [](char16_t u) { return u < 0x80 && !isSpecial(u); })) {
        for (const char16_t u : text)
            out += static_cast<char>(u);
        return;
    }
    const FieldShape shape = shapeOf(text, kind);
    appendShaped(out, shape, [&] {
        for (std::size_t i = 0; i < text.size();) {
            const char32_t c = nextCodePoint(text, i);
            if (c == static_cast<char32_t>(kQuote))
                out += kQuote;
            appendUtf8(out, c);
        }
    });
}

void appendCsvFieldCp1252(std::string& out, std::string_view bytes)
{
    const Cp1252Utf8& table = cp1252Utf8();
    appendShaped(out, shapeOf(bytes, CsvKind::Text), [&] {
        for (const char c : bytes) {
            if (c == kQuote)
                out += kQuote;
            const Cp1252Utf8::Sequence& seq = table.utf8[static_cast<std::uint8_t>(c)];
            out.append(seq.bytes.data(), seq.size);
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

void CsvFile::lines(std::string_view encoded)
{
    if (!m_buffer.empty()) {
        m_writer.write(m_buffer);
        m_buffer.clear();
    }
    m_writer.write(encoded);
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
