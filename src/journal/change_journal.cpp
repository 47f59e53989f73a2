// The change journal of the program.
#include "journal/change_journal.h"

#include "journal/table_digests.h"
#include "store/dbf_table.h"
#include "store/posix_file.h"
#include "store/text.h"
#include "store/work_time_fields.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace horavant {

using namespace journal;

namespace {

constexpr const char* kCannotWrite
    = "Das Änderungsprotokoll %s kann nicht geschrieben werden (%s). Die Änderung wurde nicht gespeichert.";

std::string localTimeNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[64];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    std::snprintf(text + n, sizeof text - n, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return text;
}

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

}  // namespace

ChangeJournal::ChangeJournal(std::filesystem::path folder)
    : m_folder(std::move(folder)), m_writer(m_folder / kFileName), m_clock(localTimeNow), m_computer(hostName())
{
}

void ChangeJournal::setActor(std::u16string who)
{
    const std::lock_guard lock(m_actorMutex);
    m_actor = toUtf8(who);
}

std::function<void(const DbfTable&, const TableChange&)> ChangeJournal::hook()
{
    return [this](const DbfTable& t, const TableChange& change) { recordChange(t, change); };
}

void ChangeJournal::attach(DbfTable& table)
{
    table.setChangeHook(hook());
}

ChangeJournal::RecordingScope::RecordingScope(ChangeJournal& journal)
    : m_journal(journal), m_previous(journal.m_appendAction)
{
    journal.m_appendAction = kRecorded;
}

ChangeJournal::RecordingScope::~RecordingScope()
{
    m_journal.m_appendAction = m_previous;
}

Entry ChangeJournal::entry(const char* action) const
{
    Entry e;
    e.time = m_clock();
    e.computer = m_computer;
    {
        const std::lock_guard lock(m_actorMutex);
        e.who = m_actor;
    }
    e.action = action;
    return e;
}

Entry ChangeJournal::stateEntry(const char* action, const std::filesystem::path& tableFile) const
{
    Entry e = entry(action);
    StateColumn state = stateColumn(tableFile);
    e.changes = "Datensätze: " + std::to_string(state.records);
    e.afterText = std::move(state.text);
    return e;
}

void ChangeJournal::writeFailed(const WriteError& error) const
{
    std::string pattern = kCannotWrite;
    if (m_translate) {
        try {
            pattern = toUtf8(m_translate(fromUtf8(kCannotWrite)));
        } catch (const std::exception&) {
            // The disk that refuses the journal may refuse the translations too: German it is.
        }
    }
    throw Error(formatMessage(pattern, {file().string(), std::strerror(error.error())}));
}

void ChangeJournal::writeTo(JournalWriter& writer, std::vector<Entry>& entries)
{
    try {
        writer.append(entries);
    } catch (const WriteError& e) {
        writeFailed(e);
    }
}

void ChangeJournal::write(const DbfTable& table, std::vector<Entry> entries)
{
    const std::lock_guard lock(m_writing);
    try {
        // A journal that has no entry yet (or lost its file) starts with the table as it is now,
        // before the change: every record the journal goes on to describe is then known.
        if (m_writer.tail().number == 0)
            entries.insert(entries.begin(), stateEntry(kStarted, table.path()));
    } catch (const WriteError& e) {
        writeFailed(e);
    }
    if (!entries.empty())
        writeTo(m_writer, entries);
}

void ChangeJournal::recordChange(const DbfTable& table, const TableChange& change)
{
    using Kind = TableChange::Kind;
    if (change.kind == Kind::Edit && std::ranges::equal(change.before, change.after))
        return;
    Entry e = entry(change.kind == Kind::Append ? m_appendAction : change.kind == Kind::Edit ? kChanged : kDeleted);
    e.record = change.record + 1;
    const auto shown = change.kind == Kind::Delete ? change.before : change.after;
    if (table.fieldCount() > workfield::kEmployee) {
        std::u16string employee;
        DbfTable::decodeField(table.field(workfield::kEmployee), shown, employee);
        e.subject = toUtf8(employee);
    }
    e.changes = describeRecordChange(table,
                                     change.kind == Kind::Append ? std::span<const std::uint8_t>() : change.before,
                                     change.kind == Kind::Delete ? std::span<const std::uint8_t>() : change.after);
    Sha256 sha;
    if (!change.before.empty())
        e.before = toHex(sha(change.before));
    e.after = toHex(sha(change.after));
    write(table, {std::move(e)});
}

