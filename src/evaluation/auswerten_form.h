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
    QPrinter& printer() { return *m_printer; }

    void DruckenBtnClick();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    // Throws with the program's own text when there is none.
    void findPrinter();

    Services& m_services;
    Ui::TAuswertenForm m_ui;
    std::unique_ptr<QPrinter> m_printer;  // the application's current printer
};

}  // namespace horavant
