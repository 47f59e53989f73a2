// User management: the list of users, changed in place by new, edit and delete.
#pragma once

#include "ui/services.h"
#include "ui/windows.h"
#include "ui_benutzer_verwalten_form.h"

#include <QDialog>

namespace horavant {

class TBenutzerVerwaltenForm : public QDialog {
    Q_OBJECT
public:
    TBenutzerVerwaltenForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    void NeuerBenutzerBtnClick();
    void BenutzerBearbeitenBtnClick();
    void BenutzerLoeschenBtnClick();
    void ListView1SelectItem();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillList();
    int selectedRow() const;

    Services& m_services;
    const Windows& m_windows;
    Ui::TBenutzerVerwaltenForm m_ui;
};

}  // namespace horavant
