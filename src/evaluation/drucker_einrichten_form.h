// The printer set-up of the evaluation output: which printer (or a PDF file), which paper, which
// way up. It prints nothing; what it takes over applies to the following prints.
#pragma once

#include "ui/services.h"
#include "ui_drucker_einrichten_form.h"

#include <QDialog>

class QPrinter;

namespace horavant {

class TDruckerEinrichtenForm : public QDialog {
    Q_OBJECT
public:
    // Shows the printer's present settings, in the current language.
    TDruckerEinrichtenForm(Services& services, QPrinter& printer, QWidget* parent = nullptr);

    // Sets the printer as chosen and closes; a PDF file needs its name. A printer is changed only
    // when another one was picked.
    void UebernehmenBtnClick();
    void DateiBtnClick();

private:
    bool pdfChosen() const;
    void DruckerComboChange();

    Services& m_services;
    QPrinter& m_printer;
    Ui::TDruckerEinrichtenForm m_ui;
    int m_shownEntry = -1;
    int m_pdfEntry = 0;  // the last entry, after the printers
};

}  // namespace horavant