void ChangeJournal::start(DbfTable& table)
{
    table.withAppendLock(true, [&](int) { write(table, {}); });
}

void ChangeJournal::tableUpgraded(DbfTable& table, const std::filesystem::path& upgraded)
{
    table.withAppendLock(true, [&](int) { write(table, {stateEntry(kUpgraded, upgraded)}); });
}

void ChangeJournal::userDataSaved(DbfTable& table, const UserData& before, const UserData& after)
{
    std::vector<Entry> entries = userDataChanges(before, after);
    if (entries.empty())
        return;
    for (Entry& e : entries) {
        const Entry stamped = entry("");
        e.time = stamped.time;
        e.computer = stamped.computer;
        e.who = stamped.who;
    }
    table.withAppendLock(true, [&](int) { write(table, std::move(entries)); });
}

std::optional<std::string> ChangeJournal::makeBackup(DbfTable& table, backup::BackupKind kind, backup::Moment now)
{
    const auto name = backup::makeBackup(table, kind, now);
    if (!name)
        return name;
    backupMade(table, *name);
    if (kind == backup::BackupKind::Daily)
        checkBackup(*name);
    return name;
}

void ChangeJournal::backupMade(DbfTable& table, const std::string& name)
{
    Entry e = entry(kBackedUp);
    e.changes = "Sicherung: " + quotedText(name);
    table.withAppendLock(true, [&](int) { write(table, {std::move(e)}); });
}

void ChangeJournal::checkBackup(const std::string& name)
{
    const std::filesystem::path folder = m_folder / backup::kFolder / name;
    const CheckResult result = checkJournal(folder / kFileName, folder / backup::kFiles.front());
    if (!result.clean())
        saveFileAtomically(m_folder / kNoticeFile, name + '\n' + serializeResult(result));
}

std::string ChangeJournal::restoreBackup(DbfTable& table, const std::string& name, backup::Moment now,
                                         const backup::Runner& run)
{
    const Tail before = m_writer.tail();
    return backup::restoreBackup(table, name, now, {}, run, [&](const backup::StagedRestore& staged) {
        Entry e = entry(kRestored);
        e.changes = "Sicherung: " + quotedText(name) + "; Stand vorher gesichert in: " + quotedText(staged.saved)
                    + "; Eintrag vorher: " + std::to_string(before.number) + "; Kette vorher: " + before.chain;
        if (staged.journal) {
            JournalWriter restored(*staged.journal);
            if (restored.tail().number > 0) {
                // The backup's journal goes on from where the backup was made.
                std::vector<Entry> entries {std::move(e)};
                const std::lock_guard lock(m_writing);
                writeTo(restored, entries);
                return;
            }
        }
        // Without a journal of its own, the restored table's state goes into this one.
        e.afterText = stateColumn(staged.table).text;
        write(table, {std::move(e)});
    });
}

CheckResult ChangeJournal::check(DbfTable& table)
{
    CheckResult result;
    table.withAppendLock(true, [&](int) { result = checkJournal(file(), table.path()); });
    return result;
}

std::optional<Tail> ChangeJournal::last()
{
    return readTail(file());
}

std::optional<Notice> ChangeJournal::takeNotice()
{
    const std::filesystem::path path = m_folder / kNoticeFile;
    std::optional<std::string> text;
    try {
        text = readWholeFile(path);
    } catch (const IoError&) {
        return std::nullopt;
    }
    if (!text)
        return std::nullopt;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    const std::size_t end = text->find('\n');
    if (end == std::string::npos)
        return std::nullopt;
    auto result = parseResult(std::string_view(*text).substr(end + 1));
    if (!result)
        return std::nullopt;
    return Notice {text->substr(0, end), std::move(*result)};
}

}  // namespace horavant
