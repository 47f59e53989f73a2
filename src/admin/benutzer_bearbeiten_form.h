// The dialog that edits one user: employee name, user name and password (shown in clear).
#pragma once

#include "store/user_model.h"
#include "ui_benutzer_bearbeiten_form.h"

#include <QDialog>

namespace horavant {

class TBenutzerBearbeitenForm : public QDialog {
    Q_OBJECT
public:
    explicit TBenutzerBearbeitenForm(QWidget* parent = nullptr);

    void setRecord(const UserRecord& record);
    UserRecord record() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Ui::TBenutzerBearbeitenForm m_ui;
};

}  // namespace horavant
