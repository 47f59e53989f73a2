// The users who may log in and the administrator's settings, as the program holds them while it runs.
#pragma once

#include <string>
#include <vector>

namespace horavant {

struct UserRecord {
    std::u16string EmployeeName;  // written into field 1 of every booking the user makes
    std::u16string UserName;  // the login name
    std::u16string Password;  // plain text in memory

    bool operator==(const UserRecord&) const = default;
};

using UserList = std::vector<UserRecord>;

struct ProgramSettings {
    std::u16string AdminPassword;  // empty: no password is asked
    std::u16string AdminPasswordRepeat;
    bool EmployeesMayEdit = false;
    int PlaceTextMode = 0;  // 0 texts from existing rows, 1 the fixed list
    std::u16string PlaceTexts;  // one suggestion per line, CR LF between lines
    std::u16string ActivityTexts;
    int ActivityTextMode = 0;
    bool ShowBreakTimeInEvaluation = false;

    bool operator==(const ProgramSettings&) const = default;
};

// What benutzer.dat holds.
struct UserData {
    UserList users;
    ProgramSettings settings;

    bool operator==(const UserData&) const = default;
};

}  // namespace horavant
