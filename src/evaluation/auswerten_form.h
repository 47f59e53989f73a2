// The output window of the evaluations: the report as editable text, printed on the current
// printer, previewed, saved as PDF, and its table saved as CSV.
#pragma once

#include "evaluation/report_table.h"
#include "ui/services.h"
#include "ui_auswerten_form.h"

#include <QDialog>
#include <QPrinter>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace horavant {

class TAuswertenForm : public QDialog {
    Q_OBJECT
public:
    explicit TAuswertenForm(Services& services, QWidget* parent = nullptr);
    ~TAuswertenForm() override;

    // Replaces the text by the report's lines, one paragraph per line, and keeps the report for
    // its CSV.
    void setReport(ReportTable report);
    const ReportTable& report() const { return m_report; }
    // The application's current printer, asked of the printing system when first needed: the
    // window is created at start-up, long before anything is printed.
    QPrinter& printer();

    void DruckenBtnClick();
    void BitBtn3Click();
    void SeitenansichtBtnClick();
    void PdfSpeichernBtnClick();
    void CsvSpeichernBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void useReportFont();
    // Throws with the program's own text when there is none.
    // False when there is no printer to print on.
    bool findPrinter();
    // Throws the message that there is no default printer when there is none.
    void requirePrinter();
    // The journal's last entry, for the foot of every page printed or saved.
    QString journalFooter() const;
    // The name a saved file gets unless the user types another.
    std::u16string documentName() const;
    void saveAs(const QString& caption, const QString& filter, const QString& suffix,
                const std::function<void(const std::filesystem::path&)>& write);

    Services& m_services;
    Ui::TAuswertenForm m_ui;
    std::unique_ptr<QPrinter> m_printer;
    ReportTable m_report;
    bool m_reportFont = false;
};

}  // namespace horavant
