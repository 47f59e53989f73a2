// The administrator menu window.
#include "admin/admin_form.h"

#include "store/user_file.h"
#include "ui/message_boxes.h"
#include "ui/window_settings.h"

namespace horavant {

TAdminForm::TAdminForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 400, 230, Sizing::Fixed);
    ignoreEscape(this);
    connect(m_ui.BitBtnXP1, &QPushButton::clicked, this, &TAdminForm::BitBtnXP1Click);
}

void TAdminForm::showEvent(QShowEvent* event)
{
    // The password is kept in the user file only, not in the settings store.
    const ProgramSettings& s = m_services.userData.settings;
    m_ui.Edit1->setText(qs(s.AdminPassword));
    m_ui.Edit2->setText(qs(s.AdminPasswordRepeat));
    m_ui.CheckBox1->setChecked(s.EmployeesMayEdit);
    restorePlacement(*m_services.settings(), this);
    QDialog::showEvent(event);
    m_ui.Edit1->setFocus();
}

void TAdminForm::BitBtnXP1Click()
{
    if (m_ui.Edit1->text() != m_ui.Edit2->text()) {
        showError(this, m_services.message(5));
        return;
    }
    // A password the user file cannot give back would lock the administrator out at the next start.
    const QString lines = characterLines({{m_ui.Label1->text(), unstorableInAdminPassword(u16(m_ui.Edit1->text()))}});
    if (!lines.isEmpty()) {
        showError(this, m_services.translate(QStringLiteral("Diese Zeichen können nicht gespeichert werden:")) + u'\n'
                            + lines);
        return;
    }
    ProgramSettings& s = m_services.userData.settings;
    s.AdminPassword = u16(m_ui.Edit1->text());
    s.AdminPasswordRepeat = u16(m_ui.Edit2->text());
    s.EmployeesMayEdit = m_ui.CheckBox1->isChecked();
    accept();
}

void TAdminForm::done(int result)
{
    savePlacement(*m_services.settings(), this);
    QDialog::done(result);
}

}  // namespace horavant
