// The journal's check: the chain, a replay of the entries' digests, the table compared.
#include "journal/journal_check.h"

#include "journal/table_digests.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <span>
#include <tuple>
#include <unordered_map>

namespace horavant::journal {
namespace {

// More than any column the replay reads holds (a number, a digest): a longer column is kept
// only this far, which still tells that it is none.
constexpr std::size_t kKeptColumn = kHexDigestLength + 1;

// A table state in an After column: its record count and where its digests' text starts in
// the file.
struct StateText {
    bool readable = false;
    std::uint64_t records = 0;
    std::uint64_t offset = 0;
};

// One line read in the pieces ForwardLines hands out: its columns kept as far as the replay
// reads them, the chain value it should have computed on the way, and a table state in its
// After column checked without holding it.
class LineScan {
public:
    void start(std::string_view previousChain);
    void add(std::string_view piece, std::uint64_t offset);
    // After the line's last piece: whether it is a whole entry.
    bool finish();

    std::uint64_t number = 0;
    std::optional<std::uint32_t> record;
    std::array<std::string, kColumnCount> columns;
    bool chainFollows = false;  // the chain value is the one computed
    bool isState = false;  // the After column holds a ':'
    StateText state;

private:
    void addToColumn(std::string_view text, std::uint64_t offset);

    Sha256 m_sha;
    std::size_t m_column = 0;
    DigestTextCheck m_digests;
};

void LineScan::start(std::string_view previousChain)
{
    m_sha.start();
    m_sha.add(previousChain);
    m_sha.add("\t");
    m_column = 0;
    for (std::string& column : columns)
        column.clear();
    isState = false;
    state = {};
    m_digests = {};
}

void LineScan::add(std::string_view piece, std::uint64_t offset)
{
    for (;;) {
        const void* tab = std::memchr(piece.data(), '\t', piece.size());
        const std::size_t length = tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - piece.data())
                                       : piece.size();
        // The chain value covers the line up to the tab before it.
        if (m_column < kChain)
            m_sha.add(piece.substr(0, length));
        addToColumn(piece.substr(0, length), offset);
        if (!tab)
            return;
        if (m_column + 1 < kChain)
            m_sha.add("\t");
        ++m_column;
        piece.remove_prefix(length + 1);
        offset += length + 1;
    }
}

void LineScan::addToColumn(std::string_view text, std::uint64_t offset)
{
    if (m_column >= kColumnCount)
        return;
    std::string& column = columns[m_column];
    if (column.size() < kKeptColumn)
        column.append(text.substr(0, kKeptColumn - column.size()));
    if (m_column != kAfter || text.empty())
        return;
    // A state: the record count, ':', the digests.
    if (isState) {
        m_digests.add(text);
        return;
    }
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return;
    isState = true;
    state.offset = offset + colon + 1;
    m_digests.add(text.substr(colon + 1));
}

bool LineScan::finish()
{
    if (m_column != kChain)
        return false;
    const auto parsed = parseNumberColumn(columns[kNumber]);
    if (!parsed || !fromHex(columns[kChain]))
        return false;
    number = *parsed;
    record.reset();
    if (!columns[kRecord].empty()) {
        record = parseRecordColumn(columns[kRecord]);
        if (!record)
            return false;
    }
    chainFollows = toHex(m_sha.finish()) == columns[kChain];
    if (isState) {
        const std::string_view after = columns[kAfter];
        const std::string_view count = after.substr(0, after.find(':'));
        const auto n = count == "0" ? std::optional<std::uint64_t>(0) : parseNumberColumn(count);
        const auto digests = m_digests.digests();
        state.readable = n && digests == n;
        state.records = state.readable ? *n : 0;
    }
    return true;
}

// The digests of a state in the journal file, read and decoded a run at a time in record order,
// or one at a time anywhere.
class StateDigests {
public:
    StateDigests(int fd, const StateText& state) : m_fd(fd), m_state(state) {}
    // The next `count` digests after those read before.
    std::span<const Digest> next(std::size_t count);
    Digest at(std::uint64_t index);

private:
    std::span<const Digest> read(std::uint64_t first, std::size_t count);

