// The administration window's part in the user file: its load, the save of what this copy
// changed into the file as it is now, and taking in what another copy saved.
#include "app/main_form.h"

#include "admin/admin_form.h"
#include "admin/admin_pass_form.h"
#include "admin/benutzer_verwalten_form.h"
#include "recording/einloggen_form.h"
#include "recording/vorgabe_texte_form.h"
#include "store/error.h"
#include "store/user_file.h"
#include "ui/error_report.h"
#include "ui/message_boxes.h"

namespace horavant {
namespace {

QString userSettingName(UserSetting setting)
{
    switch (setting) {
    case UserSetting::AdminPassword: return QStringLiteral("Administratorpasswort");
    case UserSetting::EmployeesMayEdit: return QStringLiteral("Mitarbeiter können Ihre Daten nachträglich bearbeiten");
    case UserSetting::PlaceTextMode: return QStringLiteral("Orte fest vorgeben");
    case UserSetting::PlaceTexts: return QStringLiteral("Vorgegebene Orte");
    case UserSetting::ActivityTextMode: return QStringLiteral("Tätigkeiten fest vorgeben");
    case UserSetting::ActivityTexts: return QStringLiteral("Vorgegebene Tätigkeiten");
    case UserSetting::ShowBreakTimeInEvaluation: return QStringLiteral("Pausenzeit in Auswertung aufführen");
    }
    return {};
}

}  // namespace

void TMainForm::LoadBenutzer()
{
    const auto file = programFile("benutzer.dat");
    m_usersStamp = fileStamp(file);
    try {
        horavant::LoadBenutzer(file, m_services.userData);
        m_usersBase = m_services.userData;
        m_usersUnreadable.clear();
    } catch (const PatternError& e) {
        // While the file cannot be read, nobody is let in as administrator (its password is
        // unknown) and nothing is saved over it.
        m_usersBase = m_services.userData;
        m_usersUnreadable = m_services.describe(e);
        throw Error(m_usersUnreadable.toStdString());
    } catch (...) {
        // Damaged: what was read before the damage counts as read.
        m_usersBase = m_services.userData;
        throw;
    }
}

UserSave TMainForm::SaveBenutzer()
{
    m_services.userData.settings.ShowBreakTimeInEvaluation = showBreaks();
    if (!m_usersUnreadable.isEmpty())
        throw Error(m_usersUnreadable.toStdString());
    UserSave saved;
    bool journalFailed = false;
    try {
        saved = SaveBenutzerChanges(programFile("benutzer.dat"), m_usersBase, m_services.userData, m_usersStamp,
                                    [this, &journalFailed](const UserData& now, const UserData& next) {
                                        journalFailed = true;
                                        m_services.journal.userDataSaved(Dbf1, now, next);
                                        journalFailed = false;
                                    });
    } catch (...) {
        // No change without its entry: the program goes on with the users and settings read last.
        if (journalFailed) {
            m_services.userData = m_usersBase;
            m_ui.PausenzeitinAuswertungauffhren1->setChecked(m_usersBase.settings.ShowBreakTimeInEvaluation);
        }
        try {
            throw;
        } catch (const PatternError& e) {
            throw Error(m_services.describe(e).toStdString());
        }
    }
    m_ui.PausenzeitinAuswertungauffhren1->setChecked(m_services.userData.settings.ShowBreakTimeInEvaluation);
    return saved;
}

void TMainForm::saveUsersAfterDialog()
{
    UserSave saved;
    if (!guarded(this, [&] { saved = SaveBenutzer(); }) || saved.clashes.empty())
        return;
    QStringList items;
    for (const UserChange& user : saved.clashes.users)
        items << m_services.translate(QStringLiteral("Benutzer „%1“")).arg(qs(user.userName));
    for (const UserSetting setting : saved.clashes.settings)
        items << m_services.translate(userSettingName(setting));
    showInformation(this, m_services.translate(QStringLiteral("Eine andere Kopie des Programms hatte inzwischen "
                                                              "auch geändert, was Sie geändert haben. Gespeichert "
                                                              "ist jetzt Ihre Fassung von:"))
                              + u'\n' + items.join(u'\n'));
}

void TMainForm::reloadUsersIfChanged()
{
    // A file made readable again changes no stamp that is looked at (its permissions): it is
    // tried each time.
    if (!m_usersUnreadable.isEmpty()) {
        try {
            LoadBenutzer();
        } catch (const Error&) {
        }
    } else {
        // The check mark counts as changed here only when it was toggled since the last save.
        m_services.userData.settings.ShowBreakTimeInEvaluation = showBreaks();
        ReloadBenutzerIfChanged(programFile("benutzer.dat"), m_usersBase, m_services.userData, m_usersStamp);
    }
    m_ui.PausenzeitinAuswertungauffhren1->setChecked(m_services.userData.settings.ShowBreakTimeInEvaluation);
}

bool TMainForm::IsAdmin()
{
    if (!m_usersUnreadable.isEmpty()) {
        showError(isVisible() ? static_cast<QWidget*>(this) : m_windows.einloggen, m_usersUnreadable);
        return false;
    }
    return m_windows.adminPass->IsAdmin();
}

void TMainForm::Benutzerverwalten1Click()
{
    reloadUsersIfChanged();
    m_windows.benutzerVerwalten->exec();
    saveUsersAfterDialog();
}

void TMainForm::AdministratorPasswortfestlegen1Click()
{
    reloadUsersIfChanged();
    if (!IsAdmin())
        return;
    m_windows.admin->exec();
    saveUsersAfterDialog();
}

void TMainForm::VorgabetextefrdasAusfllenfestlegen1Click()
{
    reloadUsersIfChanged();
    m_windows.vorgabeTexte->exec();
    saveUsersAfterDialog();
}

}  // namespace horavant
