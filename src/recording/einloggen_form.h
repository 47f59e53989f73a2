// The login window: the program's first window. Employees log in to record, the administrator to
// the main window; its menu chooses the language. Its first showing runs the start-up steps.
#pragma once

#include "ui/services.h"
#include "ui/windows.h"
#include "ui_einloggen_form.h"

#include <QDialog>
#include <QTranslator>

class QActionGroup;

namespace horavant {

class TEinloggenForm : public QDialog {
    Q_OBJECT
public:
    TEinloggenForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    // The employee who logged in last (never cleared at log-out).
    const std::u16string& currentEmployee() const { return arbeiter; }
    std::int32_t storedLanguage() const { return languagesetto; }

    void BitBtnXP1Click();
    void BitBtnXP2Click();
    void BeendenBtnClick();
    void LoadOptions();
    void SaveOptions();
    void Deutsch1Click();
    void English1Click();
    void Espanol1Click();
    void bersetzen1Click();

    // Escape presses "Programm beenden".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void firstShowing();
    void chooseLanguage(QAction* item, std::int32_t language);
    void showRestartNotice();
    void loadToolkitTranslations();
    QAction* languageItem(std::int32_t language) const;

    Services& m_services;
    const Windows& m_windows;
    Ui::TEinloggenForm m_ui;
    QActionGroup* m_languages = nullptr;
    QTranslator m_qtTranslator;

    std::u16string arbeiter;
    std::int32_t languagesetto = 2;
    bool dontchlang = false;  // set while the window ticks a language item itself
    bool firstshow = false;
};

}  // namespace horavant
