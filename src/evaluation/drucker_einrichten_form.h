// The printer set-up of the evaluation output: which printer, which paper, which way up. It
// prints nothing; what is taken over applies to the following prints.
#pragma once

#include "ui/services.h"
#include "ui_drucker_einrichten_form.h"

#include <QDialog>
#include <QPageSize>

class QPrinter;

namespace horavant {

class TDruckerEinrichtenForm : public QDialog {
    Q_OBJECT
public:
    // Shows the printer's present settings, in the current language.
    TDruckerEinrichtenForm(Services& services, QPrinter& printer, QWidget* parent = nullptr);

    // Sets the printer as chosen and closes. A printer is changed only when another one was
    // picked, so a print to a file stays one unless a printer is chosen instead.
    void UebernehmenBtnClick();

private:
    void fillPaper();

    QPrinter& m_printer;
    Ui::TDruckerEinrichtenForm m_ui;
    int m_shownPrinter = -1;
};

}  // namespace horavant
