// The absences of abwesend.dbf: listed for everybody or one employee, added and deleted; an
// absence that ends before it begins or overlaps another of the same employee is refused.
#pragma once

#include "store/timesheet_tables.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "ui_abwesenheiten_form.h"

#include <QDialog>
#include <filesystem>
#include <vector>

namespace horavant {

class TAbwesenheitenForm : public QDialog {
    Q_OBJECT
public:
    TAbwesenheitenForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    void HinzufuegenBtnClick();
    void LoeschenBtnClick();
    void FilterEdChange();
    void ListView1SelectItem();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Reads the table again and lists the rows the filter lets through.
    void fillList();
    const StoredRow* selected() const;
    std::filesystem::path folder() const;

    Services& m_services;
    const Windows& m_windows;
    Ui::TAbwesenheitenForm m_ui;
    std::vector<StoredRow> m_rows;  // the listed ones, in the list's order
    bool m_filling = false;
    bool m_datesSet = false;
};

}  // namespace horavant
