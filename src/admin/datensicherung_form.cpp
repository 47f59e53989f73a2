// The backup window.
#include "admin/datensicherung_form.h"

#include "store/dbf_table.h"
#include "store/work_time_text.h"
#include "ui/error_report.h"
#include "ui/main_window.h"
#include "ui/message_boxes.h"

#include <QHeaderView>
#include <QPointer>
#include <QLocale>

#include <memory>

namespace horavant {
namespace {

using backup::BackupInfo;
using backup::BackupState;

QString twoDigits(long long n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

}  // namespace

TDatensicherungForm::TDatensicherungForm(Services& services, const Windows& windows, QWidget* parent)
    : QDialog(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    setupWindow(this, 620, 360, Sizing::Fixed);
    QHeaderView* header = m_ui.ListView1->header();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 4; ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    header->setStretchLastSection(false);
    sizeHeadersWhenShown(m_ui.ListView1, {header});
    connect(m_ui.JetztSichernBtn, &QPushButton::clicked, this, &TDatensicherungForm::JetztSichernBtnClick);
    connect(m_ui.WiederherstellenBtn, &QPushButton::clicked, this, &TDatensicherungForm::WiederherstellenBtnClick);
    connect(m_ui.SchliessenBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.ListView1, &QTreeWidget::itemSelectionChanged, this, &TDatensicherungForm::ListView1SelectItem);
}

void TDatensicherungForm::showEvent(QShowEvent* event)
{
    fillList();
    QDialog::showEvent(event);
}

void TDatensicherungForm::dailyBackup(QWidget* shownOver)
{
    DbfTable& table = m_windows.main->workTimeTable();
    const backup::Moment now = m_clock();
    if (!table.active() || m_dayBackedUp == now.day || m_worker.busy())
        return;
    m_dayBackedUp = now.day;
    const std::filesystem::path folder = table.folder();
    QPointer<QWidget> over(shownOver);
    ChangeJournal& journal = m_services.journal;
    auto made = std::make_shared<std::optional<std::string>>();
    m_worker.start(
        [folder, now, made, &journal](const backup::Progress& progress) {
            *made = backup::makeBackupOfFolder(folder, backup::BackupKind::Daily, now, progress);
            if (*made)
                journal.checkBackup(**made);  // reads only the backup's copies
        },
        [this, over, folder, now, made](std::exception_ptr failure) {
            QWidget* parent = over ? over.data() : this;
            guarded(parent, [&] {
                try {
                    if (failure)
                        std::rethrow_exception(failure);
                    if (*made)
                        m_services.journal.backupMade(m_windows.main->workTimeTable(), **made);
                } catch (const backup::Cancelled&) {
                    m_dayBackedUp.reset();  // stopped by the user: tried again at the next login
                    return;
                } catch (const backup::BackupError& e) {
                    showError(parent,
                              m_services.translate(QStringLiteral("Die tägliche Datensicherung ist fehlgeschlagen."))
                                  + "\n\n" + describe(e));
                }
                const std::vector<std::string> future = backup::untoldFutureBackups(folder, now);
                std::string names;
                for (const std::string& name : future)
                    names += (names.empty() ? "" : ", ") + name;
                if (!names.empty())
                    showInformation(parent, fill(QString::fromUtf8(backup::kFutureBackups), {names}));
            });
        });
}

void TDatensicherungForm::recoverAfterCrash(QWidget* shownOver)
{
    guarded(shownOver, [&] {
        if (const auto left = backup::recoverAfterCrash(m_windows.main->workTimeTable().folder()))
            showError(shownOver, fill(QString::fromUtf8(backup::kRestoreInterrupted), {left->backup, left->saved}));
    });
}

void TDatensicherungForm::runCopying(const QString& label, const BackupWorker::Work& work)
{
    const QString cancel = m_services.translate(QStringLiteral("Abbrechen"));
    if (work)
        m_worker.run(this, m_services.translate(label), cancel, work);
    else
        m_worker.finish(this, m_services.translate(label), cancel);
}

void TDatensicherungForm::fillList(const std::string& select)
{
    guarded(this, [&] { m_backups = backup::listBackups(m_windows.main->workTimeTable().folder()); });
    const QLocale locale = QLocale::system();
    m_ui.ListView1->clear();
    QTreeWidgetItem* current = nullptr;
    for (const BackupInfo& b : m_backups) {
        QString state;
        switch (b.state) {
        case BackupState::Complete: state = QStringLiteral("in Ordnung"); break;
        case BackupState::Damaged: state = QStringLiteral("beschädigt"); break;
        case BackupState::Incomplete: state = QStringLiteral("unvollständig"); break;
        }
        const bool complete = b.state == BackupState::Complete;
        auto* item = new QTreeWidgetItem(
            {when(b), complete ? locale.toString(b.records) : QString(),
             locale.formattedDataSize(static_cast<qint64>(b.bytes), 1, QLocale::DataSizeTraditionalFormat),
             m_services.translate(state)});
        for (int column : {1, 2})
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        m_ui.ListView1->addTopLevelItem(item);
        if (!current || b.name == select)
            current = item;
    }
    if (current)
        current->setSelected(true);
    ListView1SelectItem();
}

const BackupInfo* TDatensicherungForm::selected() const
{
    const auto items = m_ui.ListView1->selectedItems();
    const int row = items.isEmpty() ? -1 : m_ui.ListView1->indexOfTopLevelItem(items.first());
    return row >= 0 && row < static_cast<int>(m_backups.size()) ? &m_backups[static_cast<std::size_t>(row)] : nullptr;
}

void TDatensicherungForm::ListView1SelectItem()
{
    const BackupInfo* b = selected();
    // A damaged or incomplete backup cannot be restored.
    m_ui.WiederherstellenBtn->setEnabled(b && b->state == BackupState::Complete);
}

QString TDatensicherungForm::when(const BackupInfo& info) const
{
    // In the program's own date form, as everything else it writes.
    QString text = qs(formatStoredDate(std::chrono::year_month_day {info.parsed.day}));
    if (info.parsed.time) {
        const long long s = info.parsed.time->count();
        text += QLatin1Char(' ') + twoDigits(s / 3600) + u':' + twoDigits(s / 60 % 60) + u':' + twoDigits(s % 60);
    }
    if (info.parsed.beforeRestore)
        text += QStringLiteral(" (") + m_services.translate(QStringLiteral("vor Wiederherstellung")) + QLatin1Char(')');
    return text;
}

QString TDatensicherungForm::fill(const QString& pattern, const std::vector<std::string>& details) const
{
    return QString::fromStdString(formatMessageArgs(m_services.translate(pattern).toStdString(), details));
}

QString TDatensicherungForm::describe(const backup::BackupError& error) const
{
    return m_services.describe(error);
}

void TDatensicherungForm::JetztSichernBtnClick()
{
    std::optional<std::string> made;
    const std::filesystem::path folder = m_windows.main->workTimeTable().folder();
    guarded(this, [&] {
        try {
            runCopying(QStringLiteral("Die Datensicherung wird geschrieben..."), [&](const backup::Progress& progress) {
                made = backup::makeBackupOfFolder(folder, backup::BackupKind::Manual, backup::localNow(), progress);
            });
            if (made)
                m_services.journal.backupMade(m_windows.main->workTimeTable(), *made);
        } catch (const backup::BackupError& e) {
            showError(this, describe(e));
        } catch (const backup::Cancelled&) {
        }
    });
    fillList(made.value_or(std::string()));
}

void TDatensicherungForm::WiederherstellenBtnClick()
{
    const BackupInfo* chosen = selected();
    if (!chosen || chosen->state != BackupState::Complete)
        return;
    const std::string name = chosen->name;
    const QString date = when(*chosen);
    if (!askYesNo(this, fill(QStringLiteral("Sollen die Daten aus der Sicherung vom %s wiederhergestellt werden? "
                                            "Der jetzige Stand wird vorher gesichert."),
                             {date.toStdString()})))
        return;

    MainWindow& main = *m_windows.main;
    std::optional<backup::BackupError> failure;
    guarded(this, [&] {
        try {
            // A backup of the day still being copied holds the table's append lock: it ends first.
            runCopying(QStringLiteral("Die Datensicherung wird geschrieben..."), {});
            m_services.journal.restoreBackup(main.workTimeTable(), name, backup::localNow(),
                                             [this](const std::function<void(const backup::Progress&)>& work) {
                                                 runCopying(QStringLiteral("Die Sicherung wird wiederhergestellt..."),
                                                            work);
                                             });
        } catch (const backup::BackupError& e) {
            failure = e;
        } catch (const backup::Cancelled&) {
        }
    });
    // Once files were replaced, everything is read again before a new text can be looked up: its
    // lookup would save the store held in memory over the restored translations. Opening the table
    // looks up only the field names, which the store always holds.
    const bool replaced = !main.workTimeTable().active() || (failure && failure->pattern() == backup::kRestoreHalfDone);
    if (replaced) {
        guarded(this, [&] { main.reloadDataFiles(); });
        guarded(this, [&] { m_services.store.LoadTranslations(); });
    }
    fillList(name);
    if (failure) {
        showError(this, describe(*failure));
    } else if (replaced) {
        showInformation(this, fill(QStringLiteral("Die Daten aus der Sicherung vom %s sind wiederhergestellt."),
                                   {date.toStdString()}));
    }
}

}  // namespace horavant
