// Backups and restores of the data files: whole or absent at every interruption, byte-identical
// round trips, damaged backups refused, and the table's append lock against a second process.
#include "store/backup.h"
#include "store/dbf_table.h"
#include "store/file_copy.h"
#include "store/posix_file.h"
#include "store/timesheet_tables.h"
#include "support/temp_dir.h"
#include "support/work_time_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <thread>
#include <map>
#include <set>
#include <tuple>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant::backup {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Files = std::map<std::string, std::string>;

Moment at(const std::string& iso, int h = 9, int m = 0, int s = 0)
{
    return {parseBackupName(iso).value().day, std::chrono::seconds {h * 3600 + m * 60 + s}};
}

// Every regular file below the folder, by its path relative to it.
Files tree(const fs::path& folder)
{
    Files files;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec))
        files[fs::relative(e.path(), folder).string()] = e.is_regular_file() ? readFile(e.path()) : "<folder>";
    return files;
}

class BackupTest : public testing::Test {
protected:
    BackupTest()
    {
        test::createWorkTimeTable(table, dir.path());
        test::appendRows(table, {{}, {.employee = u"Schulz"}});
        writeFile(dir / "benutzer.dat", "users A");
        writeFile(dir / "options.dat", std::string(4, '\0'));
        for (const TableSchema& schema : {kTargetTable, kAbsenceTable})
            createTableIfMissing(dir.path(), schema);
    }

    // The data files of the program folder as they are on disk.
    Files dataFiles() const
    {
        Files files;
        for (const char* name : kFiles)
            if (fs::exists(dir / name))
                files[name] = readFile(dir / name);
        return files;
    }
    fs::path backups() const { return dir / kFolder; }

    void changeEverything()
    {
        test::appendRows(table, {{.employee = u"Neu"}});
        writeFile(dir / "benutzer.dat", "users B, longer");
        writeFile(dir / "options.dat", std::string("\1\0\0\0", 4));
        writeFile(dir / "translate.dat", "translations B");
    }

    test::TempDir dir;
    DbfTable table;
};

TEST_F(BackupTest, CopiesTheFilesThatExistAndNamesFurtherBackupsOfTheDay)
{
    EXPECT_TRUE(dailyBackupDue(dir.path(), at("2024-05-03")));
    EXPECT_EQ(makeBackup(table, BackupKind::Daily, at("2024-05-03")), "2024-05-03");
    EXPECT_EQ(tree(backups() / "2024-05-03"), dataFiles());
    EXPECT_FALSE(dailyBackupDue(dir.path(), at("2024-05-03", 18)));
    EXPECT_EQ(makeBackup(table, BackupKind::Daily, at("2024-05-03", 18)), std::nullopt);
    EXPECT_EQ(makeBackup(table, BackupKind::Manual, at("2024-05-03", 14, 30, 12)), "2024-05-03-143012");
    EXPECT_EQ(makeBackup(table, BackupKind::Manual, at("2024-05-03", 14, 30, 12)), "2024-05-03-143012-2");

    const auto list = listBackups(dir.path());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "2024-05-03-143012-2");
    EXPECT_EQ(list[2].name, "2024-05-03");
    EXPECT_EQ(list[2].state, BackupState::Complete);
    EXPECT_EQ(list[2].records, 2u);
    EXPECT_EQ(list[2].bytes, 353u + 2 * 263 + 1 + 7 + 4 + 418 + 194);  // with the timesheet's two empty tables
    EXPECT_EQ(std::distance(fs::directory_iterator(backups()), {}), 3);  // nothing temporary left
}

