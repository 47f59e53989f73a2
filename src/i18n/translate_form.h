// The translation editor: the whole translation store in a grid.
#pragma once

#include "app/services.h"
#include "ui_translate_form.h"

#include <QDialog>

namespace horavant {

class TTranslateForm : public QDialog {
    Q_OBJECT
public:
    explicit TTranslateForm(Services& services, QWidget* parent = nullptr);

    void FillStringGrid();

private:
    Services& m_services;
    Ui::TTranslateForm m_ui;
};

}  // namespace horavant
