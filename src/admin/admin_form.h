// The administrator menu: the administrator password with its repetition, and whether employees
// may edit their own rows.
#pragma once

#include "ui/services.h"
#include "ui_admin_form.h"

#include <QDialog>

namespace horavant {

class TAdminForm : public QDialog {
    Q_OBJECT
public:
    explicit TAdminForm(Services& services, QWidget* parent = nullptr);

    void BitBtnXP1Click();
    // Closing through the window frame leaves the settings as they were before the window opened.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Services& m_services;
    Ui::TAdminForm m_ui;
};

}  // namespace horavant
