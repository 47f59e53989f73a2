// The output window of the evaluations: the report as editable text, printed on the current printer.
#pragma once

#include "ui/services.h"
#include "ui_auswerten_form.h"

#include <QDialog>
#include <QPrinter>
#include <memory>
#include <string>
#include <vector>

namespace horavant {

class TAuswertenForm : public QDialog {
    Q_OBJECT
public:
    explicit TAuswertenForm(Services& services, QWidget* parent = nullptr);
    ~TAuswertenForm() override;

    // Replaces the text by the report, one paragraph per line.
    void setReport(const std::vector<std::u16string>& lines);
    // The application's current printer, asked of the printing system when first needed: the
    // window is created at start-up, long before anything is printed.
    QPrinter& printer();

    void DruckenBtnClick();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void requirePrinter();

    Services& m_services;
    Ui::TAuswertenForm m_ui;
    std::unique_ptr<QPrinter> m_printer;
};

}  // namespace horavant