TEST_F(BackupTest, AnInterruptedBackupLeavesNoPartOfItAndTheOldOnesIntact)
{
    writeFile(dir / "translate.dat", "translations");
    writeFile(dir / "protokoll.txt", "journal");
    makeBackup(table, BackupKind::Daily, at("2024-05-02"));
    const Files before = tree(backups());

    std::vector<std::string> steps;
    makeBackup(table, BackupKind::Manual, at("2024-05-03"), [&](std::string_view step, const fs::path& file) {
        steps.push_back(std::string(step) + " " + file.filename().string());
        return false;
    });
    fs::remove_all(backups() / "2024-05-03");
    for (const char* name : kFiles)
        for (const char* step : {"create ", "copy ", "sync "})
            EXPECT_THAT(steps, testing::Contains(step + std::string(name)));

    for (std::size_t failing = 0; failing < steps.size(); ++failing) {
        std::size_t n = 0;
        try {
            makeBackup(table, BackupKind::Manual, at("2024-05-03"),
                       [&](std::string_view, const fs::path&) { return n++ == failing; });
            ADD_FAILURE() << "no failure at " << steps[failing];
        } catch (const BackupError& e) {
            EXPECT_THAT(e.pattern(), testing::AnyOf(kCannotWrite, kCopyDamaged)) << steps[failing];
        }
        EXPECT_EQ(tree(backups()), before) << steps[failing];
    }
    // A real full disk: the table's copy cannot be written.
    {
        test::FileSizeLimit limit(500);
        EXPECT_THROW(makeBackup(table, BackupKind::Manual, at("2024-05-03")), BackupError);
    }
    EXPECT_EQ(tree(backups()), before);
}

TEST_F(BackupTest, ACopyShorterThanItsHeaderSaysDoesNotCount)
{
    try {
        makeBackup(table, BackupKind::Manual, at("2024-05-03"), [](std::string_view step, const fs::path& file) {
            if (step == "check")
                fs::resize_file(file, 353 + 263 + 100);
            return false;
        });
        FAIL();
    } catch (const BackupError& e) {
        EXPECT_EQ(e.pattern(), kCopyDamaged);
    }
    EXPECT_TRUE(tree(backups()).empty());
}

TEST_F(BackupTest, OldBackupsArePrunedByTheRuleAndForeignFoldersStay)
{
    makeBackup(table, BackupKind::Manual, at("2024-03-01"));
    for (int d = 2; d <= 20; ++d)
        fs::copy(backups() / "2024-03-01", backups() / ((d < 10 ? "2024-03-0" : "2024-03-") + std::to_string(d)));
    // Folders that are no backups count as no day: the old ones go, a recent one stays.
    fs::create_directories(backups() / "2024-02-28");
    fs::create_directories(backups() / "2024-03-20-091500");
    fs::create_directories(backups() / "Alte Sachen");
    makeBackup(table, BackupKind::Manual, at("2024-03-21"));
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(backups()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected {"2024-03-01"};
    for (int d = 8; d <= 21; ++d)
        expected.push_back((d < 10 ? "2024-03-0" : "2024-03-") + std::to_string(d));
    expected.insert(expected.end() - 1, "2024-03-20-091500");
    expected.push_back("Alte Sachen");
    EXPECT_EQ(left, expected);
    EXPECT_EQ(listBackups(dir.path()).at(1).state, BackupState::Incomplete);
}

TEST_F(BackupTest, ARestoreBringsBackEveryFileByteForByteAndSavesWhatWasThere)
{
    const Files a = dataFiles();
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    changeEverything();
    const Files b = dataFiles();

    EXPECT_EQ(restoreBackup(table, "2024-05-03", at("2024-05-03", 15)), "2024-05-03-vor-Wiederherstellung");
    EXPECT_FALSE(table.active());
    Files expected = a;
    expected["translate.dat"] = b.at("translate.dat");  // the backup has none: the file stays
    EXPECT_EQ(dataFiles(), expected);
    EXPECT_EQ(tree(backups() / "2024-05-03-vor-Wiederherstellung"), b);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 7);  // no temporary file left
    table.Open();
    EXPECT_EQ(table.visibleCount(), 2u);
}

TEST_F(BackupTest, AnInterruptedRestoreLeavesTheFilesAsTheyWereOrSaysWhatItLeft)
{
    writeFile(dir / "translate.dat", "translations A");
    const Files a = dataFiles();
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    changeEverything();
    const Files b = dataFiles();
    const auto reset = [&] {
        table.Close();
        for (const auto& [name, bytes] : b)
            writeFile(dir / name, bytes);
        fs::remove_all(backups() / "2024-05-03-vor-Wiederherstellung");
        table.Open();
    };

    std::size_t steps = 0;
    restoreBackup(table, "2024-05-03", at("2024-05-03", 15), [&](std::string_view, const fs::path&) {
        ++steps;
        return false;
    });
    for (std::size_t failing = 0; failing < steps; ++failing) {
        reset();
        std::size_t n = 0;
        try {
            restoreBackup(table, "2024-05-03", at("2024-05-03", 15),
                          [&](std::string_view, const fs::path&) { return n++ == failing; });
            ADD_FAILURE() << "no failure at step " << failing;
        } catch (const BackupError& e) {
            const Files now = dataFiles();
            // A folder left half restored is told at the next start, once.
            const auto left = recoverAfterCrash(dir.path());
            if (e.pattern() != kRestoreHalfDone) {
                EXPECT_EQ(now, b) << failing;
                EXPECT_FALSE(left) << failing;
            } else {
                EXPECT_THAT(e.what(), testing::HasSubstr("2024-05-03-vor-Wiederherstellung"));
                for (const auto& [name, bytes] : now)
                    EXPECT_TRUE(bytes == a.at(name) || bytes == b.at(name)) << name;
                ASSERT_TRUE(left) << failing;
                EXPECT_EQ(left->backup, "2024-05-03");
                EXPECT_EQ(left->saved, "2024-05-03-vor-Wiederherstellung");
                EXPECT_FALSE(recoverAfterCrash(dir.path()));
            }
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 7) << failing;
    }
}

