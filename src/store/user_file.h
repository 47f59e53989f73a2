// benutzer.dat: the users and the administrator's settings, with the passwords scrambled.
#pragma once

#include "store/posix_file.h"
#include "store/user_merge.h"
#include "store/user_model.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace horavant {

// Replaces the users and the settings the file holds; settings of tail sections the file lacks
// keep their values. A missing file changes nothing, silently; a file that can be read but not
// written is loaded. A file that is there but cannot be read (its permissions, an input/output
// error) changes nothing and throws PatternError(kUsersUnreadable). A damaged file keeps what was
// read before the damage in data and throws IoError.
void LoadBenutzer(const std::filesystem::path& file, UserData& data);

// Replaces the file atomically (in place where the folder takes no new file). A save that fails
// throws PatternError(kUsersNotSaved) and leaves the old file as it was.
void SaveBenutzer(const std::filesystem::path& file, const UserData& data);

// The texts of the user file's failures, German, with %s for the file and the system's reason.
inline constexpr const char* kUsersUnreadable
    = "Die Benutzerdatei %s kann nicht gelesen werden (%s). Solange das so ist, kann sich niemand als "
      "Administrator anmelden, und die Benutzer werden nicht gespeichert.";
inline constexpr const char* kUsersNotSaved
    = "Die Benutzerdatei %s konnte nicht gespeichert werden (%s). Die Änderungen an den Benutzern und "
      "Einstellungen gehen beim Beenden des Programms verloren.";

// Two copies of the program on one folder each hold the users in memory: `base` is the file as
// this copy last read or wrote it, `ours` what it holds now, and `stamp` the file's version then.
//
// Saves what ours changed since base into the file as it is now, under the file's save lock: the
// file is read again, ours' changes are put into it (users by login name, each setting on its
// own, see mergeUserData), and the result is written when it differs from the file, so a copy
// that changed nothing writes nothing. base and ours then hold what the file holds. A file that
// is gone or damaged is replaced by ours whole; one that cannot be read throws
// PatternError(kUsersUnreadable) and stays as it is; a failed save throws
// PatternError(kUsersNotSaved) and changes neither base nor ours. `beforeWrite`, when given, is
// told under the lock what the file holds and what is about to replace it; when it throws,
// nothing is written.
struct UserSave {
    UserChanges changed;  // what this copy changed since it read the file
    UserChanges clashes;  // of those, what another copy had changed as well: this copy's change holds
};
using UserWriteHook = std::function<void(const UserData& now, const UserData& next)>;
UserSave SaveBenutzerChanges(const std::filesystem::path& file, UserData& base, UserData& ours,
                             std::optional<FileStamp>& stamp, const UserWriteHook& beforeWrite = {});
// Takes in what another copy saved since stamp: ours keeps what it changed since base and takes
// the rest from the file. True when ours changed. A file that is gone or damaged changes nothing.
bool ReloadBenutzerIfChanged(const std::filesystem::path& file, UserData& base, UserData& ours,
                             std::optional<FileStamp>& stamp);

// What a save and a load of the file would not give back: the characters of a text that come
// back different, each once, in the order they first appear (a character beyond 16 bits as its
// two units). Names are stored as Windows-1252 bytes; passwords are shifted first; the
// administrator password is stored both ways, as typed and shifted as its repetition.
std::vector<std::u16string> unstorableInName(std::u16string_view name);
std::vector<std::u16string> unstorableInPassword(std::u16string_view password);
std::vector<std::u16string> unstorableInAdminPassword(std::u16string_view password);

// Each UTF-16 unit plus 4, then Windows-1252 bytes: how passwords are stored.
std::string scramblePassword(std::u16string_view password);
// Windows-1252 bytes to UTF-16, then each unit minus 4.
std::u16string unscramblePassword(std::string_view stored);

}  // namespace horavant
