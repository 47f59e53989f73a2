// The login window.
#include "recording/einloggen_form.h"

#include "admin/datensicherung_form.h"
#include "translation_editor/translate_form.h"
#include "recording/erfassen_form.h"
#include "recording/login.h"
#include "recording/suggestions.h"
#include "store/dbf_table.h"
#include "store/options_file.h"
#include "store/text.h"
#include "timesheet/balance.h"
#include "timesheet/timesheet_form.h"
#include "ui/error_report.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"
#include "ui/translate_components.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QLibraryInfo>
#include <QTimer>

namespace horavant {
namespace {

std::chrono::sys_days today()
{
    const QDate d = QDate::currentDate();
    return std::chrono::sys_days(std::chrono::year(d.year()) / static_cast<int>(d.month()) / d.day());
}

}  // namespace

TEinloggenForm::TEinloggenForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    layout()->setMenuBar(m_ui.MainMenu1);
    setupWindow(this, 431, 435, Sizing::Fixed);

    m_languages = new QActionGroup(this);
    m_languages->setExclusive(true);
    for (QAction* item : {m_ui.Deutsch1, m_ui.English1, m_ui.Espanol1})
        m_languages->addAction(item);

    connect(m_ui.BitBtnXP1, &QPushButton::clicked, this, &TEinloggenForm::BitBtnXP1Click);
    connect(m_ui.BitBtnXP2, &QPushButton::clicked, this, &TEinloggenForm::BitBtnXP2Click);
    connect(m_ui.BeendenBtn, &QPushButton::clicked, this, &TEinloggenForm::BeendenBtnClick);
    connect(m_ui.Deutsch1, &QAction::triggered, this, &TEinloggenForm::Deutsch1Click);
    connect(m_ui.English1, &QAction::triggered, this, &TEinloggenForm::English1Click);
    connect(m_ui.Espanol1, &QAction::triggered, this, &TEinloggenForm::Espanol1Click);
    connect(m_ui.bersetzen1, &QAction::triggered, this, &TEinloggenForm::bersetzen1Click);
    FormCreate();
}

void TEinloggenForm::FormCreate()
{
    guarded(this, [this] { m_services.store.InitTranslations(); });
}

void TEinloggenForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TEinloggenForm::FormShow()
{
    m_ui.Edit1->setFocus();
    if (firstshow)
        return;
    firstshow = true;
    firstShowing();
}

void TEinloggenForm::firstShowing()
{
    LoadOptions();
    guarded(this, [this] {
        // The messages and window texts new to the store are saved once, after the walk, not
        // once each: a fresh installation would otherwise rewrite and sync the file per text.
        TranslationStore::SaveBatch batch(m_services.store);
        m_services.store.RegisterMessages();
        m_services.store.setCurrentLanguage(languagesetto);
        loadToolkitTranslations();
        if (languagesetto != 0)
            TranslateComponents(m_windows.list, m_services.store);
        batch.finish();
    });
    // An existing table that cannot be opened is never replaced: tell the user and end, leaving
    // the file as it is.
    if (!guarded(this, [this] { m_windows.main->CreateandopenTables(); })) {
        hide();
        QTimer::singleShot(0, qApp, [] { QApplication::exit(1); });
    }
}

