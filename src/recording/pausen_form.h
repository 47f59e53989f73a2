// The break window: up to five break intervals, summed into the recording window's break field.
#pragma once

#include "recording/breaks.h"
#include "ui/services.h"
#include "ui_pausen_form.h"

#include <QDialog>
#include <array>

class QTimeEdit;

namespace horavant {

class TPausenForm : public QDialog {
    Q_OBJECT
public:
    explicit TPausenForm(Services& services, QWidget* parent = nullptr);

    void resetIntervals();
    std::array<BreakInterval, 5> intervals() const;
    bool listInRemarks() const { return m_ui.PauseBemerkCheck->isChecked(); }

    // Every close, whatever the button, saves the check box and the placement.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<QTimeEdit*, 10> pickers() const;

    Services& m_services;
    Ui::TPausenForm m_ui;
};

}  // namespace horavant