    int m_fd;
    StateText m_state;
    std::uint64_t m_next = 0;
    std::string m_text;
    Digests m_digests;
};

std::span<const Digest> StateDigests::read(std::uint64_t first, std::size_t count)
{
    if (count == 0)
        return {};
    m_text.resize(static_cast<std::size_t>(digestTextLength(first, count)));
    m_digests.resize(count);
    if (readFullyAt(m_fd, m_text.data(), m_text.size(), m_state.offset + digestTextOffset(first))
        != static_cast<long long>(m_text.size()))
        throw IoError(formatMessage("Read error: %s.", {std::strerror(errno ? errno : EIO)}));
    decodeDigests(m_text, first, m_digests);
    return m_digests;
}

std::span<const Digest> StateDigests::next(std::size_t count)
{
    const auto digests = read(m_next, count);
    m_next += count;
    return digests;
}

Digest StateDigests::at(std::uint64_t index)
{
    return read(index, 1)[0];
}

// What the journal says of one record since the last table state.
struct Touch {
    std::uint64_t entry = 0;
    bool appended = false;  // the entry added the record
    std::optional<Digest> before;  // the bytes it replaced
};

// Replays the entries' digests from the last table state on. The state's digests stay in the
// file: only the records entries after it touched are kept, and an entry that says what a record
// was before it changed is compared with the state's digest when that is read.
class Replay {
public:
    Replay(int journal, std::uint32_t tableRecords) : m_journal(journal), m_tableRecords(tableRecords) {}
    const std::string& chain() const { return m_chain; }
    void line(const LineScan* scan, std::uint64_t lineNumber);
    // Compares the table's records, hashed a chunk at a time, with what the replay expects;
    // `counted` is what the table's header counts.
    void compare(RecordHasher& hasher, std::uint32_t counted);
    CheckResult take();

private:
    // A finding that stands unless the state's digest of the record is `before`.
    struct Unless {
        std::uint32_t index = 0;
        Digest before {};
        std::size_t finding = 0;
    };

    std::size_t find(Finding::Kind kind, std::uint32_t index, std::uint64_t entry = 0);
    // Records from `from` on are not in the table. Since the program appends after the last
    // record the file holds, only the last of them can be one whose append a crash kept from the
    // table (unless `removed` says the file lost records); the others were removed.
    void forget(std::uint64_t from, bool removed);
    void apply(const LineScan& scan);
    void settle(const Unless& unless, const Digest& stated);
    // A record that is not as expected.
    void differs(std::uint32_t index, const Digest& actual);

