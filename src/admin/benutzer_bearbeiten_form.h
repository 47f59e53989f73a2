// The dialog that edits one user: employee name, user name and password (shown in clear).
#pragma once

#include "store/user_model.h"
#include "ui/services.h"
#include "ui_benutzer_bearbeiten_form.h"

#include <QDialog>

#include <optional>

namespace horavant {

class TBenutzerBearbeitenForm : public QDialog {
    Q_OBJECT
public:
    explicit TBenutzerBearbeitenForm(Services& services, QWidget* parent = nullptr);

    // The record to edit: the user list's entry `index`, or a new one.
    void setRecord(const UserRecord& record, std::optional<std::size_t> index = std::nullopt);
    UserRecord record() const;

    // OK: refuses names and a password the user file could not give back, naming the
    // characters, and a user name that another user has; the dialog then stays open with the
    // texts as typed.
    void BitBtn4Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Services& m_services;
    Ui::TBenutzerBearbeitenForm m_ui;
    std::optional<std::size_t> m_index;
};

}  // namespace horavant
