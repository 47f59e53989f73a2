// The translation editor: the whole translation store in a grid, edited in place and saved one
// second after the last change; search, row deletion, and the Spanish export and import.
#pragma once

#include "ui/services.h"
#include "ui_translate_form.h"

#include <QDialog>

class QTimer;

namespace horavant {

class TTranslateForm : public QDialog {
    Q_OBJECT
public:
    explicit TTranslateForm(Services& services, QWidget* parent = nullptr);

    void FillStringGrid();

    void BackBtnClick();
    void FilterBtnClick();
    void DeleteRowBtnClick();
    void FixedColCheckClick();
    void StringGrid1SetEditText(int row, int column, const QString& text);
    void StringGrid1KeyDown(int key);
    void Timer1Timer();
    void Button1Click();
    void Button2Click();

    // Every way of closing ends here: a pending save is carried out first.
    void done(int result) override;

protected:
    // Escape presses the cancel button, which deletes the current row.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void save();
    // A lookup made while the editor is open (its own search question) may add a row to the
    // store: the grid shows it.
    void showNewRows();

    Services& m_services;
    Ui::TTranslateForm m_ui;
    QTimer* Timer1 = nullptr;
};

}  // namespace horavant
