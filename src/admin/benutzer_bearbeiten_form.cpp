// The user editing dialog.
#include "admin/benutzer_bearbeiten_form.h"

#include "recording/login.h"
#include "store/user_file.h"
#include "ui/message_boxes.h"
#include "ui/window_setup.h"

namespace horavant {

TBenutzerBearbeitenForm::TBenutzerBearbeitenForm(Services& services, QWidget* parent)
    : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 360, 220, Sizing::Fixed);
    connect(m_ui.BitBtn4, &QPushButton::clicked, this, &TBenutzerBearbeitenForm::BitBtn4Click);
    connect(m_ui.BitBtn5, &QPushButton::clicked, this, &QDialog::reject);
}

void TBenutzerBearbeitenForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_ui.LabeledEdit1->setFocus();
}

void TBenutzerBearbeitenForm::setRecord(const UserRecord& record, std::optional<std::size_t> index)
{
    m_index = index;
    m_ui.LabeledEdit1->setText(qs(record.EmployeeName));
    m_ui.LabeledEdit2->setText(qs(record.UserName));
    m_ui.LabeledEdit3->setText(qs(record.Password));
}

UserRecord TBenutzerBearbeitenForm::record() const
{
    return {u16(m_ui.LabeledEdit1->text()), u16(m_ui.LabeledEdit2->text()), u16(m_ui.LabeledEdit3->text())};
}

void TBenutzerBearbeitenForm::BitBtn4Click()
{
    const UserRecord typed = record();
    const QString lines = characterLines({{m_ui.LabeledEdit1Label->text(), unstorableInName(typed.EmployeeName)},
                                          {m_ui.LabeledEdit2Label->text(), unstorableInName(typed.UserName)},
                                          {m_ui.LabeledEdit3Label->text(), unstorableInPassword(typed.Password)}});
    if (!lines.isEmpty()) {
        showError(this, m_services.translate(QStringLiteral("Diese Zeichen können nicht gespeichert werden:")) + u'\n'
                            + lines);
        return;
    }
    // The login would find only the first of two users of one name.
    const UserList& users = m_services.userData.users;
    if (const auto other = findUserNameTaken(users, typed.UserName, m_index)) {
        showError(this, m_services
                            .translate(QStringLiteral("Den Benutzernamen „%1“ hat schon %2. Bitte wählen Sie "
                                                      "einen anderen."))
                            .arg(qs(users[*other].UserName), qs(users[*other].EmployeeName)));
        m_ui.LabeledEdit2->setFocus();
        return;
    }
    accept();
}

}  // namespace horavant
