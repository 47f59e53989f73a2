// What an entry says of a changed record, and of changed users and settings.
#include "journal/change_journal.h"

#include "store/dbf_table.h"
#include "store/text.h"

#include <algorithm>

namespace horavant::journal {
namespace {

void add(std::string& changes, std::string_view name, std::string_view what)
{
    if (!changes.empty())
        changes += "; ";
    changes += name;
    changes += ": ";
    changes += what;
}

void addChange(std::string& changes, std::string_view name, std::u16string_view before, std::u16string_view after)
{
    if (before != after)
        add(changes, name, quotedText(toUtf8(before)) + " → " + quotedText(toUtf8(after)));
}

std::u16string yesNo(bool value)
{
    return value ? u"Ja" : u"Nein";
}

std::u16string fixedList(int mode)
{
    return yesNo(mode != 0);
}

std::string names(const UserRecord& user)
{
    std::string changes;
    add(changes, "Mitarbeiter", quotedText(toUtf8(user.EmployeeName)));
    add(changes, "Benutzername", quotedText(toUtf8(user.UserName)));
    return changes;
}

Entry userEntry(const char* action, const UserRecord& user, std::string changes)
{
    Entry e;
    e.action = action;
    e.subject = toUtf8(user.EmployeeName);
    e.changes = std::move(changes);
    return e;
}

}  // namespace

std::string quotedText(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        out += c;
        if (c == '"')
            out += '"';
    }
    out += '"';
    return out;
}

std::string describeRecordChange(const DbfTable& table, std::span<const std::uint8_t> before,
                                 std::span<const std::uint8_t> after)
{
    std::string changes;
    std::u16string old, now;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const FieldInfo& field = table.field(i);
        old.clear();
        now.clear();
        if (!before.empty())
            DbfTable::decodeField(field, before, old);
        if (!after.empty())
            DbfTable::decodeField(field, after, now);
        const std::string name = toUtf8(field.name);
        if (before.empty() || after.empty()) {
            const std::u16string& value = before.empty() ? now : old;
            if (!value.empty())
                add(changes, name, quotedText(toUtf8(value)));
        } else {
            addChange(changes, name, old, now);
        }
    }
    return changes;
}

std::vector<Entry> userDataChanges(const UserData& before, const UserData& after)
{
    std::vector<Entry> entries;
    const UserList& was = before.users;
    const UserList& is = after.users;
    // Users have no key of their own: pair the unchanged ones first, then those that kept their
    // login name, then those that kept their employee name, then those that kept their place.
    std::vector<int> partner(was.size(), -1);
    std::vector<bool> taken(is.size(), false);
    const auto pair = [&](auto same) {
        for (std::size_t i = 0; i < was.size(); ++i) {
            for (std::size_t j = 0; partner[i] < 0 && j < is.size(); ++j) {
                if (!taken[j] && same(i, j)) {
                    partner[i] = static_cast<int>(j);
                    taken[j] = true;
                }
            }
        }
    };
    pair([&](std::size_t i, std::size_t j) { return was[i] == is[j]; });
    pair([&](std::size_t i, std::size_t j) { return was[i].UserName == is[j].UserName; });
    pair([&](std::size_t i, std::size_t j) { return was[i].EmployeeName == is[j].EmployeeName; });
    pair([&](std::size_t i, std::size_t j) { return i == j; });

    for (std::size_t i = 0; i < was.size(); ++i) {
        if (partner[i] < 0) {
            entries.push_back(userEntry(kUserRemoved, was[i], names(was[i])));
            continue;
        }
        const UserRecord& old = was[i];
        const UserRecord& now = is[static_cast<std::size_t>(partner[i])];
        std::string changes;
        addChange(changes, "Mitarbeiter", old.EmployeeName, now.EmployeeName);
        addChange(changes, "Benutzername", old.UserName, now.UserName);
        const bool renamed = !changes.empty();
        if (old.Password != now.Password)
            add(changes, "Passwort", "geändert");
        if (!changes.empty())
            entries.push_back(userEntry(renamed ? kUserRenamed : kPasswordChanged, now, std::move(changes)));
    }
    for (std::size_t j = 0; j < is.size(); ++j) {
        if (!taken[j])
            entries.push_back(userEntry(kUserAdded, is[j], names(is[j])));
    }

    const ProgramSettings& a = before.settings;
    const ProgramSettings& b = after.settings;
    if (a.AdminPassword != b.AdminPassword) {
        Entry e;
        e.action = kAdminPasswordChanged;
        add(e.changes, "Administratorpasswort",
            b.AdminPassword.empty() ? "entfernt" : (a.AdminPassword.empty() ? "festgelegt" : "geändert"));
        entries.push_back(std::move(e));
    }
    Entry settings;
    settings.action = kSettingsChanged;
    addChange(settings.changes, "Mitarbeiter können Ihre Daten nachträglich bearbeiten", yesNo(a.EmployeesMayEdit),
              yesNo(b.EmployeesMayEdit));
    addChange(settings.changes, "Orte fest vorgeben", fixedList(a.PlaceTextMode), fixedList(b.PlaceTextMode));
    addChange(settings.changes, "Vorgegebene Orte", a.PlaceTexts, b.PlaceTexts);
    addChange(settings.changes, "Tätigkeiten fest vorgeben", fixedList(a.ActivityTextMode),
              fixedList(b.ActivityTextMode));
    addChange(settings.changes, "Vorgegebene Tätigkeiten", a.ActivityTexts, b.ActivityTexts);
    addChange(settings.changes, "Pausenzeit in Auswertung aufführen", yesNo(a.ShowBreakTimeInEvaluation),
              yesNo(b.ShowBreakTimeInEvaluation));
    if (!settings.changes.empty())
        entries.push_back(std::move(settings));
    return entries;
}

}  // namespace horavant::journal
