// The change journal: an entry for every action, the chain that breaks where a line changed, and
// the check that finds records changed behind the program's back, entries a crash left undone,
// lines a crash cut short, and two processes appending.
#include "journal/change_journal.h"
#include "store/dbf_table.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant::journal {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Kind = Finding::Kind;

struct Crash {};

class JournalTest : public testing::Test {
protected:
    JournalTest()
    {
        test::createWorkTimeTable(table, dir.path());
        test::appendRows(table, {{}, {.employee = u"Schulz"}});
        journal.setClock([] { return std::string("2024-05-03T10:00:00+02:00"); });
        journal.setComputer("PC1");
        journal.attach(table);
        journal.start(table);
    }

    std::vector<Entry> entries() const
    {
        std::vector<Entry> all;
        std::istringstream lines(readFile(journal.file()));
        for (std::string line; std::getline(lines, line);)
            all.push_back(parseLine(line).value());
        return all;
    }
    // Writes bytes into the table file as another program would.
    void poke(std::uint64_t offset, const std::string& bytes)
    {
        UniqueFd fd(::open(table.path().c_str(), O_WRONLY));
        ASSERT_TRUE(writeFullyAt(fd.get(), bytes.data(), bytes.size(), offset));
    }
    std::uint64_t recordOffset(std::uint32_t record) const { return 353 + 263ull * record; }
    CheckResult check() { return journal.check(table); }

    test::TempDir dir;
    DbfTable table;
    ChangeJournal journal {dir.path()};
};

