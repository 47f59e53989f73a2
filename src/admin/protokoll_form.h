// The change journal's window: its entries newest first, filtered by employee and period, the
// check of the journal and the table, and the entries saved as CSV or PDF.
#pragma once

#include "journal/journal_view.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "ui_protokoll_form.h"

#include <QDialog>

namespace horavant {

class JournalModel;

class TProtokollForm : public QDialog {
    Q_OBJECT
public:
    TProtokollForm(Services& services, const Windows& windows, QWidget* parent = nullptr);
    ~TProtokollForm() override;

    // Shows the window with every entry of the journal, the newest first.
    void showJournal();

    void PruefenBtnClick();
    void CsvSpeichernBtnClick();
    void PdfSpeichernBtnClick();
    void FilterChange();

private:
    journal::Filter filter() const;
    // The entries the filter lets through, with a heading that says which.
    ReportTable report() const;

    Services& m_services;
    const Windows& m_windows;
    Ui::TProtokollForm m_ui;
    JournalModel* m_model = nullptr;
    bool m_filling = false;
};

}  // namespace horavant
