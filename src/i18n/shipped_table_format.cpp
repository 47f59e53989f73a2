// Reading and checking the text of the shipped translations table.
#include "i18n/shipped_table_format.h"

#include <map>
#include <optional>

namespace horavant {
namespace {

constexpr std::string_view kColumnNames[] = {"German", "English", "Spanish"};

// Strict UTF-8 (no overlong forms, no surrogates) to UTF-16; nothing for an invalid sequence.
std::optional<std::u16string> decodeUtf8(std::string_view bytes)
{
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = -1;
        if (lead < 0x80)
            extra = 0;
        else if (lead >= 0xC2 && lead <= 0xDF)
            extra = 1;
        else if ((lead & 0xF0) == 0xE0)
            extra = 2;
        else if (lead >= 0xF0 && lead <= 0xF4)
            extra = 3;
        if (extra < 0 || i + static_cast<std::size_t>(extra) >= bytes.size())
            return std::nullopt;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return std::nullopt;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

class Reader {
public:
    explicit Reader(std::string_view fileName) : m_fileName(fileName) {}

    void fault(int line, std::string_view what)
    {
        m_faults += m_fileName;
        m_faults += ':' + std::to_string(line) + ": " + std::string(what) + '\n';
    }
    bool faulty() const { return !m_faults.empty(); }
    const std::string& faults() const { return m_faults; }

    // A cell with its escapes resolved, or nothing after reporting what is wrong with it.
    std::optional<std::u16string> cell(int line, std::string_view raw, std::string_view column)
    {
        std::string bytes;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            const char c = raw[i];
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                fault(line, "the " + std::string(column) + " text holds a control character; write \\n, \\r or \\t");
                return std::nullopt;
            }
            if (c != '\\') {
                bytes += c;
                continue;
            }
            const char e = ++i < raw.size() ? raw[i] : '\0';
            switch (e) {
            case 'n': bytes += '\n'; break;
            case 'r': bytes += '\r'; break;
            case 't': bytes += '\t'; break;
            case '\\': bytes += '\\'; break;
            default:
                fault(line,
                      "the " + std::string(column) + " text holds a backslash that is not one of \\n, \\r, \\t, \\\\");
                return std::nullopt;
            }
        }
        std::optional<std::u16string> text = decodeUtf8(bytes);
        if (!text)
            fault(line, "the " + std::string(column) + " text is not valid UTF-8");
        return text;
    }

private:
    std::string m_fileName;
    std::string m_faults;
};

std::vector<std::string_view> splitTabs(std::string_view line)
{
    std::vector<std::string_view> cells;
    for (std::size_t start = 0;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return cells;
        start = tab + 1;
    }
}

}  // namespace

std::vector<ShippedTableRow> parseShippedTable(std::string_view text, std::string_view fileName)
{
    Reader reader(fileName);
    std::vector<ShippedTableRow> rows;
    std::map<std::u16string, int> firstLine;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    int number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with('#') || line.find_first_not_of(' ') == std::string_view::npos)
            continue;

        const std::vector<std::string_view> raw = splitTabs(line);
        if (raw.size() != 3) {
            reader.fault(number, "3 tab-separated columns expected (German, English, Spanish), found "
                                     + std::to_string(raw.size()));
            continue;
        }
        ShippedTableRow row {number, {}, {}, {}};
        std::u16string* cells[] = {&row.german, &row.english, &row.spanish};
        bool good = true;
        for (std::size_t c = 0; c < 3; ++c) {
            std::optional<std::u16string> cell = reader.cell(number, raw[c], kColumnNames[c]);
            if (!cell) {
                good = false;
                continue;
            }
            *cells[c] = std::move(*cell);
            const std::string column(kColumnNames[c]);
            if (cells[c]->empty()) {
                reader.fault(number, "the " + column + " text is empty");
                good = false;
            } else if (c == 0 && (row.german.front() == u' ' || row.german.back() == u' ')) {
                reader.fault(number,
                             "the German text has blanks at its start or end; the program looks texts up without "
                             "them");
                good = false;
            } else if (c > 0 && (cells[c]->front() <= u' ' || cells[c]->back() <= u' ')) {
                reader.fault(
                    number,
                    "the " + column + " text starts or ends with a blank or a line break, which the program drops");
                good = false;
            }
        }
        if (!good)
            continue;
        const auto [it, added] = firstLine.emplace(row.german, number);
        if (!added) {
            reader.fault(number, "the German text of line " + std::to_string(it->second) + " comes again");
            continue;
        }
        rows.push_back(std::move(row));
    }
    if (reader.faulty())
        throw ShippedTableError(reader.faults());
    return rows;
}

}  // namespace horavant
