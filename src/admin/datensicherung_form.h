// The backups of the data files: the list of them, a backup made now, and the restore of one; and
// the backup of the day at the first start of a day.
#pragma once

#include "ui/backup_worker.h"
#include "store/backup.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "ui_datensicherung_form.h"

#include <QDialog>

#include <functional>
#include <optional>

namespace horavant {

class TDatensicherungForm : public QDialog {
    Q_OBJECT
public:
    TDatensicherungForm(Services& services, const Windows& windows, QWidget* parent = nullptr);

    // Starts the backup of the day unless there is one, at the start and at each login (a program
    // kept open over days backs each day up at its first login), on a thread beside the windows; a
    // failure is told once a day, over `shownOver`, and the program goes on. Backups dated after
    // today are told once.
    void dailyBackup(QWidget* shownOver);
    // True while a backup or restore is being copied.
    bool copying() const { return m_worker.busy(); }
    // At the start: clears what a crash left, and tells of a restore that did not finish.
    void recoverAfterCrash(QWidget* shownOver);
    // The clock the day's backup goes by. For tests.
    void setClock(std::function<backup::Moment()> clock) { m_clock = std::move(clock); }

    void JetztSichernBtnClick();
    void WiederherstellenBtnClick();
    void ListView1SelectItem();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Fills the list, newest first, and selects the backup of that name, or the newest.
    void fillList(const std::string& select = {});
    const backup::BackupInfo* selected() const;
    // The date (and time, or the mark of a backup made before a restore) that the list shows.
    QString when(const backup::BackupInfo& info) const;
    // The German pattern in the current language, its %s filled from the details in order.
    QString fill(const QString& pattern, const std::vector<std::string>& details) const;
    QString describe(const backup::BackupError& error) const;
    // Runs a backup's or restore's copying beside the windows, with a progress dialog over this
    // window that can stop it (then throwing backup::Cancelled); without work, waits for the
    // copying that runs.
    void runCopying(const QString& label, const BackupWorker::Work& work);

    Services& m_services;
    const Windows& m_windows;
    Ui::TDatensicherungForm m_ui;
    std::vector<backup::BackupInfo> m_backups;
    std::function<backup::Moment()> m_clock = backup::localNow;
    std::optional<std::chrono::sys_days> m_dayBackedUp;  // the day whose backup was made or tried
    BackupWorker m_worker;
};

}  // namespace horavant
