// The line format of protokoll.txt.
#include "journal/journal_line.h"

#include <charconv>
#include <cstring>

namespace horavant::journal {
namespace {

template <class Number>
std::optional<Number> parseNumber(std::string_view text)
{
    Number value {};
    if (text.empty() || text.size() > 20 || text.front() == '0')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

void appendEscaped(std::string& out, std::string_view text)
{
    // A table state is tens of megabytes without anything to escape.
    if (text.find_first_of("\\\t\n\r") == std::string_view::npos) {
        out += text;
        return;
    }
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
}

std::string unescapeField(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: out += text[i]; break;
        }
    }
    return out;
}

void appendUnchained(std::string& line, const Entry& e)
{
    line += std::to_string(e.number);
    for (const std::string* field : {&e.time, &e.computer, &e.who, &e.action}) {
        line += '\t';
        appendEscaped(line, *field);
    }
    line += '\t';
    if (e.record)
        line += std::to_string(*e.record);
    for (const std::string* field : {&e.subject, &e.changes, &e.before, &e.after}) {
        line += '\t';
        appendEscaped(line, *field);
    }
}

std::string chainValue(Sha256& sha, std::string_view previousChain, std::string_view unchained)
{
    std::string head(previousChain);
    head += '\t';
    return toHex(sha(head, unchained));
}

std::optional<LineView> splitLine(std::string_view line)
{
    LineView view;
    std::size_t at = 0;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        const bool last = c + 1 == kColumnCount;
        const void* tab = at <= line.size() ? std::memchr(line.data() + at, '\t', line.size() - at) : nullptr;
        if (last != (tab == nullptr))
            return std::nullopt;
        const std::size_t end = last ? line.size()
                                     : static_cast<std::size_t>(static_cast<const char*>(tab) - line.data());
        view.columns[c] = line.substr(at, end - at);
        if (c + 1 == kChain)
            view.unchained = line.substr(0, end);
        at = end + 1;
    }
    const auto number = parseNumber<std::uint64_t>(view.columns[kNumber]);
    if (!number || !fromHex(view.columns[kChain]))
        return std::nullopt;
    view.number = *number;
    if (!view.columns[kRecord].empty()) {
        view.record = parseNumber<std::uint32_t>(view.columns[kRecord]);
        if (!view.record)
            return std::nullopt;
    }
    return view;
}

std::optional<Entry> parseLine(std::string_view line, bool withDigests)
{
    const auto view = splitLine(line);
    if (!view)
        return std::nullopt;
    const auto& c = view->columns;
    Entry e;
    e.number = view->number;
    e.time = unescapeField(c[kTime]);
    e.computer = unescapeField(c[kComputer]);
    e.who = unescapeField(c[kWho]);
    e.action = unescapeField(c[kAction]);
    e.record = view->record;
    e.subject = unescapeField(c[kSubject]);
    e.changes = unescapeField(c[kChanges]);
    if (withDigests) {
        e.before = std::string(c[kBefore]);
        e.after = std::string(c[kAfter]);
    }
    e.chain = std::string(c[kChain]);
    return e;
}

std::optional<std::uint64_t> parseNumberColumn(std::string_view text)
{
    return parseNumber<std::uint64_t>(text);
}

std::optional<std::uint32_t> parseRecordColumn(std::string_view text)
{
    return parseNumber<std::uint32_t>(text);
}

}  // namespace horavant::journal
