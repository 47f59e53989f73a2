// The default texts window: where the place and activity suggestions come from, and the fixed lists.
#pragma once

#include "ui/services.h"
#include "ui_vorgabe_texte_form.h"

#include <QDialog>

namespace horavant {

class TVorgabeTexteForm : public QDialog {
    Q_OBJECT
public:
    explicit TVorgabeTexteForm(Services& services, QWidget* parent = nullptr);

    // However the window closes, its settings go back into the program's settings.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Services& m_services;
    Ui::TVorgabeTexteForm m_ui;
    QString m_shownPlaces;  // the lists as the window showed them
    QString m_shownActivities;
};

}  // namespace horavant
