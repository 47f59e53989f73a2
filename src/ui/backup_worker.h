// The copying of the backups on a thread beside the windows: the day's backup without holding up
// the login window, and a backup or restore the administrator starts, with a progress dialog that
// can stop it. The work touches no window and no table object; its end comes back to the window
// thread.
#pragma once

#include "store/backup.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>

class QEventLoop;
class QWidget;

namespace horavant {

class BackupWorker : public QObject {
public:
    using Work = std::function<void(const backup::Progress&)>;
    using Done = std::function<void(std::exception_ptr failure)>;

    BackupWorker() = default;
    // Stops the work at its next safe step and waits for it.
    ~BackupWorker() override;

    bool busy() const { return m_thread.joinable(); }
    // Starts the work; `done` runs on the window thread once it ended, with what it threw.
    void start(Work work, Done done);
    // Runs the work and returns once it ended, throwing what it threw; work still running from
    // start() is waited for first. Meanwhile the windows are drawn, and once the wait is longer
    // than a moment a modal progress dialog over `parent` shows how far it came, with a button that
    // stops it.
    void run(QWidget* parent, const QString& label, const QString& cancelText, const Work& work);
    // Waits for work started before to end, as run() waits.
    void finish(QWidget* parent, const QString& label, const QString& cancelText);

private:
    std::thread m_thread;
    QEventLoop* m_waiting = nullptr;  // the wait for the work's end, while there is one
    std::atomic<bool> m_stop {false};
    std::atomic<std::uint64_t> m_done {0};
    std::atomic<std::uint64_t> m_total {0};
};

}  // namespace horavant
