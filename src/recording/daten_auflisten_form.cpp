// The data list window.
#include "recording/daten_auflisten_form.h"

#include "store/dbf_table.h"
#include "store/work_time_fields.h"
#include "ui/data_grid.h"
#include "ui/error_report.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/work_time_model.h"

namespace horavant {

TDatenAuflistenForm::TDatenAuflistenForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 549, 400, Sizing::Resizable);
    ignoreEscape(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    // The same model as the main window's grid, on the same open table.
    m_grid = new DataGrid(
        m_ui.DBGrid1, m_ui.DBNavigator1, &m_windows.main->model(),
        [this] { return askYesNoCancel(this, m_services.translate(QStringLiteral("Datensatz löschen?"))); }, this);
    connect(m_ui.BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
}

void TDatenAuflistenForm::showList(const std::u16string& employee, bool mayEdit)
{
    DbfTable& table = m_windows.main->workTimeTable();
    const bool filtered = guarded(this, [&] {
        table.takeInAppended();
        table.setFiltered(true);
        table.setReadOnly(!mayEdit);
    });
    WorkTimeModel& model = m_windows.main->model();
    // The list is never shown over everybody's rows, and a filter that failed half-way is not
    // left on for the grid, the suggestions and the evaluations.
    if (!filtered) {
        try {
            table.setFiltered(false);
        } catch (const std::exception&) {
            // Switched off all the same; the error shown already is the one that counts.
        }
        model.reload();
        return;
    }
    // A row inserted here gets the employee's name, so it stays in the employee's own list.
    model.setInsertDefaults({{workfield::kEmployee, employee}});
    model.reload();
    m_grid->hideColumn(workfield::kEmployee);
    m_grid->updateButtons();
    exec();
}

void TDatenAuflistenForm::done(int result)
{
    if (!guarded(this, [this] { m_grid->postPending(); }))
        return;
    DbfTable& table = m_windows.main->workTimeTable();
    guarded(this, [&] {
        table.setReadOnly(false);
        table.setFiltered(false);
    });
    WorkTimeModel& model = m_windows.main->model();
    model.setInsertDefaults({});
    // The whole table's rows are counted when the main window shows them.
    model.reloadLater();
    QDialog::done(result);
}

}  // namespace horavant
