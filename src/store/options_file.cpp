// Reading and writing options.dat.
#include "store/options_file.h"

#include "store/byte_io.h"
#include "store/error.h"
#include "store/posix_file.h"

#include <cstdlib>

namespace horavant {
namespace {
constexpr std::size_t kLanguageOffset = 0;
constexpr std::size_t kLanguageSize = 4;
}  // namespace

std::optional<std::int32_t> LoadOptionsFile(const std::filesystem::path& file)
{
    std::optional<std::string> bytes;
    try {
        bytes = readWholeFile(file);
    } catch (const IoError&) {
        return std::nullopt;
    }
    if (!bytes || bytes->size() < kLanguageOffset + kLanguageSize)
        return std::nullopt;
    const auto language = static_cast<std::int32_t>(
        getU32le(reinterpret_cast<const std::uint8_t*>(bytes->data() + kLanguageOffset)));
    if (language < 0 || language >= kLanguageCount)
        return std::nullopt;
    return language;
}

std::int32_t languageOfLocale(std::string_view locale)
{
    const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
    if (language == "en")
        return 1;
    if (language == "es")
        return 2;
    return 0;
}

std::int32_t desktopLanguage()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return languageOfLocale(value);
    }
    return 0;
}

void SaveOptionsFile(const std::filesystem::path& file, std::int32_t language)
{
    std::uint8_t bytes[kLanguageSize];
    putU32le(bytes, static_cast<std::uint32_t>(language));
    try {
        saveFileAtomically(file, {reinterpret_cast<const char*>(bytes), kLanguageSize});
    } catch (const IoError&) {
        // The choice is then lost at the next start; the program says nothing about it.
    }
}

}  // namespace horavant
