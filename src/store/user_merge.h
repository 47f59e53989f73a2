// Two copies of the program on one folder each change benutzer.dat: what one copy changed since
// it read the file, put into the file as the other copy left it.
#pragma once

#include "store/user_model.h"

#include <string>
#include <vector>

namespace horavant {

// The items of the file that change on their own: each administrator setting, each text list.
// The administrator password and its repetition are set together, so they are one item.
enum class UserSetting {
    AdminPassword,
    EmployeesMayEdit,
    PlaceTextMode,
    PlaceTexts,
    ActivityTextMode,
    ActivityTexts,
    ShowBreakTimeInEvaluation,
};

struct UserChange {
    enum Kind { Added, Changed, Removed };
    Kind kind = Changed;
    std::u16string userName;  // the login name; of a removed user, as it was
    bool operator==(const UserChange&) const = default;
};

// What changed between two states of the file: users by their login name (ignoring letter case,
// as the program keeps them apart), the settings one by one.
struct UserChanges {
    std::vector<UserChange> users;
    std::vector<UserSetting> settings;
    bool empty() const { return users.empty() && settings.empty(); }
    bool operator==(const UserChanges&) const = default;
};

struct UserMerge {
    // theirs with every item that ours changed since base taken from ours.
    UserData merged;
    // theirs, except that an item both changed keeps base's value: merging ours into the file
    // again later finds the clash again.
    UserData base;
    // What ours changed since base.
    UserChanges changed;
    // Of those, the items theirs changed as well, to another value: ours wins.
    UserChanges clashes;
};

// base: the file as this copy last read or wrote it; ours: what this copy holds now; theirs: the
// file as it is now. A user ours added goes behind the user it follows in ours, so a user whose
// login name was changed keeps its place.
UserMerge mergeUserData(const UserData& base, const UserData& ours, const UserData& theirs);

}  // namespace horavant
