// benutzer.dat: exact layout, tail sections, scrambling, damaged files and interrupted saves.
#include "store/error.h"
#include "store/user_file.h"
#include "support/temp_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::string le(std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
}

std::string counted(const std::string& bytes)
{
    return le(static_cast<std::int32_t>(bytes.size())) + bytes;
}

// A file of two users with every tail section, written by hand; the item boundaries are kept.
struct Golden {
    std::string bytes;
    std::size_t afterItem5 = 0, afterItem8 = 0, afterItem9 = 0;
    std::size_t afterFirstUser = 0, afterItem3 = 0;
};

Golden golden()
{
    Golden g;
    std::string& b = g.bytes;
    b += le(2);
    b += counted("J\xFCrgen Wei\xDF") + counted("jw") + counted("efg");  // abc scrambled
    g.afterFirstUser = b.size();
    b += counted("Anna") + counted("anna") + counted("");
    b += counted("geheim");
    g.afterItem3 = b.size();
    b += counted("kilimq");  // geheim scrambled
    b += '\x01';
    g.afterItem5 = b.size();
    b += le(1);
    b += le(13)
         + std::string(
             "B\0a\0u\0 \0"
             "1\0\r\0\n\0B\0a\0u\0 \0"
             "2\0\0\x01",
             26);  // Bau 1 CR LF Bau 2, U+0100
    b += le(7)
         + std::string(
             "M\0a\0u\0r\0"
             "e\0r\0n\0",
             14);
    g.afterItem8 = b.size();
    b += le(1);
    g.afterItem9 = b.size();
    b += '\x01';
    return g;
}

UserData goldenData()
{
    UserData d;
    d.users = {{u"Jürgen Weiß", u"jw", u"abc"}, {u"Anna", u"anna", u""}};
    d.settings.AdminPassword = u"geheim";
    d.settings.AdminPasswordRepeat = u"geheim";
    d.settings.EmployeesMayEdit = true;
    d.settings.PlaceTextMode = 1;
    d.settings.PlaceTexts = u"Bau 1\r\nBau 2\u0100";
    d.settings.ActivityTexts = u"Maurern";
    d.settings.ActivityTextMode = 1;
    d.settings.ShowBreakTimeInEvaluation = true;
    return d;
}

class UserFileTest : public testing::Test {
protected:
    std::filesystem::path file() const { return dir / "benutzer.dat"; }
    TempDir dir;
};

TEST_F(UserFileTest, EmptyDataIsThirtyBytes)
{
    SaveBenutzer(file(), UserData {});
    EXPECT_EQ(readFile(file()), std::string(30, '\0'));
    UserData loaded;
    loaded.users.push_back({u"old", u"old", u"old"});
    LoadBenutzer(file(), loaded);
    EXPECT_EQ(loaded, UserData {});
}

TEST_F(UserFileTest, WritesTheLayoutByteForByteAndReadsItBackInOrder)
{
    SaveBenutzer(file(), goldenData());
    EXPECT_EQ(readFile(file()), golden().bytes);
    UserData loaded;
    LoadBenutzer(file(), loaded);
    EXPECT_EQ(loaded, goldenData());
}

TEST_F(UserFileTest, ScramblesBySixteenBitShiftThroughTheCodePage)
{
    EXPECT_EQ(scramblePassword(u"abc"), "efg");
    EXPECT_EQ(unscramblePassword("efg"), u"abc");
    EXPECT_EQ(scramblePassword(u"z0"), "~4");
    EXPECT_EQ(scramblePassword(u"\uFFFE"), "\x02");  // wraps around in 16 bits
    EXPECT_EQ(unscramblePassword("\x02"), u"\uFFFE");
}

