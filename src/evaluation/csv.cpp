// Writing CSV fields, the records' export and a report's CSV.
#include "evaluation/csv.h"

#include "evaluation/report.h"
#include "store/cp1252.h"
#include "store/dbf_table.h"
#include "store/error.h"
#include "store/work_time_table.h"

#include <algorithm>
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
// The file is written in blocks of about this size, small enough to stay in the processor's
// cache until the system copies them; only one block is held at a time.
constexpr std::size_t kBlockBytes = 256 * 1024;
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

}  // namespace

// The UTF-8 form of every Windows-1252 byte, and whether the byte can be copied as it is.
struct Cp1252Utf8 {
    struct Sequence {
        std::array<char, 3> bytes;
        std::uint8_t size;
    };

    Cp1252Utf8()
    {
        for (int b = 0; b < 256; ++b) {
            std::string s;
            appendUtf8(s, cp1252::decodeByte(static_cast<std::uint8_t>(b)));
            Sequence& seq = utf8[static_cast<std::size_t>(b)];
            seq.size = static_cast<std::uint8_t>(s.size());
            std::copy(s.begin(), s.end(), seq.bytes.begin());
            plain[static_cast<std::size_t>(b)] = b < 0x80 && !isSpecial(static_cast<char>(b));
        }
    }
    std::array<Sequence, 256> utf8 {};
    std::array<bool, 256> plain {};
};

static const Cp1252Utf8& cp1252Utf8()
{
    static const Cp1252Utf8 table;
    return table;
}

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Eight bytes that are all ASCII and none of ";", '"', CR or LF.
[[gnu::always_inline]] inline bool plainWord(std::uint64_t w)
{
    // The high bit of a byte of the result is set where that byte of x is zero (x below 0x80).
    const auto zeroBytes = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighBits; };
    return ((w & kHighBits) | zeroBytes(w ^ (kOnes * ';')) | zeroBytes(w ^ (kOnes * '"'))
            | zeroBytes(w ^ (kOnes * '\r')) | zeroBytes(w ^ (kOnes * '\n')))
        == 0;
}

// Whether every byte can be copied as it is: eight at a time, the last eight overlapping.
[[gnu::always_inline]] inline bool allPlain(std::string_view bytes, const std::array<bool, 256>& plain)
{
    const std::size_t n = bytes.size();
    const auto load = [&](std::size_t at) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + at, sizeof w);
        return w;
    };
    if (n < 8) {
        for (const char b : bytes)
            if (!plain[static_cast<std::uint8_t>(b)])
                return false;
        return true;
    }
    for (std::size_t i = 0; i + 8 < n; i += 8)
        if (!plainWord(load(i)))
            return false;
    return plainWord(load(n - 8));
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

// A field's text decoded into a fixed buffer, for the short time fields.
class TimeText {
public:
    void set(std::string_view bytes)
    {
        if (bytes.size() <= m_short.size()) {
            for (std::size_t i = 0; i < bytes.size(); ++i) {
                const auto b = static_cast<std::uint8_t>(bytes[i]);
                m_short[i] = b < 0x80 ? b : cp1252::decodeByte(b);
            }
            m_text = std::u16string_view(m_short.data(), bytes.size());
        } else {
            m_long = cp1252::decode(bytes);
            m_text = m_long;
        }
    }
    std::u16string_view text() const { return m_text; }

private:
    std::array<char16_t, 16> m_short {};
    std::u16string m_long;
    std::u16string_view m_text;
};

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

namespace {

// Texts with letters beyond ASCII (umlauts, "€"), and those that need quotes or a guard.
[[gnu::noinline]] void appendQuotedCp1252(std::string& out, std::string_view bytes, const Cp1252Utf8& table)
{
    const FieldShape shape = shapeOf(bytes, CsvKind::Text);
    // Room for the longest form: every byte three bytes long or doubled, the quotes and the guard.
    const std::size_t start = out.size();
    out.resize(start + 3 * bytes.size() + 3);
    char* p = out.data() + start;
    if (shape.quote)
        *p++ = kQuote;
    if (shape.guard)
        *p++ = kFormulaGuard;
    for (const char c : bytes) {
        const Cp1252Utf8::Sequence& seq = table.utf8[static_cast<std::uint8_t>(c)];
        if (c == kQuote)
            *p++ = kQuote;
        std::memcpy(p, seq.bytes.data(), seq.bytes.size());
        p += seq.size;
    }
    if (shape.quote)
        *p++ = kQuote;
    out.resize(static_cast<std::size_t>(p - out.data()));
}

// Most stored texts are plain ASCII that needs neither quotes nor a guard: copied in one go.
[[gnu::always_inline]] inline void appendCp1252(std::string& out, std::string_view bytes, const Cp1252Utf8& table)
{
    if (bytes.empty())
        return;
    const char first = bytes.front();
    if (allPlain(bytes, table.plain) && !isBlank(first) && !isBlank(bytes.back()) && first != '=' && first != '+'
        && first != '-' && first != '@') {
        out += bytes;
        return;
    }
    appendQuotedCp1252(out, bytes, table);
}

}  // namespace

void appendCsvFieldCp1252(std::string& out, std::string_view bytes)
{
    appendCp1252(out, bytes, cp1252Utf8());
}

CsvFile::CsvFile(std::filesystem::path target)
    : m_target(std::move(target)), m_writer(m_target), m_cp1252(cp1252Utf8())
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
    appendCp1252(m_buffer, bytes, m_cp1252);
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
    // What each field is for the export, decided once.
    enum class Kind : std::uint8_t { Text, Logical, From, To, Break };
    const int fields = table.fieldCount();
    std::vector<Kind> kinds;
    for (int i = 0; i < fields; ++i) {
        if (table.field(i).type == FieldType::Logical)
            kinds.push_back(Kind::Logical);
        else if (i == workfield::kFrom)
            kinds.push_back(Kind::From);
        else if (i == workfield::kTo)
            kinds.push_back(Kind::To);
        else if (i == workfield::kBreak)
            kinds.push_back(Kind::Break);
        else
            kinds.push_back(Kind::Text);
    }
    // The hours come from the texts of the start, end and break fields, widened from the bytes
    // that were just written: they are short, and so read without decoding the fields again.
    const auto has = [&](Kind kind) { return std::find(kinds.begin(), kinds.end(), kind) != kinds.end(); };
    const bool hasTimes = has(Kind::From) && has(Kind::To);
    const bool hasBreak = has(Kind::Break);
    TimeText from, to, pause;
    std::u16string logical;
    std::uint32_t sinceProgress = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        for (int i = 0; i < fields; ++i) {
            const Kind kind = kinds[static_cast<std::size_t>(i)];
            if (kind == Kind::Logical) {
                table.readFieldText(i, logical);
                csv.encodedField(logical == dbf::kTrueText ? std::string_view(yes)
                                 : logical == dbf::kFalseText ? std::string_view(no)
                                                              : std::string_view());
                continue;
            }
            const std::string_view bytes = table.fieldBytes(i);
            csv.fieldCp1252(bytes);
            if (kind == Kind::From)
                from.set(bytes);
            else if (kind == Kind::To)
                to.set(bytes);
            else if (kind == Kind::Break)
                pause.set(bytes);
        }
        std::optional<std::int64_t> worked;
        if (hasTimes)
            worked = workedMs(from.text(), to.text(), hasBreak ? pause.text() : std::u16string_view(), regional);
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
