// The journal's check: the chain, a replay of the entries' digests, the table compared.
#include "journal/journal_check.h"

#include "journal/table_digests.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <unordered_map>

namespace horavant::journal {
namespace {

// What the journal says of one record since the last table state.
struct Touch {
    std::uint64_t entry = 0;
    bool appended = false;  // the entry added the record
    std::optional<Digest> before;  // the bytes it replaced
};

class Replay {
public:
    explicit Replay(std::uint32_t tableRecords) : m_tableRecords(tableRecords) {}
    void line(std::string_view text, std::uint64_t lineNumber, bool cut);
    // Compares the table's records with what the replay expects; `counted` is what the table's
    // header counts.
    void compare(const Digests& actual, std::uint32_t counted);
    CheckResult take();

private:
    void find(Finding::Kind kind, std::uint32_t index, std::uint64_t entry = 0);
    // Records from `from` on are not in the table. Since the program appends after the last
    // record the file holds, only the last of them can be one whose append a crash kept from the
    // table (unless `removed` says the file lost records); the others were removed.
    void forget(std::uint32_t from, bool removed);
    void apply(const LineView& view);

    std::uint32_t m_tableRecords;
    Sha256 m_sha;
    CheckResult m_result;
    std::string m_chain = kChainStart;
    std::uint64_t m_number = 0;
    Digests m_expected;
    std::unordered_map<std::uint32_t, Touch> m_touched;
    std::set<std::uint32_t> m_unknown;  // added outside the program, found while replaying
    std::set<std::tuple<std::uint32_t, Finding::Kind, std::uint64_t>> m_found;
};

void Replay::find(Finding::Kind kind, std::uint32_t index, std::uint64_t entry)
{
    if (m_found.insert({index + 1, kind, entry}).second)
        m_result.findings.push_back({kind, index + 1, entry});
}

void Replay::forget(std::uint32_t from, bool removed)
{
    for (std::uint32_t k = from; k < m_expected.size(); ++k) {
        const auto touched = m_touched.find(k);
        if (!removed && k + 1 == m_expected.size() && touched != m_touched.end() && touched->second.appended)
            find(Finding::Kind::NotExecuted, k, touched->second.entry);
        else if (!m_unknown.contains(k))
            find(Finding::Kind::Removed, k);
        m_touched.erase(k);
        m_unknown.erase(k);
    }
    m_expected.resize(from);
}

void Replay::line(std::string_view text, std::uint64_t lineNumber, bool cut)
{
    const auto view = cut ? std::nullopt : splitLine(text);
    if (!view) {
        m_result.damagedLines.push_back(lineNumber);
        return;
    }
    if (!m_result.brokenAt
        && (view->number != m_number + 1 || chainValue(m_sha, m_chain, view->unchained) != view->columns[kChain]))
        m_result.brokenAt = view->number;
    m_number = view->number;
    m_chain = std::string(view->columns[kChain]);
    m_result.last = {m_number, m_chain, false};
    apply(*view);
}

void Replay::apply(const LineView& view)
{
    const std::string_view after = view.columns[kAfter];
    if (!view.record) {
        if (!isState(after))
            return;  // users, settings, backups: no record
        auto state = parseState(after);
        if (!state) {
            // A state that cannot be read: nothing is known of any record from here on.
            state.emplace();
        }
        m_expected = std::move(*state);
        m_touched.clear();
        m_unknown.clear();
        return;
    }
    const auto digest = fromHex(after);
    if (!digest || *view.record == 0)
        return;
    const std::uint32_t k = *view.record - 1;
    // A record beyond the end of both the journal's table and the file is none the program
    // wrote; the records between would only be guessed at.
    if (k > std::max<std::size_t>(m_expected.size(), m_tableRecords))
        return;
    const std::string_view beforeText = view.columns[kBefore];
    if (beforeText.empty()) {
        // The program appends after the last record the file holds: records the journal knows
        // beyond that are gone, records it does not know before it came from elsewhere.
        if (k < m_expected.size())
            forget(k, false);
        for (auto i = static_cast<std::uint32_t>(m_expected.size()); i < k; ++i) {
            find(Finding::Kind::Added, i);
            m_unknown.insert(i);
            m_expected.push_back({});
        }
        m_expected.push_back(*digest);
        m_touched[k] = {view.number, true, std::nullopt};
        return;
    }
    const auto before = fromHex(beforeText);
    if (k >= m_expected.size()) {
        for (auto i = static_cast<std::uint32_t>(m_expected.size()); i <= k; ++i) {
            find(Finding::Kind::Added, i);
            m_unknown.insert(i);
            m_expected.push_back({});
        }
    } else if (!m_unknown.contains(k) && before && *before != m_expected[k]) {
        // The record was not as the journal left it: either the journal's last change of it
        // never reached the table, or something else wrote it.
        const auto touched = m_touched.find(k);
        if (touched != m_touched.end() && touched->second.before == before)
            find(Finding::Kind::NotExecuted, k, touched->second.entry);
        else
            find(Finding::Kind::Changed, k);
    }
    m_unknown.erase(k);
    m_expected[k] = *digest;
    m_touched[k] = {view.number, false, before};
}

void Replay::compare(const Digests& actual, std::uint32_t counted)
{
    const auto n = static_cast<std::uint32_t>(actual.size());
    const auto known = static_cast<std::uint32_t>(std::min<std::size_t>(n, m_expected.size()));
    for (std::uint32_t k = 0; k < known; ++k) {
        if (actual[k] == m_expected[k] || m_unknown.contains(k))
            continue;
        const auto touched = m_touched.find(k);
        if (touched != m_touched.end() && touched->second.before == actual[k])
            find(Finding::Kind::NotExecuted, k, touched->second.entry);
        else
            find(Finding::Kind::Changed, k);
    }
    for (std::uint32_t k = known; k < n; ++k)
        find(Finding::Kind::Added, k);
    // A crash before the append's write leaves the header's count as it was; a file that holds
    // fewer records than its header counts lost them afterwards.
    if (m_expected.size() > n)
        forget(n, counted > n);
}

CheckResult Replay::take()
{
    std::stable_sort(m_result.findings.begin(), m_result.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.record < b.record; });
    return std::move(m_result);
}

}  // namespace

CheckResult checkJournal(const std::filesystem::path& journalFile, const std::filesystem::path& tableFile)
{
    UniqueFd journal(::open(journalFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (!journal) {
        if (errno != ENOENT)
            throw IoError(formatMessage("Cannot open file \"%s\": %s.", {journalFile.string(), std::strerror(errno)}));
        CheckResult missing;
        missing.journalFound = false;
        return missing;
    }
    UniqueFd table(::open(tableFile.c_str(), O_RDONLY | O_CLOEXEC));
    if (!table)
        throw IoError(formatMessage("Cannot open file \"%s\": %s.", {tableFile.string(), std::strerror(errno)}));
    // The records are hashed on the other processors while this one reads the journal.
    const TableLayout layout = readLayout(table.get());
    RecordHasher hasher(table.get(), layout);
    Replay replay(layout.records);
    ForwardLines lines(journal.get());
    std::string_view text;
    for (std::uint64_t number = 1; lines.next(text); ++number)
        replay.line(text, number, lines.cut());
    replay.compare(hasher.digests(), layout.counted);
    return replay.take();
}

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
