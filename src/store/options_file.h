// options.dat: the language chosen in the login window, one 32-bit little-endian number.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace horavant {

// The languages are the translation store's columns: 0 German, 1 English, 2 Spanish, up to 29.
constexpr std::int32_t kLanguageCount = 30;
// The language of a file that holds none.
constexpr std::int32_t kDefaultLanguage = 0;

// The language of a locale name as the desktop sets it ("es_ES.UTF-8", "en", "de_AT@euro"): 1 for
// English, 2 for Spanish, 0 for German and every other language, as the installation chooses.
std::int32_t languageOfLocale(std::string_view locale);
// The desktop's language: that of the first of LC_ALL, LC_MESSAGES and LANG that is set.
std::int32_t desktopLanguage();

// The stored language; nullopt when the file is missing, unreadable, shorter than 4 bytes or
// holds a number outside 0 ... 29. Bytes after the first 4 are ignored.
std::optional<std::int32_t> LoadOptionsFile(const std::filesystem::path& file);

// Replaces the file atomically with the 4 bytes of language; any failure is silent and leaves
// the old file in place.
void SaveOptionsFile(const std::filesystem::path& file, std::int32_t language);

}  // namespace horavant
