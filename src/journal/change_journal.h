// The change journal as the program keeps it: every change of a work-time record, every restore,
// upgrade and backup, and every change of the users and the administrator's settings, each entry
// on disk before the change it describes; its check; and what a check of the day's backup found.
#pragma once

#include "journal/journal_check.h"
#include "journal/journal_file.h"
#include "store/backup.h"
#include "store/user_model.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace horavant {

class DbfTable;
struct TableChange;

namespace journal {

// The entries (without number, time, computer and who) that tell how the users and settings went
// from `before` to `after`. Passwords are never written, only that they changed.
std::vector<Entry> userDataChanges(const UserData& before, const UserData& after);

// "NAME: "old" → "new"" for each field of a record that differs; for a record added or deleted
// (no `before` or no `after`) the fields that are not empty, "NAME: "value"".
std::string describeRecordChange(const DbfTable& table, std::span<const std::uint8_t> before,
                                 std::span<const std::uint8_t> after);

// A text in double quotes, a quote inside written twice.
std::string quotedText(std::string_view text);

// Where the result of the day's backup's check waits for the next administrator login.
inline constexpr const char* kNoticeFile = "protokoll-hinweis.txt";
struct Notice {
    std::string backup;
    CheckResult result;
};

}  // namespace journal

class ChangeJournal {
public:
    // A text in the current language; the messages the journal raises go through it.
    using Translate = std::function<std::u16string(std::u16string_view)>;
    // The local time with its UTC offset, as the file writes it.
    using Clock = std::function<std::string()>;

    explicit ChangeJournal(std::filesystem::path folder);

    std::filesystem::path file() const { return m_folder / journal::kFileName; }
    void setTranslator(Translate translate) { m_translate = std::move(translate); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setComputer(std::string name) { m_computer = std::move(name); }
    // The employee's name, journal::kAdministrator or journal::kProgram.
    void setActor(std::u16string who);

    // Every change of the table's records is journaled before it is written.
    void attach(DbfTable& table);
    // What attach installs, for a caller that wraps it.
    std::function<void(const DbfTable&, const TableChange&)> hook();

    // While it lives, records appended are journaled as periods recorded.
    class RecordingScope {
    public:
        explicit RecordingScope(ChangeJournal& journal);
        ~RecordingScope();
        RecordingScope(const RecordingScope&) = delete;
        RecordingScope& operator=(const RecordingScope&) = delete;

    private:
        ChangeJournal& m_journal;
        const char* m_previous;
    };

    // A journal without an entry gets the open table's state as its start.
    void start(DbfTable& table);
    // The upgraded table about to replace the open one.
    void tableUpgraded(DbfTable& table, const std::filesystem::path& upgraded);
    // Users or settings changed; nothing is written when nothing changed.
    void userDataSaved(DbfTable& table, const UserData& before, const UserData& after);
    // Makes a backup and journals it; the day's backup is checked as well, and what it finds
    // waits for the next administrator login.
    std::optional<std::string> makeBackup(DbfTable& table, backup::BackupKind kind, backup::Moment now);
    // Journals a backup made beside the windows.
    void backupMade(DbfTable& table, const std::string& name);
    // Checks the journal and the table of a backup against each other; what it finds waits for the
    // next administrator login. Reads only the backup's files, on any thread.
    void checkBackup(const std::string& name);
    // Restores a backup with its journal (or, when the backup has none, notes the restored
    // table's state in the current one) and journals the restore before the files change. The
    // copying goes through `run`, as backup::restoreBackup's.
    std::string restoreBackup(DbfTable& table, const std::string& name, backup::Moment now,
                              const backup::Runner& run = {});

    // Checks the journal and the table while no copy of the program writes.
    journal::CheckResult check(DbfTable& table);
    // The last whole entry, for the foot of a report; nothing without a journal.
    std::optional<journal::Tail> last();
    // What the last check of a day's backup found, if it found something; told once.
    std::optional<journal::Notice> takeNotice();

private:
    void recordChange(const DbfTable& table, const TableChange& change);
    journal::Entry entry(const char* action) const;
    journal::Entry stateEntry(const char* action, const std::filesystem::path& tableFile) const;
    // Appends while the caller holds the table's append lock; a journal without an entry first
    // gets the table's state. Throws Error in the current language.
    void write(const DbfTable& table, std::vector<journal::Entry> entries);
    void writeTo(journal::JournalWriter& writer, std::vector<journal::Entry>& entries);
    [[noreturn]] void writeFailed(const journal::WriteError& error) const;

    std::filesystem::path m_folder;
    journal::JournalWriter m_writer;
    std::mutex m_writing;
    mutable std::mutex m_actorMutex;  // a backup on another thread may journal while a login changes it
    Translate m_translate;
    Clock m_clock;
    std::string m_computer;
    std::string m_actor = journal::kProgram;
    const char* m_appendAction = journal::kInserted;
};

}  // namespace horavant
