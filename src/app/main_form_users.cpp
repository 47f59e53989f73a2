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
    case UserSetting::AdminPassword: return QStringLiteral("Administrator-Passwort");
    case UserSetting::EmployeesMayEdit: return QStringLiteral("Mitarbeiter können Ihre Daten nachträglich bearbeiten");
    case UserSetting::PlaceTextMode: return QStringLiteral("Vorgabetexte: woher die Orte kommen");
    case UserSetting::PlaceTexts: return QStringLiteral("Vorgabetexte: die festen Orte");
    case UserSetting::ActivityTextMode: return QStringLiteral("Vorgabetexte: woher die Tätigkeiten kommen");
    case UserSetting::ActivityTexts: return QStringLiteral("Vorgabetexte: die festen Tätigkeiten");
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
        m_usersUnreadable = m_services.describe(e);
        throw Error(m_usersUnreadable.toStdString());
    }
}

UserSave TMainForm::SaveBenutzer()
{
    m_services.userData.settings.ShowBreakTimeInEvaluation = showBreaks();
    if (!m_usersUnreadable.isEmpty())
        throw Error(m_usersUnreadable.toStdString());
    UserSave saved;
    try {
        saved = SaveBenutzerChanges(programFile("benutzer.dat"), m_usersBase, m_services.userData, m_usersStamp);
    } catch (const PatternError& e) {
        throw Error(m_services.describe(e).toStdString());
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
