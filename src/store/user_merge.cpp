// Merging one copy's changes of benutzer.dat into the file as another copy left it.
#include "store/user_merge.h"

#include "store/cp1252.h"

#include <optional>
#include <tuple>
#include <utility>

namespace horavant {
namespace {

// A user's key: the login name in capitals, and how many users before it in the list bear the
// same one (an older file may hold several, and users with an empty login name).
using Key = std::pair<std::u16string, int>;

std::vector<Key> keysOf(const UserList& users)
{
    std::vector<Key> keys;
    for (const UserRecord& user : users) {
        Key key {cp1252::toUpper(user.UserName), 0};
        for (const Key& before : keys)
            key.second += before.first == key.first ? 1 : 0;
        keys.push_back(std::move(key));
    }
    return keys;
}

std::optional<std::size_t> find(const std::vector<Key>& keys, const Key& key)
{
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == key)
            return i;
    }
    return std::nullopt;
}

const UserRecord* recordOf(const UserList& users, const std::vector<Key>& keys, const Key& key)
{
    const auto at = find(keys, key);
    return at ? &users[*at] : nullptr;
}

bool same(const UserRecord* a, const UserRecord* b)
{
    return a == b || (a && b && *a == *b);
}

// The users of `list` with `key` gone or replaced by `record`, or `record` put behind the user of
// `after` (at the front when none is given).
void put(UserList& list, std::vector<Key>& keys, const Key& key, const UserRecord* record,
         std::optional<Key> after = std::nullopt)
{
    if (const auto at = find(keys, key)) {
        if (record) {
            list[*at] = *record;
        } else {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(*at));
            keys.erase(keys.begin() + static_cast<std::ptrdiff_t>(*at));
        }
        return;
    }
    if (!record)
        return;
    const auto before = after ? find(keys, *after) : std::nullopt;
    const auto at = static_cast<std::ptrdiff_t>(before ? *before + 1 : 0);
    list.insert(list.begin() + at, *record);
    keys.insert(keys.begin() + at, key);
}

}  // namespace

UserMerge mergeUserData(const UserData& base, const UserData& ours, const UserData& theirs)
{
    UserMerge m {theirs, theirs, {}, {}};

    const auto setting = [&](UserSetting which, auto item) {
        const auto mine = item(ours.settings);
        const auto was = item(base.settings);
        if (mine == was)
            return;
        m.changed.settings.push_back(which);
        const auto now = item(theirs.settings);
        item(m.merged.settings) = mine;
        if (now != was && now != mine) {
            m.clashes.settings.push_back(which);
            item(m.base.settings) = was;
        }
    };
    setting(UserSetting::AdminPassword, [](auto& s) { return std::tie(s.AdminPassword, s.AdminPasswordRepeat); });
    setting(UserSetting::EmployeesMayEdit, [](auto& s) { return std::tie(s.EmployeesMayEdit); });
    setting(UserSetting::PlaceTextMode, [](auto& s) { return std::tie(s.PlaceTextMode); });
    setting(UserSetting::PlaceTexts, [](auto& s) { return std::tie(s.PlaceTexts); });
    setting(UserSetting::ActivityTextMode, [](auto& s) { return std::tie(s.ActivityTextMode); });
    setting(UserSetting::ActivityTexts, [](auto& s) { return std::tie(s.ActivityTexts); });
    setting(UserSetting::ShowBreakTimeInEvaluation, [](auto& s) { return std::tie(s.ShowBreakTimeInEvaluation); });

    const std::vector<Key> baseKeys = keysOf(base.users);
    const std::vector<Key> ourKeys = keysOf(ours.users);
    const std::vector<Key> theirKeys = keysOf(theirs.users);
    std::vector<Key> mergedKeys = theirKeys;
    std::vector<Key> baseNextKeys = theirKeys;
    // Ours in its order first, so that a user added behind another one finds it in place; then
    // the users ours removed.
    std::vector<Key> keys = ourKeys;
    for (const Key& key : baseKeys) {
        if (!find(ourKeys, key))
            keys.push_back(key);
    }
    for (const Key& key : keys) {
        const UserRecord* was = recordOf(base.users, baseKeys, key);
        const UserRecord* mine = recordOf(ours.users, ourKeys, key);
        if (same(was, mine))
            continue;
        const UserChange change {!was    ? UserChange::Added
                                 : !mine ? UserChange::Removed
                                         : UserChange::Changed,
                                 (mine ? mine : was)->UserName};
        m.changed.users.push_back(change);
        const UserRecord* now = recordOf(theirs.users, theirKeys, key);
        if (!same(now, was) && !same(now, mine)) {
            m.clashes.users.push_back(change);
            put(m.base.users, baseNextKeys, key, was);
        }
        // Behind the nearest user before it in ours that the file still has.
        std::optional<Key> after;
        for (std::size_t j = find(ourKeys, key).value_or(0); j-- > 0 && !after;) {
            if (find(mergedKeys, ourKeys[j]))
                after = ourKeys[j];
        }
        put(m.merged.users, mergedKeys, key, mine, after);
    }
    return m;
}

}  // namespace horavant