void TEinloggenForm::loadToolkitTranslations()
{
    // The toolkit's own texts (Yes, No, Cancel of the message boxes) in the current language.
    static constexpr const char* kLocales[] = {"de", "en", "es"};
    QApplication::removeTranslator(&m_qtTranslator);
    const int language = m_services.store.CurrentLanguage();
    if (language < 0 || language > 2)
        return;
    if (m_qtTranslator.load(QStringLiteral("qtbase_") + QString::fromLatin1(kLocales[language]),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&m_qtTranslator);
}

void TEinloggenForm::BitBtnXP1Click()
{
    m_windows.main->reloadUsersIfChanged();
    const UserList& users = m_services.userData.users;
    const auto entry = findLoginEntry(users, u16(m_ui.Edit1->text()), u16(m_ui.Edit2->text()));
    if (!entry) {
        showError(this, m_services.message(3), m_services.message(4));
        return;
    }
    arbeiter = users[*entry].EmployeeName;
    // A program kept open over days backs each day up at its first login.
    m_windows.datensicherung->dailyBackup(this);
    TErfassenForm& erfassen = *m_windows.erfassen;
    erfassen.setRecordingDate(QDate::currentDate());
    hide();
    DbfTable& table = m_windows.main->workTimeTable();
    // The balance up to yesterday is counted in the scan that builds the suggestion lists.
    std::optional<AccountBalance> balance;
    guardedTables(this, m_services, [&] {
        balance.emplace(table.folder(), arbeiter, today() - std::chrono::days(1), m_services.regional);
        if (!balance->hasAccount())
            balance.reset();
    });
    std::function<void(const DbfTable&)> alsoEach;
    if (balance)
        alsoEach = [&](const DbfTable& t) { balance->take(t); };
    QString balanceText;
    guarded(this, [&] {
        erfassen.setSuggestions(FillSuggestionLists(table, m_services.userData.settings, alsoEach));
        if (balance)
            balanceText = m_services.translate(QStringLiteral("Saldo bis gestern: %1 Std."))
                              .replace(QStringLiteral("%1"),
                                       qs(formatSignedHours(balance->balance(), m_services.regional)));
    });
    erfassen.setBalance(balanceText);
    m_services.journal.setActor(arbeiter);
    erfassen.exec();
    m_services.journal.setActor(fromUtf8(journal::kProgram));
    show();
    m_ui.Edit1->clear();
    m_ui.Edit2->clear();
}

void TEinloggenForm::BitBtnXP2Click()
{
    m_windows.main->reloadUsersIfChanged();
    if (!m_windows.main->IsAdmin())
        return;
    m_windows.datensicherung->dailyBackup(this);
    hide();
    m_services.journal.setActor(fromUtf8(journal::kAdministrator));
    m_windows.main->exec();
    m_services.journal.setActor(fromUtf8(journal::kProgram));
    show();
}

void TEinloggenForm::BeendenBtnClick()
{
    close();
}

void TEinloggenForm::reject()
{
    BeendenBtnClick();
}

void TEinloggenForm::closeEvent(QCloseEvent* event)
{
    // The login window is the application's main window: closing it ends the program.
    event->accept();
    QApplication::quit();
}

QAction* TEinloggenForm::languageItem(std::int32_t language) const
{
    switch (language) {
    case 0: return m_ui.Deutsch1;
    case 1: return m_ui.English1;
    case 2: return m_ui.Espanol1;
    default: return nullptr;
    }
}

void TEinloggenForm::LoadOptions()
{
    const auto file = m_windows.main->programFile("options.dat");
    const auto stored = LoadOptionsFile(file);
    // A start without a usable options.dat (the program copied by hand, or run where it was
    // built) speaks the desktop's language, as an installation does, and keeps it.
    languagesetto = stored.value_or(desktopLanguage());
    if (!stored)
        SaveOptionsFile(file, languagesetto);
    m_services.store.setCurrentLanguage(languagesetto);
    dontchlang = true;
    if (QAction* item = languageItem(languagesetto))
        item->setChecked(true);
    dontchlang = false;
}

void TEinloggenForm::SaveOptions()
{
    SaveOptionsFile(m_windows.main->programFile("options.dat"), m_services.store.CurrentLanguage());
}

void TEinloggenForm::chooseLanguage(QAction* item, std::int32_t language)
{
    if (dontchlang)
        return;
    item->setChecked(true);
    m_services.store.setCurrentLanguage(language);
    SaveOptions();
    loadToolkitTranslations();
    showRestartNotice();
}

void TEinloggenForm::Deutsch1Click()
{
    chooseLanguage(m_ui.Deutsch1, 0);
}

void TEinloggenForm::English1Click()
{
    chooseLanguage(m_ui.English1, 1);
}

void TEinloggenForm::Espanol1Click()
{
    chooseLanguage(m_ui.Espanol1, 2);
}

void TEinloggenForm::showRestartNotice()
{
    showInformation(this, m_services.message(1), m_services.message(2));
}

void TEinloggenForm::bersetzen1Click()
{
    TTranslateForm& editor = *m_windows.translate;
    editor.FillStringGrid();
    editor.exec();
    showRestartNotice();
}

}  // namespace horavant