    int m_journal;
    std::uint32_t m_tableRecords;
    CheckResult m_result;
    std::string m_chain = kChainStart;
    std::uint64_t m_number = 0;
    StateText m_state;
    std::uint64_t m_size = 0;  // records the journal knows
    std::uint64_t m_fromState = 0;  // records before this not in m_expected have the state's digest
    std::unordered_map<std::uint32_t, Digest> m_expected;
    std::unordered_map<std::uint32_t, Touch> m_touched;
    std::set<std::uint32_t> m_unknown;  // added outside the program, found while replaying
    std::vector<Unless> m_unless;
    std::vector<Finding> m_findings;  // in the order found, with those an Unless took back
    std::vector<bool> m_takenBack;
};

std::size_t Replay::find(Finding::Kind kind, std::uint32_t index, std::uint64_t entry)
{
    m_findings.push_back({kind, index + 1, entry});
    m_takenBack.push_back(false);
    return m_findings.size() - 1;
}

void Replay::settle(const Unless& unless, const Digest& stated)
{
    if (stated == unless.before)
        m_takenBack[unless.finding] = true;
}

void Replay::forget(std::uint64_t from, bool removed)
{
    for (std::uint64_t i = from; i < m_size; ++i) {
        const auto k = static_cast<std::uint32_t>(i);
        const auto touched = m_touched.find(k);
        if (!removed && i + 1 == m_size && touched != m_touched.end() && touched->second.appended)
            find(Finding::Kind::NotExecuted, k, touched->second.entry);
        else if (!m_unknown.contains(k))
            find(Finding::Kind::Removed, k);
        m_touched.erase(k);
        m_unknown.erase(k);
        m_expected.erase(k);
    }
    m_size = std::min(m_size, from);
    m_fromState = std::min(m_fromState, from);
}

void Replay::line(const LineScan* scan, std::uint64_t lineNumber)
{
    if (!scan) {
        m_result.damagedLines.push_back(lineNumber);
        return;
    }
    if (!m_result.brokenAt && (scan->number != m_number + 1 || !scan->chainFollows))
        m_result.brokenAt = scan->number;
    m_number = scan->number;
    m_chain = scan->columns[kChain];
    m_result.last = {m_number, m_chain, false};
    apply(*scan);
}

void Replay::apply(const LineScan& scan)
{
    if (!scan.record) {
        if (!scan.isState)
            return;  // users, settings, backups: no record
        // What was compared with the state before is read from it now. A state that cannot be
        // read: nothing is known of any record from here on.
        StateDigests before(m_journal, m_state);
        for (const Unless& unless : m_unless)
            settle(unless, before.at(unless.index));
        m_unless.clear();
        m_state = scan.state;
        m_size = m_fromState = m_state.records;
        m_expected.clear();
        m_touched.clear();
        m_unknown.clear();
        return;
    }
    const auto digest = fromHex(scan.columns[kAfter]);
    if (!digest || *scan.record == 0)
        return;
    const std::uint32_t k = *scan.record - 1;
    // A record beyond the end of both the journal's table and the file is none the program
    // wrote; the records between would only be guessed at.
    if (k > std::max<std::uint64_t>(m_size, m_tableRecords))
        return;
    const std::string_view beforeText = scan.columns[kBefore];
    if (beforeText.empty()) {
        // The program appends after the last record the file holds: records the journal knows
        // beyond that are gone, records it does not know before it came from elsewhere.
        if (k < m_size)
            forget(k, false);
        for (auto i = static_cast<std::uint32_t>(m_size); i < k; ++i) {
            find(Finding::Kind::Added, i);
            m_unknown.insert(i);
        }
        m_size = std::uint64_t {k} + 1;
        m_expected[k] = *digest;
        m_touched[k] = {scan.number, true, std::nullopt};
        return;
    }
    const auto before = fromHex(beforeText);
    if (k >= m_size) {
        for (auto i = static_cast<std::uint32_t>(m_size); i <= k; ++i) {
            find(Finding::Kind::Added, i);
            m_unknown.insert(i);
        }
        m_size = std::uint64_t {k} + 1;
    } else if (!m_unknown.contains(k) && before) {
        // The record was not as the journal left it: either the journal's last change of it
        // never reached the table, or something else wrote it.
        const auto expected = m_expected.find(k);
        if (expected == m_expected.end()) {
            // As the state left it, which says whether it was changed.
            m_unless.push_back({k, *before, find(Finding::Kind::Changed, k)});
        } else if (*before != expected->second) {
            const auto touched = m_touched.find(k);
            if (touched != m_touched.end() && touched->second.before == before)
                find(Finding::Kind::NotExecuted, k, touched->second.entry);
            else
                find(Finding::Kind::Changed, k);
        }
    }
    m_unknown.erase(k);
    m_expected[k] = *digest;
    m_touched[k] = {scan.number, false, before};
}

void Replay::differs(std::uint32_t index, const Digest& actual)
{
    if (m_unknown.contains(index))
        return;
    const auto touched = m_touched.find(index);
    if (touched != m_touched.end() && touched->second.before == actual)
        find(Finding::Kind::NotExecuted, index, touched->second.entry);
    else
        find(Finding::Kind::Changed, index);
}

void Replay::compare(RecordHasher& hasher, std::uint32_t counted)
{
    const std::uint64_t n = m_tableRecords;
    const std::uint64_t known = std::min(n, m_size);
    std::vector<std::uint32_t> changed;
    changed.reserve(m_expected.size());
    for (const auto& [k, digest] : m_expected)
        changed.push_back(k);
    std::ranges::sort(changed);
    std::ranges::sort(m_unless, {}, &Unless::index);
    // The state is read as far as a record still has its digest from it.
    const std::uint64_t stated = std::max<std::uint64_t>(m_fromState, m_unless.empty() ? 0 : m_unless.back().index + 1);
    StateDigests state(m_journal, m_state);
    auto nextChanged = changed.begin();
    auto nextUnless = m_unless.begin();
    std::uint64_t first = 0;
    const auto settleUntil = [&](std::span<const Digest> digests, std::uint64_t end) {
        for (; nextUnless != m_unless.end() && nextUnless->index < end; ++nextUnless)
            settle(*nextUnless, digests[nextUnless->index - first]);
    };
    for (auto actual = hasher.next(); !actual.empty(); actual = hasher.next()) {
        first = hasher.first();
        const std::uint64_t end = first + actual.size();
        const auto fromState = state.next(static_cast<std::size_t>(std::clamp(stated, first, end) - first));
        settleUntil(fromState, std::min(end, stated));
        for (std::uint64_t k = first; k < std::min(end, known);) {
            while (nextChanged != changed.end() && *nextChanged < k)
                ++nextChanged;
            if (nextChanged != changed.end() && *nextChanged == k) {
                const Digest& a = actual[k - first];
                if (a != m_expected[static_cast<std::uint32_t>(k)])
                    differs(static_cast<std::uint32_t>(k), a);
                ++k;
                continue;
            }
            // A run with the state's digests.
            const std::uint64_t runEnd = std::min(
                {std::min(end, known), nextChanged != changed.end() ? *nextChanged : end, std::max(k, m_fromState)});
            if (runEnd == k) {
                ++k;  // added outside the program
                continue;
            }
            const std::size_t at = static_cast<std::size_t>(k - first);
            const std::size_t length = static_cast<std::size_t>(runEnd - k);
            if (std::memcmp(actual[at].data(), fromState[at].data(), length * sizeof(Digest)) != 0) {
                for (std::size_t i = at; i < at + length; ++i) {
                    if (actual[i] != fromState[i])
                        differs(static_cast<std::uint32_t>(first + i), actual[i]);
                }
            }
            k = runEnd;
        }
        for (std::uint64_t k = std::max(first, known); k < end; ++k)
            find(Finding::Kind::Added, static_cast<std::uint32_t>(k));
    }
    // Records the table no longer holds.
    for (first = std::min(n, stated); first < stated;) {
        const auto count = std::min<std::uint64_t>(RecordHasher::kChunkRecords, stated - first);
        settleUntil(state.next(static_cast<std::size_t>(count)), first + count);
        first += count;
    }
    m_unless.clear();
    // A crash before the append's write leaves the header's count as it was; a file that holds
    // fewer records than its header counts lost them afterwards.
    if (m_size > n)
        forget(n, counted > n);
}

CheckResult Replay::take()
{
    std::set<std::tuple<std::uint32_t, Finding::Kind, std::uint64_t>> found;
    for (std::size_t i = 0; i < m_findings.size(); ++i) {
        const Finding& f = m_findings[i];
        if (!m_takenBack[i] && found.insert({f.record, f.kind, f.entry}).second)
            m_result.findings.push_back(f);
    }
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
    // The records are hashed on the other processors while this one follows the journal's chain;
    // then the table is compared with the last state, read a second time.
    const TableLayout layout = readLayout(table.get());
    RecordHasher hasher(table.get(), layout);
    Replay replay(journal.get(), layout.records);
    ForwardLines lines(journal.get());
    LineScan scan;
    std::string_view piece;
    bool inLine = false;
    for (std::uint64_t number = 1; lines.next(piece);) {
        if (!inLine)
            scan.start(replay.chain());
        scan.add(piece, lines.offset());
        inLine = !lines.ends();
        if (!inLine)
            replay.line(!lines.cut() && scan.finish() ? &scan : nullptr, number++);
    }
    replay.compare(hasher, layout.counted);
    return replay.take();
}

}  // namespace horavant::journal