TEST_F(UserFileTest, UmlautsSurviveButShiftedCharactersOutsideTheCodePageDoNot)
{
    UserData d;
    // ü and ý shift to U+0100 and U+0101, which Windows-1252 lacks.
    d.users = {{u"Bärbel Öztürk", u"Üßle", u"äöß"}, {u"Ýves", u"yves", u"pý"}, {u"Jürgen", u"jü", u"ü"}};
    d.settings.AdminPasswordRepeat = u"ý";
    SaveBenutzer(file(), d);
    UserData loaded;
    LoadBenutzer(file(), loaded);
    ASSERT_EQ(loaded.users.size(), 3u);
    EXPECT_EQ(loaded.users[0], d.users[0]);
    EXPECT_EQ(loaded.users[2].EmployeeName, u"Jürgen");
    EXPECT_NE(loaded.users[2].Password, u"ü");
    EXPECT_EQ(loaded.users[1].EmployeeName, u"Ýves");
    EXPECT_NE(loaded.users[1].Password, u"pý");
    EXPECT_EQ(loaded.users[1].Password.substr(0, 1), u"p");
    EXPECT_NE(loaded.settings.AdminPasswordRepeat, u"ý");
}

// The check of what a save and a load give back names exactly the characters the file loses:
// the text survives a real save and load just when nothing is named, and without the named
// characters it always does.
enum class Place { Name, Password, AdminPassword };

struct Kept {
    const char* name;
    Place place;
    std::u16string text;
    std::vector<std::u16string> refused;

    friend void PrintTo(const Kept& kept, std::ostream* out) { *out << kept.name; }
};

class UserFileKeeps : public UserFileTest, public testing::WithParamInterface<Kept> {
protected:
    static UserData holding(Place place, const std::u16string& text)
    {
        UserData d;
        d.users = {{u"Anna", u"anna", u"pw"}};
        switch (place) {
        case Place::Name: d.users[0].EmployeeName = d.users[0].UserName = text; break;
        case Place::Password: d.users[0].Password = text; break;
        case Place::AdminPassword: d.settings.AdminPassword = d.settings.AdminPasswordRepeat = text; break;
        }
        return d;
    }

    bool survives(const std::u16string& text)
    {
        const UserData d = holding(GetParam().place, text);
        SaveBenutzer(file(), d);
        UserData loaded;
        LoadBenutzer(file(), loaded);
        return loaded == d;
    }
};

TEST_P(UserFileKeeps, NamesExactlyTheCharactersASaveAndALoadLose)
{
    const Kept& k = GetParam();
    const auto check = k.place == Place::Name       ? unstorableInName
                       : k.place == Place::Password ? unstorableInPassword
                                                    : unstorableInAdminPassword;
    EXPECT_EQ(check(k.text), k.refused);
    EXPECT_EQ(survives(k.text), k.refused.empty());
    std::u16string rest = k.text;
    for (const std::u16string& c : k.refused) {
        for (auto at = rest.find(c); at != std::u16string::npos; at = rest.find(c))
            rest.erase(at, c.size());
    }
    EXPECT_TRUE(survives(rest));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UserFileKeeps,
    testing::Values(
        // Shifted by four, these land on codes Windows-1252 lacks; each is named once, in order.
        Kept {"PasswordShiftedOutOfTheCodePage",
              Place::Password,
              u"aü|ýb~þÿ€|ü",
              {u"ü", u"|", u"ý", u"~", u"þ", u"ÿ", u"€"}},
        // } shifts to 0x81, one of the five bytes the code page leaves free and the codec keeps.
        Kept {"PasswordOfLettersDigitsAndUmlauts", Place::Password, u"Geheim2024äöß}", {}},
        Kept {"NameOutsideTheCodePage", Place::Name, u"Łukasz Bałka", {u"Ł", u"ł"}},
        Kept {"NameWithUmlautsAndTheEuro", Place::Name, u"Jürgen Weiß ÿ €", {}},
        Kept {"NameWithACharacterBeyondSixteenBits", Place::Name, u"Anna 😀", {u"😀"}},
        Kept {"AdminPasswordOutsideTheCodePage", Place::AdminPassword, u"Chefł", {u"ł"}},
        // The repetition is stored shifted, so what a user's password cannot hold it cannot either.
        Kept {"AdminPasswordShiftedOutOfTheCodePage", Place::AdminPassword, u"Müller", {u"ü"}},
        Kept {"PlainAdminPassword", Place::AdminPassword, u"Chef2024", {}}),
    [](const testing::TestParamInfo<Kept>& info) { return std::string(info.param.name); });

struct Tail {
    const char* name;
    std::size_t Golden::*end;
    bool place, activityMode;  // which tail sections are there
};

class UserFileTail : public UserFileTest, public testing::WithParamInterface<Tail> {};

