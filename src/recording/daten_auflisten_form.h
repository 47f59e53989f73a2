// The data list: the logged-in employee's own rows in a grid over the shared work-time table,
// editable only when the administrator allows it.
#pragma once

#include "ui/services.h"
#include "ui/windows.h"
#include "ui_daten_auflisten_form.h"

#include <QDialog>

namespace horavant {

class DataGrid;

class TDatenAuflistenForm : public QDialog {
    Q_OBJECT
public:
    TDatenAuflistenForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    // Shows the employee's own rows of the work-time table modally, read-only unless `mayEdit`.
    // Rows inserted here belong to the employee.
    void showList(const std::u16string& employee, bool mayEdit);

    // A pending edit is written before the window closes; if that fails the window stays open.
    // Otherwise the table is made writable and whole again, and the grid's model re-read, before
    // the window goes, so that nothing the next window does sees them filtered.
    void done(int result) override;

private:
    Services& m_services;
    const Windows& m_windows;
    Ui::TDatenAuflistenForm m_ui;
    DataGrid* m_grid = nullptr;
};

}  // namespace horavant
