// The administrator password prompt and the check that guards the administration.
#pragma once

#include "ui/services.h"
#include "ui_admin_pass_form.h"

#include <QDialog>

namespace horavant {

class TAdminPassForm : public QDialog {
    Q_OBJECT
public:
    explicit TAdminPassForm(Services& services, QWidget* parent = nullptr);

    // True when access is granted: at once while no password is set, else after the right one.
    bool IsAdmin();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Services& m_services;
    Ui::TAdminPassForm m_ui;
};

}  // namespace horavant
