// What a check found, as text for the notice file that waits for the next administrator login,
// and read back from it.
#include "journal/journal_check.h"

#include <charconv>

namespace horavant::journal {

namespace {

constexpr std::string_view kKindNames[] = {"geändert", "hinzugefügt", "entfernt", "nicht ausgeführt"};

std::optional<std::uint64_t> number(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

}  // namespace

std::string serializeResult(const CheckResult& r)
{
    std::string out;
    if (!r.journalFound)
        out += "fehlt\n";
    if (r.brokenAt)
        out += "Kette\t" + std::to_string(*r.brokenAt) + '\n';
    for (const std::uint64_t line : r.damagedLines)
        out += "Zeile\t" + std::to_string(line) + '\n';
    for (const Finding& f : r.findings) {
        out += std::string(kKindNames[static_cast<int>(f.kind)]) + '\t' + std::to_string(f.record);
        if (f.kind == Finding::Kind::NotExecuted)
            out += '\t' + std::to_string(f.entry);
        out += '\n';
    }
    out += "Stand\t" + std::to_string(r.last.number) + '\t' + r.last.chain + '\n';
    return out;
}

std::optional<CheckResult> parseResult(std::string_view text)
{
    CheckResult r;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        std::vector<std::string_view> cells;
        for (std::size_t tab; (tab = line.find('\t')) != std::string_view::npos; line.remove_prefix(tab + 1))
            cells.push_back(line.substr(0, tab));
        cells.push_back(line);
        if (cells[0] == "fehlt" && cells.size() == 1) {
            r.journalFound = false;
            continue;
        }
        if (cells.size() < 2)
            return std::nullopt;
        const auto first = number(cells[1]);
        if (!first)
            return std::nullopt;
        if (cells[0] == "Kette" && cells.size() == 2) {
            r.brokenAt = *first;
        } else if (cells[0] == "Zeile" && cells.size() == 2) {
            r.damagedLines.push_back(*first);
        } else if (cells[0] == "Stand" && cells.size() == 3 && fromHex(cells[2])) {
            r.last = {*first, std::string(cells[2]), false};
        } else {
            const auto kind = std::find(std::begin(kKindNames), std::end(kKindNames), cells[0]);
            const bool notExecuted = kind == std::end(kKindNames) - 1;
            if (kind == std::end(kKindNames) || *first > 0xFFFFFFFFu || cells.size() != (notExecuted ? 3u : 2u))
                return std::nullopt;
            Finding f {static_cast<Finding::Kind>(kind - std::begin(kKindNames)), static_cast<std::uint32_t>(*first)};
            if (notExecuted) {
                const auto entry = number(cells[2]);
                if (!entry)
                    return std::nullopt;
                f.entry = *entry;
            }
            r.findings.push_back(f);
        }
    }
    return r;
}

}  // namespace horavant::journal
