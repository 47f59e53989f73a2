// The administrator password prompt.
#include "admin/admin_pass_form.h"

#include "ui/message_boxes.h"

namespace horavant {

TAdminPassForm::TAdminPassForm(Services& services, QWidget* parent) : QDialog(parent), m_services(services)
{
    m_ui.setupUi(this);
    setupWindow(this, 320, 130, Sizing::Fixed);
    connect(m_ui.BitBtnXP1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui.BitBtnXP2, &QPushButton::clicked, this, &QDialog::reject);
}

void TAdminPassForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_ui.Edit1->setFocus();
}

bool TAdminPassForm::IsAdmin()
{
    const std::u16string& password = m_services.userData.settings.AdminPassword;
    if (password.empty())
        return true;
    m_ui.Edit1->clear();
    if (exec() != QDialog::Accepted)
        return false;
    if (u16(m_ui.Edit1->text()) == password)
        return true;
    showError(this, m_services.message(19));
    return false;
}

}  // namespace horavant