TEST_P(UserFileTail, MissingTailSectionsKeepTheirDefaults)
{
    const Golden g = golden();
    writeFile(file(), g.bytes.substr(0, g.*GetParam().end));
    UserData loaded;
    LoadBenutzer(file(), loaded);
    UserData expected = goldenData();
    ProgramSettings& s = expected.settings;
    if (!GetParam().place) {
        s.PlaceTextMode = 0;
        s.PlaceTexts.clear();
        s.ActivityTexts.clear();
    }
    if (!GetParam().activityMode)
        s.ActivityTextMode = 0;
    s.ShowBreakTimeInEvaluation = false;
    EXPECT_EQ(loaded, expected);
}

INSTANTIATE_TEST_SUITE_P(Versions, UserFileTail,
                         testing::Values(Tail {"AfterItem5", &Golden::afterItem5, false, false},
                                         Tail {"AfterItem8", &Golden::afterItem8, true, false},
                                         Tail {"AfterItem9", &Golden::afterItem9, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DamagedFile {
    const char* name;
    std::string bytes;
    std::size_t usersKept;
};

class UserFileDamaged : public UserFileTest, public testing::WithParamInterface<DamagedFile> {};

TEST_P(UserFileDamaged, KeepsTheUsersReadBeforeTheDamageAndReportsIt)
{
    writeFile(file(), GetParam().bytes);
    UserData loaded;
    EXPECT_THROW(LoadBenutzer(file(), loaded), IoError);
    ASSERT_EQ(loaded.users.size(), GetParam().usersKept);
    if (GetParam().usersKept > 0) {
        EXPECT_EQ(loaded.users[0], goldenData().users[0]);
    }
}

const Golden kGolden = golden();

INSTANTIATE_TEST_SUITE_P(
    Cases, UserFileDamaged,
    testing::Values(DamagedFile {"InsideTheUserCount", kGolden.bytes.substr(0, 3), 0},
                    DamagedFile {"InsideTheSecondUser", kGolden.bytes.substr(0, kGolden.afterFirstUser + 6), 1},
                    DamagedFile {"CountPromisingTooMany",
                                 le(0x7FFFFFFF) + kGolden.bytes.substr(4, kGolden.afterFirstUser - 4), 1},
                    DamagedFile {"NegativeStringLength", le(1) + counted("x") + le(-2) + "abcdefgh", 0},
                    DamagedFile {"InsideTheAdminRepeat", kGolden.bytes.substr(0, kGolden.afterItem3 + 5), 2},
                    DamagedFile {"BeforeTheEditFlag", kGolden.bytes.substr(0, kGolden.afterItem5 - 1), 2},
                    DamagedFile {"InsideThePlaceMode", kGolden.bytes.substr(0, kGolden.afterItem5 + 2), 2},
                    DamagedFile {"InsideThePlaceTexts", kGolden.bytes.substr(0, kGolden.afterItem5 + 10), 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UserFileTest, ANegativeUserCountMeansNoUsers)
{
    writeFile(file(), le(-3) + counted("pw") + counted("") + '\0');
    UserData loaded;
    loaded.users.push_back({u"old", u"old", u"old"});
    LoadBenutzer(file(), loaded);
    EXPECT_TRUE(loaded.users.empty());
    EXPECT_EQ(loaded.settings.AdminPassword, u"pw");
}

// Only a missing file means no users yet; one that is there and cannot be read (an input/output
// error, a link that leads nowhere) is an error naming the file, and changes nothing.
TEST_F(UserFileTest, AMissingFileChangesNothingAnUnreadableOneIsAnError)
{
    UserData loaded = goldenData();
    LoadBenutzer(file(), loaded);
    EXPECT_EQ(loaded, goldenData());
    for (const auto& unreadable :
         std::vector<std::function<void()>> {[&] { std::filesystem::create_directory(file()); },
                                             [&] { std::filesystem::create_symlink("benutzer.dat", file()); }}) {
        std::filesystem::remove(file());
        unreadable();
        try {
            LoadBenutzer(file(), loaded);
            ADD_FAILURE() << "read as if missing";
        } catch (const PatternError& e) {
            EXPECT_EQ(e.pattern(), kUsersUnreadable);
            EXPECT_EQ(e.details().at(0), file().string());
        }
        EXPECT_EQ(loaded, goldenData());
    }
}

TEST_F(UserFileTest, LoadsAFileThatCannotBeWritten)
{
    writeFile(file(), golden().bytes);
    ASSERT_EQ(::chmod(file().c_str(), 0444), 0);
    UserData loaded;
    LoadBenutzer(file(), loaded);
    EXPECT_EQ(loaded, goldenData());
}

TEST_F(UserFileTest, ASaveWhereNoFileCanBeCreatedIsAnErrorNamingTheFile)
{
    const auto nowhere = dir / "missing" / "benutzer.dat";
    try {
        SaveBenutzer(nowhere, goldenData());
        ADD_FAILURE() << "no error";
    } catch (const PatternError& e) {
        EXPECT_EQ(e.pattern(), kUsersNotSaved);
        EXPECT_EQ(e.details().at(0), nowhere.string());
    }
    EXPECT_FALSE(std::filesystem::exists(nowhere.parent_path()));
}

TEST_F(UserFileTest, ASaveThatFailsHalfWayLeavesTheOldFileByteForByte)
{
    SaveBenutzer(file(), goldenData());
    const std::string before = readFile(file());
    UserData bigger = goldenData();
    bigger.settings.PlaceTexts.assign(5000, u'x');
    {
        test::FileSizeLimit limit(before.size() + 100);
        EXPECT_THROW(SaveBenutzer(file(), bigger), PatternError);
    }
    EXPECT_EQ(readFile(file()), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_THAT(names, testing::ElementsAre("benutzer.dat"));
}

// What a second copy of the program saved is read again, once; a damaged or vanished file and a
// file that did not change leave what this copy holds.
TEST_F(UserFileTest, ReloadsOnlyAFileThatAnotherCopyChanged)
{
    UserData ours;
    ours.users = {{u"Hier", u"h", u"1"}};
    SaveBenutzer(file(), ours);
    UserData base = ours;
    auto stamp = fileStamp(file());
    EXPECT_FALSE(ReloadBenutzerIfChanged(file(), base, ours, stamp));

    UserData other;
    other.users = {{u"Drüben", u"d", u"2"}};
    SaveBenutzer(file(), other);
    EXPECT_TRUE(ReloadBenutzerIfChanged(file(), base, ours, stamp));
    EXPECT_EQ(ours.users, other.users);
    EXPECT_FALSE(ReloadBenutzerIfChanged(file(), base, ours, stamp));

    writeFile(file(), std::string("\x05\x00\x00\x00", 4));  // promises five users, holds none
    EXPECT_FALSE(ReloadBenutzerIfChanged(file(), base, ours, stamp));
    std::filesystem::remove(file());
    EXPECT_FALSE(ReloadBenutzerIfChanged(file(), base, ours, stamp));
    EXPECT_EQ(ours.users, other.users);
}

// One copy of the program on the folder: the file as it read it, and what it holds now.
struct Copy {
    UserData base, ours;
    std::optional<FileStamp> stamp;

    explicit Copy(const std::filesystem::path& file)
    {
        stamp = fileStamp(file);
        LoadBenutzer(file, base);
        ours = base;
    }
    UserSave save(const std::filesystem::path& file) { return SaveBenutzerChanges(file, base, ours, stamp); }
};

using Change = std::function<void(UserData&)>;

struct TwoCopiesCase {
    const char* name;
    Change first;  // made and saved by copy A
    Change second;  // made by copy B, which read the file before A saved, and saved after
    UserChanges clashes;  // B's save reports
    Change expected = {};  // the golden file changed so is the file then; both changes by default
};

class UserFileTwoCopies : public testing::TestWithParam<TwoCopiesCase> {
protected:
    std::filesystem::path file() const { return dir / "benutzer.dat"; }
    TempDir dir;
};

TEST_P(UserFileTwoCopies, NoSaveUndoesWhatTheOtherCopySavedMeanwhile)
{
    const TwoCopiesCase& c = GetParam();
    SaveBenutzer(file(), goldenData());
    Copy a(file()), b(file());
    c.first(a.ours);
    EXPECT_TRUE(a.save(file()).clashes.empty());
    c.second(b.ours);
    const std::string beforeB = readFile(file());
    const auto stampBeforeB = fileStamp(file());
    const UserSave saved = b.save(file());
    EXPECT_EQ(saved.clashes, c.clashes);
    UserData expected = goldenData(), onDisk;
    (c.expected ? c.expected : [&](UserData& d) { c.first(d), c.second(d); })(expected);
    LoadBenutzer(file(), onDisk);
    EXPECT_EQ(onDisk, expected);
    EXPECT_EQ(b.ours, onDisk);
    EXPECT_EQ(b.base, onDisk);
    if (saved.changed.empty()) {  // not a byte written
        EXPECT_EQ(readFile(file()), beforeB);
        EXPECT_EQ(fileStamp(file()), stampBeforeB);
    }
}

const Change kAddsBernd = [](UserData& d) { d.users.push_back({u"Bernd", u"bernd", u"b"}); };

INSTANTIATE_TEST_SUITE_P(
    Cases, UserFileTwoCopies,
    testing::Values(TwoCopiesCase {"AWindowClosedWithoutAChangeWritesNothing", kAddsBernd, [](UserData&) {}, {}},
                    TwoCopiesCase {"PasswordPermissionAndCheckMarkSurviveOtherChanges",
                                   [](UserData& d) {
                                       d.settings.AdminPassword = d.settings.AdminPasswordRepeat = u"neu";
                                       d.settings.EmployeesMayEdit = d.settings.ShowBreakTimeInEvaluation = false;
                                   },
                                   [](UserData& d) {
                                       d.users.erase(d.users.begin());
                                       d.settings.ActivityTextMode = 0;
                                       d.settings.PlaceTexts = u"Halle";
                                   },
                                   {}},
                    TwoCopiesCase {"UsersAreMatchedByLoginNameAndARenamedOneKeepsItsPlace",
                                   [](UserData& d) { d.users[0].UserName = u"juergen"; },
                                   [](UserData& d) { d.users[1].Password = u"neu"; },
                                   {}},
                    TwoCopiesCase {"TheSameUserAndSettingChangedInBothTheLaterSaveWins",
                                   [](UserData& d) {
                                       d.users[0].Password = d.settings.PlaceTexts = d.settings.ActivityTexts = u"A";
                                   },
                                   [](UserData& d) {
                                       d.users[0].Password = d.settings.PlaceTexts = u"B";
                                       d.settings.ActivityTexts = u"A";  // the same text: no clash
                                   },
                                   UserChanges {{{UserChange::Changed, u"jw"}}, {UserSetting::PlaceTexts}}},
                    TwoCopiesCase {"AUserRemovedThereAndChangedHereIsKeptAsChanged",
                                   [](UserData& d) { d.users.pop_back(); },
                                   [](UserData& d) { d.users[1].EmployeeName = u"Anne"; },
                                   UserChanges {{{UserChange::Changed, u"anna"}}, {}},
                                   [](UserData& d) { d.users[1].EmployeeName = u"Anne"; }}),
    [](const auto& info) { return std::string(info.param.name); });

// A copy that saves while another process is in the middle of its save waits for it, and then
// puts its change into what that process wrote.
TEST_F(UserFileTest, ASaveWaitsForAnotherProcessSavingAndKeepsWhatItWrote)
{
    SaveBenutzer(file(), goldenData());
    Copy here(file());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const SaveLock lock(file());
        ::close(ready[0]);
        const char held = lock.held() ? 1 : 0;
        (void)!::write(ready[1], &held, 1);
        ::usleep(300 * 1000);
        UserData other = goldenData();
        kAddsBernd(other);
        SaveBenutzer(file(), other);
        ::_exit(0);
    }
    ::close(ready[1]);
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(held, 1);
    here.ours.users.push_back({u"Carla", u"carla", u"c"});
    here.save(file());
    int status = 0;
    ::waitpid(pid, &status, 0);
    UserData onDisk;
    LoadBenutzer(file(), onDisk);
    ASSERT_EQ(onDisk.users.size(), 4u);
    EXPECT_EQ(onDisk.users[2].UserName, u"carla");  // behind the user it follows here
    EXPECT_EQ(onDisk.users[3].UserName, u"bernd");
}

}  // namespace
}  // namespace horavant