TEST_F(BackupTest, DamagedAndIncompleteBackupsAreListedAsSuchAndRefused)
{
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    fs::copy(backups() / "2024-05-03", backups() / "2024-05-04");
    fs::resize_file(backups() / "2024-05-04" / "arbeitszeit.dbf", 353 + 100);
    fs::create_directories(backups() / "2024-05-05");
    fs::copy(dir / "benutzer.dat", backups() / "2024-05-05" / "benutzer.dat");
    const Files before = dataFiles();

    const auto list = listBackups(dir.path());
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].state, BackupState::Incomplete);
    EXPECT_EQ(list[1].state, BackupState::Damaged);
    EXPECT_EQ(list[2].state, BackupState::Complete);
    for (const char* name : {"2024-05-04", "2024-05-05", "2024-05-06", "../Sicherung/2024-05-03"}) {
        try {
            restoreBackup(table, name, at("2024-05-06"));
            ADD_FAILURE() << name;
        } catch (const BackupError& e) {
            EXPECT_EQ(e.pattern(), std::string(name) == "2024-05-06" ? kBackupGone : kNotRestorable) << name;
        }
    }
    EXPECT_EQ(dataFiles(), before);
    EXPECT_EQ(listBackups(dir.path()).size(), 3u);
    EXPECT_TRUE(table.active());
}

// What the windows do: the copying on a thread of its own, told how far it came, and stopped at
// any step. A stop leaves the data files and the backups as they were.
TEST_F(BackupTest, ABackupOrRestoreStoppedAtAnyStepLeavesEverythingAsItWas)
{
    writeFile(dir / "translate.dat", "translations A");
    makeBackup(table, BackupKind::Daily, at("2024-05-02"));
    changeEverything();
    const Files files = dataFiles(), before = tree(backups());
    test::TempDir saved;
    fs::copy(backups(), saved.path(), fs::copy_options::recursive);
    // The work runs on another thread, as the windows run it; the steps it was told of are counted.
    std::vector<std::uint64_t> told;
    std::size_t stopAt = SIZE_MAX;
    const Progress progress = [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_LE(done, total);
        told.push_back(done == total ? 0 : total - done);
        return told.size() != stopAt + 1;
    };
    const Runner onAThread = [&](const std::function<void(const Progress&)>& work) {
        std::exception_ptr failure;
        std::thread([&] {
            try {
                work(progress);
            } catch (...) {
                failure = std::current_exception();
            }
        }).join();
        if (failure)
            std::rethrow_exception(failure);
    };
    const std::function<void()> operations[] = {
        [&] { makeBackupOfFolder(dir.path(), BackupKind::Manual, at("2024-05-03"), progress); },
        [&] { restoreBackup(table, "2024-05-02", at("2024-05-03"), {}, onAThread); },
    };
    for (const auto& operation : operations) {
        told.clear();
        stopAt = SIZE_MAX;
        operation();
        ASSERT_GE(told.size(), 4u);
        EXPECT_EQ(told.back(), 0u) << "the last step completes the whole";
        const std::size_t steps = told.size();
        fs::remove_all(backups());
        fs::copy(saved.path(), backups(), fs::copy_options::recursive);
        for (const auto& [name, bytes] : files)
            writeFile(dir / name, bytes);
        if (!table.active())
            table.Open();
        for (stopAt = 0; stopAt < steps; ++stopAt) {
            told.clear();
            EXPECT_THROW(operation(), Cancelled) << stopAt;
            EXPECT_EQ(tree(backups()), before) << stopAt;
            EXPECT_EQ(dataFiles(), files) << stopAt;
            EXPECT_TRUE(table.active());
        }
    }
}

