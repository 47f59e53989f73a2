// options.dat: what counts as a stored language, the bytes written, silent failures.
#include "store/options_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace horavant {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

struct Stored {
    const char* name;
    std::string bytes;
    std::optional<std::int32_t> language;
};

class OptionsFileLoad : public testing::TestWithParam<Stored> {};

TEST_P(OptionsFileLoad, TakesOnlyAValidLanguageFromTheFirstFourBytes)
{
    TempDir dir;
    writeFile(dir / "options.dat", GetParam().bytes);
    EXPECT_EQ(LoadOptionsFile(dir / "options.dat"), GetParam().language);
}

INSTANTIATE_TEST_SUITE_P(Files, OptionsFileLoad,
                         testing::Values(Stored {"German", std::string("\0\0\0\0", 4), 0},
                                         Stored {"English", std::string("\x01\0\0\0", 4), 1},
                                         Stored {"LastColumn", std::string("\x1D\0\0\0", 4), 29},
                                         Stored {"BeyondTheColumns", std::string("\x1E\0\0\0", 4), std::nullopt},
                                         Stored {"Negative", std::string("\xFF\xFF\xFF\xFF", 4), std::nullopt},
                                         Stored {"HighByteSet", std::string("\x01\0\0\x01", 4), std::nullopt},
                                         Stored {"Empty", "", std::nullopt},
                                         Stored {"ThreeBytes", std::string("\x01\0\0", 3), std::nullopt},
                                         Stored {"Longer", std::string("\x01\0\0\0\x02\0\0\0", 8), 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsFile, TheDesktopsLocaleGivesEnglishSpanishOrElseGerman)
{
    for (const auto& [locale, language] : std::vector<std::pair<std::string_view, int>> {{"en_GB.UTF-8", 1},
                                                                                         {"en", 1},
                                                                                         {"es_MX.UTF-8", 2},
                                                                                         {"es_ES@euro", 2},
                                                                                         {"de_DE.UTF-8", 0},
                                                                                         {"fr_FR.UTF-8", 0},
                                                                                         {"C.UTF-8", 0},
                                                                                         {"", 0},
                                                                                         {"eng", 0}})
        EXPECT_EQ(languageOfLocale(locale), language) << locale;
}

TEST(OptionsFile, AMissingFileHasNoLanguage)
{
    TempDir dir;
    EXPECT_EQ(LoadOptionsFile(dir / "options.dat"), std::nullopt);
}

TEST(OptionsFile, PickingEnglishWritesFourBytesOverALongerFile)
{
    TempDir dir;
    writeFile(dir / "options.dat", "garbage and more");
    SaveOptionsFile(dir / "options.dat", 1);
    EXPECT_EQ(readFile(dir / "options.dat"), std::string("\x01\0\0\0", 4));
}

TEST(OptionsFile, FailedSavesAreSilentAndKeepTheOldFile)
{
    TempDir dir;
    EXPECT_NO_THROW(SaveOptionsFile(dir / "missing" / "options.dat", 0));
    SaveOptionsFile(dir / "options.dat", 2);
    {
        test::FileSizeLimit limit(2);
        EXPECT_NO_THROW(SaveOptionsFile(dir / "options.dat", 0));
    }
    EXPECT_EQ(readFile(dir / "options.dat"), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace horavant
