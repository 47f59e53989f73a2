// benutzer.dat: the users and the administrator's settings, with the passwords scrambled.
#pragma once

#include "store/user_model.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace horavant {

// Replaces the users and the settings the file holds; settings of tail sections the file lacks
// keep their values. A missing or unreadable file changes nothing, silently; a file that can be
// read but not written is loaded. A damaged file keeps what was read before the damage in data
// and throws IoError.
void LoadBenutzer(const std::filesystem::path& file, UserData& data);

// Replaces the file atomically. Silent when the file cannot be created; a failed write throws
// IoError and leaves the old file as it was.
void SaveBenutzer(const std::filesystem::path& file, const UserData& data);

// Each UTF-16 unit plus 4, then Windows-1252 bytes: how passwords are stored.
std::string scramblePassword(std::u16string_view password);
// Windows-1252 bytes to UTF-16, then each unit minus 4.
std::u16string unscramblePassword(std::string_view stored);

}  // namespace horavant
