// Which user entry a login matches.
#include "recording/login.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

const UserList kUsers = {
    {u"Anna Groß", u"anna", u"geheim"},   {u"Bert Klein", u"bert", u""}, {u"Zweite Anna", u"anna", u"anders"},
    {u"Dritte Anna", u"anna", u"geheim"}, {u"Niemand", u"", u""},
};

struct LoginCase {
    const char* name;
    std::u16string userName;
    std::u16string password;
    std::optional<std::size_t> expected;

    friend void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }
};

class FindLoginEntry : public testing::TestWithParam<LoginCase> {};

TEST_P(FindLoginEntry, MatchesExactlyAndTakesTheFirst)
{
    EXPECT_EQ(findLoginEntry(kUsers, GetParam().userName, GetParam().password), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FindLoginEntry,
                         testing::Values(LoginCase {"EarlierOfTwoEqualEntriesWins", u"anna", u"geheim", 0},
                                         LoginCase {"SameNameOtherPassword", u"anna", u"anders", 2},
                                         LoginCase {"EmptyPasswordEntry", u"bert", u"", 1},
                                         LoginCase {"EmptyNameNeverLogsIn", u"", u"", std::nullopt},
                                         LoginCase {"NameCase", u"Anna", u"geheim", std::nullopt},
                                         LoginCase {"PasswordCase", u"anna", u"Geheim", std::nullopt},
                                         LoginCase {"TrailingBlankInName", u"anna ", u"geheim", std::nullopt},
                                         LoginCase {"TrailingBlankInPassword", u"anna", u"geheim ", std::nullopt},
                                         LoginCase {"WrongPassword", u"bert", u"x", std::nullopt},
                                         LoginCase {"UnknownName", u"carla", u"", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

// Two users of one login name would be one user at the login: the first.
TEST(FindUserNameTaken, AnotherEntryOfTheNameInAnyLetterCase)
{
    EXPECT_EQ(findUserNameTaken(kUsers, u"BERT", std::nullopt), 1u);
    EXPECT_EQ(findUserNameTaken(kUsers, u"Anna", 0), 2u);
    EXPECT_EQ(findUserNameTaken(kUsers, u"bert", 1), std::nullopt);
    EXPECT_EQ(findUserNameTaken({{u"Jörg", u"jörg", u""}}, u"JÖRG", std::nullopt), 0u);
    EXPECT_EQ(findUserNameTaken(kUsers, u"carla", std::nullopt), std::nullopt);
    EXPECT_EQ(findUserNameTaken(kUsers, u"", std::nullopt), std::nullopt);
}

TEST(FindLoginEntryList, EmptyListMatchesNothing)
{
    EXPECT_EQ(findLoginEntry({}, u"anna", u"geheim"), std::nullopt);
}

}  // namespace
}  // namespace horavant