TEST_F(BackupTest, ASecondProcessAppendingWaitsUntilTheTableIsCopied)
{
    const long long sizeBefore = static_cast<long long>(fs::file_size(dir / "arbeitszeit.dbf"));
    pid_t child = -1;
    makeBackup(table, BackupKind::Daily, at("2024-05-03"), [&](std::string_view step, const fs::path& file) {
        if (step != "copy" || file.filename() != "arbeitszeit.dbf")
            return false;
        child = ::fork();
        if (child == 0) {
            int status = 0;
            try {
                DbfTable other;
                other.setFolder(dir.path());
                other.setTableName("arbeitszeit.dbf");
                other.Open();
                test::appendRows(other, {{.employee = u"Zweiter"}});
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        ::usleep(300'000);
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, WNOHANG), 0) << "the second process did not wait";
        EXPECT_EQ(static_cast<long long>(fs::file_size(dir / "arbeitszeit.dbf")), sizeBefore);
        return false;
    });
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(fs::file_size(backups() / "2024-05-03" / "arbeitszeit.dbf"), static_cast<std::uintmax_t>(sizeBefore));
    EXPECT_EQ(static_cast<long long>(fs::file_size(dir / "arbeitszeit.dbf")), sizeBefore + 263);
}

TEST_F(BackupTest, ARestoreIsRefusedWhileAnotherCopyHoldsTheAppendLock)
{
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    changeEverything();
    const Files before = dataFiles();
    int locked[2], release[2];
    ASSERT_EQ(::pipe(locked), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        DbfTable other;
        other.setFolder(dir.path());
        other.setTableName("arbeitszeit.dbf");
        other.Open();
        other.withAppendLock(true, [&](int) {
            char c = 'x';
            [[maybe_unused]] auto w = ::write(locked[1], &c, 1);
            [[maybe_unused]] auto r = ::read(release[0], &c, 1);
        });
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(locked[0], &c, 1), 1);
    try {
        restoreBackup(table, "2024-05-03", at("2024-05-03", 15));
        ADD_FAILURE() << "restored while another copy held the lock";
    } catch (const BackupError& e) {
        EXPECT_EQ(e.pattern(), kTableBusy);
    }
    ASSERT_EQ(::write(release[1], &c, 1), 1);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(dataFiles(), before);
    EXPECT_EQ(listBackups(dir.path()).size(), 1u);
    EXPECT_NO_THROW(restoreBackup(table, "2024-05-03", at("2024-05-03", 15)));
}

TEST_F(BackupTest, ACopyStillOpenOnTheReplacedTableCannotWriteIntoIt)
{
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    DbfTable other;
    other.setFolder(dir.path());
    other.setTableName("arbeitszeit.dbf");
    other.Open();
    restoreBackup(table, "2024-05-03", at("2024-05-03", 15));
    const std::string restored = readFile(dir / "arbeitszeit.dbf");
    EXPECT_THROW(test::appendRows(other, {{}}), Error);
    other.First();
    EXPECT_THROW(other.Edit(), Error);
    EXPECT_THROW(other.Delete(), Error);
    EXPECT_EQ(readFile(dir / "arbeitszeit.dbf"), restored);
}

// Another copy of the program writing to the table while a restore runs: its write waits until
// the files are in place, then finds its file replaced and refuses, so nothing it is told was
// stored is lost; the restore's copy of the files before holds everything stored before it. A
// copy that opens the table meanwhile opens the restored one.
struct OtherCopy {
    const char* name;
    void (*prepare)(DbfTable& other);
    void (*write)(DbfTable& other);
    int exitCode;  // 0 stored, 2 refused because the file was replaced
    const char* table = "arbeitszeit.dbf";

    friend void PrintTo(const OtherCopy& c, std::ostream* out) { *out << c.name; }
};

class BackupWhileAnotherCopyWrites : public BackupTest, public testing::WithParamInterface<OtherCopy> {};

TEST_P(BackupWhileAnotherCopyWrites, ItsWriteWaitsForTheRestoreAndFindsTheFileReplaced)
{
    const Files a = dataFiles();
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    changeEverything();
    const Files b = dataFiles();
    int ready[2], go[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        int code = 1;
        try {
            DbfTable other;
            other.setFolder(dir.path());
            other.setTableName(GetParam().table);
            GetParam().prepare(other);
            char c = 'r';
            [[maybe_unused]] auto w = ::write(ready[1], &c, 1);
            [[maybe_unused]] auto r = ::read(go[0], &c, 1);
            GetParam().write(other);
            code = 0;
        } catch (const Error& e) {
            code = std::string(e.what()).starts_with("The table file was replaced") ? 2 : 3;
        }
        ::_exit(code);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    bool released = false;
    restoreBackup(table, "2024-05-03", at("2024-05-03", 15), [&](std::string_view step, const fs::path& file) {
        if (step == "copy" && file.filename() == kFiles[0] && !released) {
            released = true;
            EXPECT_EQ(::write(go[1], &c, 1), 1);
            ::usleep(300'000);
            EXPECT_EQ(::waitpid(child, nullptr, WNOHANG), 0) << "the other copy did not wait";
        }
        return false;
    });
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == GetParam().exitCode) << status;
    EXPECT_EQ(tree(backups() / "2024-05-03-vor-Wiederherstellung"), b);
    Files expected = a;
    expected["translate.dat"] = b.at("translate.dat");
    Files now = dataFiles();
    if (GetParam().exitCode == 0) {
        // Its row went into the restored table.
        EXPECT_EQ(now["arbeitszeit.dbf"].size(), expected["arbeitszeit.dbf"].size() + 263);
        now.erase("arbeitszeit.dbf");
        expected.erase("arbeitszeit.dbf");
    }
    EXPECT_EQ(now, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Writes, BackupWhileAnotherCopyWrites,
    testing::Values(OtherCopy {"PostOfAnEdit",
                               [](DbfTable& t) {
                                   t.Open();
                                   t.Edit();
                                   t.setFieldText(1, u"Geändert");
                               },
                               [](DbfTable& t) { t.Post(); }, 2},
                    OtherCopy {"Delete", [](DbfTable& t) { t.Open(); }, [](DbfTable& t) { t.Delete(); }, 2},
                    OtherCopy {"Edit", [](DbfTable& t) { t.Open(); }, [](DbfTable& t) { t.Edit(); }, 2},
                    OtherCopy {"Append", [](DbfTable& t) { t.Open(); }, [](DbfTable& t) { test::appendRows(t, {{}}); },
                               2},
                    OtherCopy {"AppendToTheTargetHours", [](DbfTable& t) { t.Open(); },
                               [](DbfTable& t) { t.AppendRecord({}); }, 2, "sollzeit.dbf"},
                    OtherCopy {"OpenThenAppend", [](DbfTable&) {},
                               [](DbfTable& t) {
                                   t.Open();
                                   test::appendRows(t, {{}});
                               },
                               0}),
    [](const testing::TestParamInfo<OtherCopy>& info) { return std::string(info.param.name); });

// A shared office folder: the group works in it, nobody else; the users file is its owner's alone
// and lies elsewhere, reached through a link. Copies and restored files keep their access, a
// backup is no more open than the folder, the link stays; and a backup that goes (another copy's
// pruning) once its restore has begun is restored all the same.
TEST_F(BackupTest, ARestoreInASharedFolderKeepsAccessAndLinksAndItsBackupOnceBegun)
{
    fs::create_directory(dir / "daten");
    fs::rename(dir / "benutzer.dat", dir / "daten" / "benutzer.dat");
    fs::create_symlink("daten/benutzer.dat", dir / "benutzer.dat");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0750), 0);
    ASSERT_EQ(::chmod((dir / "benutzer.dat").c_str(), 0600), 0);
    ASSERT_EQ(::chmod((dir / "arbeitszeit.dbf").c_str(), 0660), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((dir / "benutzer.dat").c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown((dir / "arbeitszeit.dbf").c_str(), 0, 65534), 0);
    }
    const auto access = [](const fs::path& folder) {
        std::vector<std::tuple<unsigned, unsigned, unsigned>> out;
        for (const char* name : {"benutzer.dat", "arbeitszeit.dbf"}) {
            const FileAccess a = fileAccess(folder / name).value();
            out.emplace_back(a.mode, a.owner, a.group);
        }
        return out;
    };
    const auto before = access(dir.path());
    const Files a = dataFiles();
    makeBackup(table, BackupKind::Daily, at("2024-05-03"));
    EXPECT_EQ(access(backups() / "2024-05-03"), before);
    EXPECT_EQ(fileAccess(backups())->mode, 0750u);
    EXPECT_EQ(fileAccess(backups() / "2024-05-03")->mode, 0750u);

    changeEverything();
    const Files b = dataFiles();
    bool removed = false;
    restoreBackup(table, "2024-05-03", at("2024-05-03", 15), [&](std::string_view, const fs::path&) {
        if (!removed)
            removed = fs::remove_all(backups() / "2024-05-03") > 0;
        return false;
    });
    Files expected = a;
    expected["translate.dat"] = b.at("translate.dat");
    EXPECT_EQ(dataFiles(), expected);
    EXPECT_EQ(access(dir.path()), before);
    EXPECT_TRUE(fs::is_symlink(dir / "benutzer.dat"));
}

TEST_F(BackupTest, AStartRemovesTheTemporaryFilesACrashLeftAndNoOthers)
{
    const auto names = [&] {
        std::set<std::string> left;
        for (const auto& e : fs::directory_iterator(dir.path()))
            left.insert(e.path().filename().string());
        return left;
    };
    std::set<std::string> expected = names();
    writeFile(dir / "benutzer.dat.a1B2c3", "left by a crash");
    writeFile(dir / "arbeitszeit.dbf.Zz9Yy8", "left by a crash");
    writeFile(dir / "benutzer.dat.alt", "the user's own");
    AtomicFileWriter saving(dir / "translate.dat");  // another copy saving just now
    ASSERT_TRUE(saving.open());
    EXPECT_FALSE(recoverAfterCrash(dir.path()));
    expected.insert({"benutzer.dat.alt", saving.tempPath().filename().string()});
    EXPECT_EQ(names(), expected);
}

// A clock a year ahead for two weeks, then set right; a file where today's backup belongs. Every
// day still gets its backup, none is pruned by its own pruning, nor the files before a restore;
// the backups dated after today are told once.
TEST_F(BackupTest, AWrongClockAndStrayNamesNeitherBlockNorPruneTheDaysBackup)
{
    for (int d = 1; d <= 14; ++d)
        ASSERT_TRUE(makeBackup(table, BackupKind::Daily, at((d < 10 ? "2025-06-0" : "2025-06-") + std::to_string(d))));
    EXPECT_EQ(restoreBackup(table, "2025-06-14", at("2024-06-15", 10)), "2024-06-15-vor-Wiederherstellung");
    table.Open();
    writeFile(backups() / "2024-06-16", "keine Sicherung");
    EXPECT_TRUE(dailyBackupDue(dir.path(), at("2024-06-16")));
    EXPECT_EQ(makeBackup(table, BackupKind::Daily, at("2024-06-16", 9)), "2024-06-16-090000");
    EXPECT_FALSE(dailyBackupDue(dir.path(), at("2024-06-16", 18)));
    EXPECT_EQ(makeBackup(table, BackupKind::Daily, at("2024-06-17")), "2024-06-17");
    for (const char* name : {"2024-06-15-vor-Wiederherstellung", "2024-06-16-090000", "2024-06-17", "2025-06-01"})
        EXPECT_TRUE(fs::is_directory(backups() / name)) << name;
    EXPECT_EQ(untoldFutureBackups(dir.path(), at("2024-06-17")).size(), 14u);
    EXPECT_TRUE(untoldFutureBackups(dir.path(), at("2024-06-17")).empty());
}

TEST(FileCopy, KernelAndBufferCopiesGiveTheSameBytesUpToTheLimit)
{
    test::TempDir dir;
    std::string bytes(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 31 % 251);
    writeFile(dir / "from", bytes);
    UniqueFd from(::open((dir / "from").c_str(), O_RDONLY));
    for (CopyMethod method : {CopyMethod::Kernel, CopyMethod::Buffer}) {
        for (std::uint64_t limit : {std::uint64_t {1000}, std::uint64_t {1} << 40}) {
            UniqueFd to(::open((dir / "to").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
            const long long expected = static_cast<long long>(std::min<std::uint64_t>(limit, bytes.size()));
            EXPECT_EQ(copyFileBytes(from.get(), to.get(), limit, method), expected);
            EXPECT_EQ(readFile(dir / "to"), bytes.substr(0, static_cast<std::size_t>(expected)));
        }
    }
}

}  // namespace
}  // namespace horavant::backup
