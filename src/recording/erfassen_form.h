// The recording window: an employee enters a work period, which is checked, compared with the
// employee's other periods of the day, and appended to the work-time table.
#pragma once

#include "recording/suggestions.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "ui_erfassen_form.h"

#include <QDate>
#include <QDialog>

namespace horavant {

class TErfassenForm : public QDialog {
    Q_OBJECT
public:
    TErfassenForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    void setRecordingDate(const QDate& date);
    void setSuggestions(const SuggestionLists& lists);
    // The line under the buttons with the employee's balance; empty without an account.
    void setBalance(const QString& text);

    void ErfassenBtnClick();
    void PauseBtnClick();
    void EditBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Services& m_services;
    const Windows& m_windows;
    Ui::TErfassenForm m_ui;
};

}  // namespace horavant