TEST_F(JournalTest, EachActionWritesItsEntryBeforeTheChangeAndTheCheckFindsNothingAfterThem)
{
    const UserRecord meier {u"Meier", u"meier", u"geheim"};
    UserData users {{meier}, {}};
    const auto saveUsers = [&](const std::function<void(UserData&)>& change) {
        UserData after = users;
        change(after);
        journal.userDataSaved(table, users, after);
        users = after;
    };
    std::string backupName;
    struct Step {
        std::string action;
        std::function<void()> run;
        std::optional<std::uint32_t> record;
        std::string changes;
        std::uint64_t number = 0;  // where a restore takes the journal back to its backup's
    };
    const std::vector<Step> steps = {
        {kRecorded,
         [&] {
             ChangeJournal::RecordingScope recording(journal);
             test::appendRows(table, {{.place = u"Halle \"Nord\""}});
         },
         3, R"(DATUM: "01.03.2012"; ARBEITER: "Meier"; ORT: "Halle ""Nord"""; TÄTIGKEIT: "Maurern")"},
        {kInserted,
         [&] {
             table.Append();
             table.setFieldText(1, u"Schulz");
             table.Post();
         },
         4, R"(ARBEITER: "Schulz")"},
        {kChanged,
         [&] {
             table.gotoRecord(0);
             table.Edit();
             table.setFieldText(2, u"Keller\tTor");
             table.setFieldText(5, u"13:00");
             table.Post();
         },
         1, R"(ORT: "Bau" → "Keller	Tor"; ZEIT BIS: "12:00" → "13:00")"},
        {kDeleted,
         [&] {
             table.gotoRecord(1);
             table.Delete();
         },
         2, R"(DATUM: "01.03.2012"; ARBEITER: "Schulz"; ORT: "Bau")"},
        {kUserAdded, [&] { saveUsers([](UserData& d) {
                               d.users.push_back({u"Schulz", u"schulz", u"x"});
                           }); },
         std::nullopt, R"(Mitarbeiter: "Schulz"; Benutzername: "schulz")"},
        {kUserRenamed, [&] { saveUsers([](UserData& d) { d.users[0].EmployeeName = u"Meier-Kurz"; }); }, std::nullopt,
         R"(Mitarbeiter: "Meier" → "Meier-Kurz")"},
        {kPasswordChanged, [&] { saveUsers([](UserData& d) { d.users[1].Password = u"neu"; }); }, std::nullopt,
         "Passwort: geändert"},
        {kUserRemoved, [&] { saveUsers([](UserData& d) { d.users.erase(d.users.begin()); }); }, std::nullopt,
         R"(Mitarbeiter: "Meier-Kurz"; Benutzername: "meier")"},
        {kAdminPasswordChanged, [&] { saveUsers([](UserData& d) { d.settings.AdminPassword = u"a"; }); }, std::nullopt,
         "Administratorpasswort: festgelegt"},
        {kSettingsChanged, [&] { saveUsers([](UserData& d) { d.settings.EmployeesMayEdit = true; }); }, std::nullopt,
         R"(Mitarbeiter können Ihre Daten nachträglich bearbeiten: "Nein" → "Ja")"},
        {kBackedUp,
         [&] { backupName = journal.makeBackup(table, backup::BackupKind::Manual, backup::localNow()).value(); },
         std::nullopt, "Sicherung: \"" + std::string("<backup>") + "\""},
        {kUpgraded, [&] { journal.tableUpgraded(table, table.path()); }, std::nullopt, "Datensätze: 4"},
        {kRestored,
         [&] {
             journal.restoreBackup(table, backupName, backup::localNow());
             table.Open();
         },
         std::nullopt, "Sicherung: \"<backup>\"; Stand vorher gesichert in: ", 12},
    };
    std::uint64_t number = entries().size();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        const std::size_t before = table.physicalCount();
        step.run();
        const Entry last = entries().back();
        EXPECT_EQ(last.action, step.action);
        number = step.number ? step.number : number + 1;
        EXPECT_EQ(last.number, number);
        EXPECT_EQ(last.record, step.record);
        std::string changes = step.changes;
        if (const auto at = changes.find("<backup>"); at != std::string::npos)
            changes.replace(at, 8, backupName);
        EXPECT_THAT(last.changes, testing::StartsWith(changes));
        EXPECT_EQ(last.computer, "PC1");
        EXPECT_EQ(last.time, "2024-05-03T10:00:00+02:00");
        if (step.record) {
            EXPECT_GE(table.physicalCount(), before);
        }
        EXPECT_TRUE(check().clean()) << serializeResult(check());
    }
    // Never a password in the file.
    EXPECT_THAT(readFile(journal.file()), testing::Not(testing::HasSubstr("geheim")));
}

TEST_F(JournalTest, TheChainBreaksAtALineChangedRemovedOrInserted)
{
    test::appendRows(table, {{}, {}, {}});  // entries 2 to 4 after the start
    const std::string text = readFile(journal.file());
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line + '\n');
    ASSERT_EQ(lines.size(), 4u);
    const auto join = [](const std::vector<std::string>& parts) {
        std::string out;
        for (const auto& p : parts)
            out += p;
        return out;
    };
    std::string changed = lines[2];
    changed.replace(changed.find("Maurern"), 7, "Fliesen");
    const struct {
        const char* what;
        std::vector<std::string> lines;
        std::uint64_t brokenAt;
    } cases[] = {
        {"changed", {lines[0], lines[1], changed, lines[3]}, 3},
        {"removed", {lines[0], lines[1], lines[3]}, 4},
        {"inserted", {lines[0], lines[1], lines[1], lines[2], lines[3]}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(journal.file(), join(c.lines));
        EXPECT_EQ(check().brokenAt, c.brokenAt);
    }
    writeFile(journal.file(), text);
    EXPECT_TRUE(check().clean());
}

TEST_F(JournalTest, RecordsChangedAddedOrRemovedByAnotherProgramAreFound)
{
    test::appendRows(table, {{}, {}});
    const struct {
        const char* what;
        std::function<void()> change;
        std::vector<Finding> found;
    } cases[] = {
        {"changed", [&] { poke(recordOffset(1) + 1 + 10, "X"); }, {{Kind::Changed, 2}}},
        {"changed and journaled later",
         [&] {
             poke(recordOffset(0) + 1 + 10, "X");
             table.Refresh();
             table.gotoRecord(0);
             table.Edit();
             table.setFieldText(3, u"Putzen");
             table.Post();
         },
         {{Kind::Changed, 1}}},
        {"added", [&] { poke(recordOffset(4), std::string(263, ' ') + "\x1a"); }, {{Kind::Added, 5}}},
        {"removed", [&] { fs::resize_file(table.path(), recordOffset(2)); }, {{Kind::Removed, 3}, {Kind::Removed, 4}}},
    };
    const std::string tableBytes = readFile(table.path());
    const std::string journalBytes = readFile(journal.file());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        const CheckResult result = check();
        EXPECT_EQ(result.findings, c.found);
        EXPECT_FALSE(result.brokenAt);
        table.Close();
        writeFile(table.path(), tableBytes);
        writeFile(journal.file(), journalBytes);
        table.Open();
    }
}

TEST_F(JournalTest, AChangeACrashKeptFromTheTableIsNotExecutedNotAChangeBehindTheProgramsBack)
{
    table.setChangeHook([hook = journal.hook()](const DbfTable& t, const TableChange& change) {
        hook(t, change);
        throw Crash {};
    });
    table.gotoRecord(0);
    table.Edit();
    table.setFieldText(2, u"Nie");
    EXPECT_THROW(table.Post(), Crash);
    table.Cancel();
    EXPECT_THROW(test::appendRows(table, {{}}), Crash);
    EXPECT_EQ(check().findings, (std::vector<Finding> {{Kind::NotExecuted, 1, 2}, {Kind::NotExecuted, 3, 3}}));

    // The program goes on: the record appended next takes the place the lost one would have had.
    journal.attach(table);
    test::appendRows(table, {{}});
    table.gotoRecord(0);
    table.Edit();
    table.setFieldText(2, u"Doch");
    table.Post();
    const CheckResult result = check();
    EXPECT_EQ(result.findings, (std::vector<Finding> {{Kind::NotExecuted, 1, 2}, {Kind::NotExecuted, 3, 3}}));
    EXPECT_FALSE(result.brokenAt);
}

TEST_F(JournalTest, ALineACrashCutShortIsReportedAndTheNextEntryStartsOnANewLine)
{
    // The crash came while the entry was written, so the row never reached the table; only the
    // line end was lost.
    const std::string tableBefore = readFile(table.path());
    test::appendRows(table, {{}});
    const std::string whole = readFile(journal.file());
    writeFile(journal.file(), whole.substr(0, whole.size() - 1));
    table.Close();
    writeFile(table.path(), tableBefore);
    table.Open();
    for (int appended = 0; appended < 2; ++appended) {
        const CheckResult result = check();
        EXPECT_EQ(result.damagedLines, std::vector<std::uint64_t> {2});
        EXPECT_FALSE(result.brokenAt);
        EXPECT_TRUE(result.findings.empty());
        if (appended == 0)
            test::appendRows(table, {{}});
    }
    const std::string now = readFile(journal.file());
    const std::string last = now.substr(now.rfind('\n', now.size() - 2) + 1);
    EXPECT_EQ(parseLine(last.substr(0, last.size() - 1)).value().number, 2u);
}

TEST_F(JournalTest, AJournalThatCannotBeWrittenStopsTheChangeAndLeavesBothFilesAsTheyWere)
{
    const std::string tableBytes = readFile(table.path());
    const std::string journalBytes = readFile(journal.file());
    {
        test::FileSizeLimit full(journalBytes.size() + 10);
        table.gotoRecord(0);
        table.Edit();
        table.setFieldText(2, u"Neu");
        try {
            table.Post();
            FAIL() << "stored without its entry";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), testing::HasSubstr("kann nicht geschrieben werden"));
        }
        EXPECT_THROW(test::appendRows(table, {{}}), Error);
    }
    EXPECT_EQ(readFile(table.path()), tableBytes);
    EXPECT_EQ(readFile(journal.file()), journalBytes);
    table.Post();  // once the disk has room again, the edit still waiting is stored with its entry
    EXPECT_TRUE(check().clean());
}

TEST_F(JournalTest, TwoProcessesAppendWithoutLosingOrMixingLines)
{
    constexpr int kEach = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t child = ::fork();
        if (child == 0) {
            DbfTable own;
            own.setFolder(dir.path());
            own.setTableName("arbeitszeit.dbf");
            own.Open();
            ChangeJournal theirs(dir.path());
            theirs.attach(own);
            for (int i = 0; i < kEach; ++i)
                own.AppendRecord(test::Row {.employee = p == 0 ? u"A" : u"B"}.texts());
            ::_exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_EQ(status, 0);
    }
    table.Refresh();
    EXPECT_EQ(table.physicalCount(), 2u + 2 * kEach);
    EXPECT_EQ(entries().size(), 1u + 2 * kEach);
    EXPECT_TRUE(check().clean()) << serializeResult(check());
}

TEST_F(JournalTest, TheDaysBackupIsCheckedAndWhatItFindsIsToldOnce)
{
    poke(recordOffset(1) + 1 + 10, "X");
    const auto name = journal.makeBackup(table, backup::BackupKind::Daily, backup::localNow());
    const auto notice = journal.takeNotice();
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->backup, name);
    EXPECT_EQ(notice->result.findings, (std::vector<Finding> {{Kind::Changed, 2}}));
    EXPECT_EQ(parseResult(serializeResult(notice->result)), notice->result);
    EXPECT_FALSE(journal.takeNotice());
}

TEST_F(JournalTest, TheStartingStateIsCompactAndCheckedAChunkAtATime)
{
    // More records than one chunk of digests, one block of the file or one base64 piece holds.
    constexpr std::uint32_t kRecords = 2 + 70'000;
    std::vector<std::u16string> row = test::Row {}.texts();
    table.setChangeHook({});
    table.beginBulk();
    for (std::uint32_t i = 2; i < kRecords; ++i)
        table.AppendRecord(row);
    table.endBulk();
    fs::remove(journal.file());
    journal.start(table);
    // 44 bytes a record keeps a million records' journal under 100 MB.
    EXPECT_LT(fs::file_size(journal.file()), (kRecords + 2) * 44ull);
    EXPECT_TRUE(check().clean());

    const auto edit = [&](std::uint32_t record) {
        table.Refresh();
        table.gotoRecord(record - 1);
        table.Edit();
        table.setFieldText(3, u"Putzen");
        table.Post();
    };
    journal.attach(table);
    edit(66'001);  // compared with the first state, read back when the second comes
    journal.tableUpgraded(table, table.path());
    poke(recordOffset(68'000) + 11, "X");
    edit(68'001);  // it was not as the journal said before this edit
    poke(recordOffset(kRecords - 1) + 11, "X");
    EXPECT_EQ(check().findings, (std::vector<Finding> {{Kind::Changed, 68'001}, {Kind::Changed, kRecords}}));

    // A state that does not fit on the disk leaves no part of itself behind.
    const std::string journalBytes = readFile(journal.file());
    {
        test::FileSizeLimit full(journalBytes.size() + 2'000'000);
        EXPECT_THROW(journal.tableUpgraded(table, table.path()), Error);
    }
    EXPECT_EQ(readFile(journal.file()), journalBytes);
}

}  // namespace
}  // namespace horavant::journal
