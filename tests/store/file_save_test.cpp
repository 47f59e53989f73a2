// Whole-file saves: in place where the folder takes no new file, permissions and symbolic links kept.
#include "store/options_file.h"
#include "store/posix_file.h"
#include "store/user_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

namespace fs = std::filesystem;

struct stat statOf(const fs::path& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

constexpr int kNoRights = 77;  // the child could not give up the superuser's rights

// Runs `save` in a child process as a user who may not add files to `folder`. The superuser may
// write anywhere, so a child of his becomes the user nobody first. The child's exit code: 0 when
// save returned, 1 when it threw.
int savedWithoutWritingRights(const std::function<void()>& save)
{
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(kNoRights);
        try {
            save();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A shared installation: the administrator's folder, read-only to the user, holds files the
// user may write. Users, settings and the language choice are still saved, each in place.
TEST(FileSave, AReadOnlyFolderWithWritableFilesIsWrittenInPlace)
{
    TempDir dir;
    const fs::path folder = dir / "program";
    fs::create_directory(folder);
    writeFile(folder / "benutzer.dat", "old");
    writeFile(folder / "options.dat", "old");
    for (const char* name : {"benutzer.dat", "options.dat"})
        ASSERT_EQ(::chmod((folder / name).c_str(), 0666), 0);
    const ino_t inode = statOf(folder / "benutzer.dat").st_ino;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

    UserData data;
    data.users = {{u"Anna Meier", u"anna", u"geheim"}};
    data.settings.AdminPassword = u"chef";
    data.settings.PlaceTexts = u"Bau 1\r\nBau 2";
    const int status = savedWithoutWritingRights([&] {
        SaveBenutzer(folder / "benutzer.dat", data);
        SaveOptionsFile(folder / "options.dat", 1);
    });
    ::chmod(folder.c_str(), 0755);
    if (status == kNoRights)
        GTEST_SKIP() << "running as the superuser, and the user nobody cannot be taken on here";
    ASSERT_EQ(status, 0);

    UserData loaded;
    LoadBenutzer(folder / "benutzer.dat", loaded);
    EXPECT_EQ(loaded, data);
    EXPECT_EQ(LoadOptionsFile(folder / "options.dat"), 1);
    EXPECT_EQ(statOf(folder / "benutzer.dat").st_ino, inode);
    EXPECT_EQ(namesIn(folder), (std::vector<std::string> {"benutzer.dat", "options.dat"}));
}

// Written in place, a save that the disk has no room for fails before an old byte is
// overwritten: the users are not half old, half new, with an empty administrator password.
TEST(FileSave, InPlaceAFullDiskLeavesTheOldFileWhole)
{
    TempDir dir;
    const fs::path folder = dir / "program";
    fs::create_directory(folder);
    UserData old;
    old.users = {{u"Anna Meier", u"anna", u"geheim"}};
    old.settings.AdminPassword = u"chef";
    SaveBenutzer(folder / "benutzer.dat", old);
    const std::string before = readFile(folder / "benutzer.dat");
    ASSERT_EQ(::chmod((folder / "benutzer.dat").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

    UserData bigger = old;
    bigger.settings.PlaceTexts.assign(2000, u'x');
    const int status = savedWithoutWritingRights([&] {
        test::FileSizeLimit limit(before.size() + 100);
        SaveBenutzer(folder / "benutzer.dat", bigger);
    });
    ::chmod(folder.c_str(), 0755);
    if (status == kNoRights)
        GTEST_SKIP() << "running as the superuser, and the user nobody cannot be taken on here";
    EXPECT_EQ(status, 1) << "the save did not fail";
    EXPECT_EQ(readFile(folder / "benutzer.dat"), before);
}

TEST(FileSave, AReplacedFileKeepsItsPermissionsWhereTheFolderIsWritable)
{
    TempDir dir;
    const fs::path file = dir / "benutzer.dat";
    for (const mode_t mode : {0600, 0640, 0664}) {
        writeFile(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const ino_t inode = statOf(file).st_ino;
        ASSERT_TRUE(saveFileAtomically(file, "new"));
        EXPECT_EQ(readFile(file), "new");
        EXPECT_EQ(statOf(file).st_mode & 07777, mode) << std::oct << mode;
        EXPECT_NE(statOf(file).st_ino, inode) << "not replaced by a rename";
    }
}

struct Links {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link name, what it points to
    const char* target;  // where the bytes must land, relative to the test folder

    friend void PrintTo(const Links& links, std::ostream* out) { *out << links.name; }
};

class FileSaveThroughLinks : public testing::TestWithParam<Links> {};

TEST_P(FileSaveThroughLinks, WritesTheTargetAndKeepsEveryLink)
{
    TempDir dir;
    fs::create_directory(dir / "data");
    const fs::path target = dir / GetParam().target;
    if (std::string(GetParam().name) != "dangling")
        writeFile(target, "old");
    for (const auto& [link, to] : GetParam().links)
        fs::create_symlink(to, dir / link);

    ASSERT_TRUE(saveFileAtomically(dir / "translate.dat", "new"));
    EXPECT_EQ(readFile(target), "new");
    for (const auto& [link, to] : GetParam().links) {
        EXPECT_TRUE(fs::is_symlink(dir / link)) << link;
        EXPECT_EQ(fs::read_symlink(dir / link), to);
    }
    EXPECT_EQ(namesIn(dir / "data"), std::vector<std::string> {fs::path(GetParam().target).filename().string()});
}

INSTANTIATE_TEST_SUITE_P(
    Links, FileSaveThroughLinks,
    testing::Values(Links {"relative", {{"translate.dat", "data/real.dat"}}, "data/real.dat"},
                    Links {"chain", {{"translate.dat", "hop.dat"}, {"hop.dat", "data/real.dat"}}, "data/real.dat"},
                    Links {"dangling", {{"translate.dat", "data/new.dat"}}, "data/new.dat"}),
    [](const testing::TestParamInfo<Links>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace horavant
