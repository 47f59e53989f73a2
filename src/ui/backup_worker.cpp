// The backups' copying beside the windows.
#include "ui/backup_worker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace horavant {
namespace {

// A wait shorter than this is not worth a dialog; the windows are drawn meanwhile all the same.
constexpr int kDialogAfterMs = 100;
constexpr int kPollMs = 20;
constexpr int kSteps = 1000;

}  // namespace

BackupWorker::~BackupWorker()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void BackupWorker::start(Work work, Done done)
{
    m_stop = false;
    m_done = 0;
    m_total = 0;
    m_thread = std::thread([this, work = std::move(work), done = std::move(done)] {
        std::exception_ptr failure;
        try {
            work([this](std::uint64_t bytes, std::uint64_t total) {
                m_done = bytes;
                m_total = total;
                return !m_stop;
            });
        } catch (...) {
            failure = std::current_exception();
        }
        // Dropped, should this object be gone by then: its destructor waited for the thread.
        QMetaObject::invokeMethod(
            this,
            [this, failure, done] {
                m_thread.join();
                if (done)
                    done(failure);
                if (m_waiting)
                    m_waiting->quit();
            },
            Qt::QueuedConnection);
    });
}

void BackupWorker::run(QWidget* parent, const QString& label, const QString& cancelText, const Work& work)
{
    finish(parent, label, cancelText);
    std::exception_ptr failure;
    start(work, [&failure](std::exception_ptr f) { failure = f; });
    finish(parent, label, cancelText);
    if (failure)
        std::rethrow_exception(failure);
}

void BackupWorker::finish(QWidget* parent, const QString& label, const QString& cancelText)
{
    if (!busy())
        return;
    QEventLoop loop;
    m_waiting = &loop;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!busy())
            return loop.quit();
        if (!dialog && !m_stop && clock.elapsed() >= kDialogAfterMs) {
            dialog = std::make_unique<QProgressDialog>(label, cancelText, 0, kSteps, parent);
            dialog->setObjectName(QStringLiteral("BackupProgress"));
            dialog->setWindowTitle(label);
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setAutoReset(false);
            dialog->setAutoClose(false);
            dialog->setMinimumDuration(0);
            QObject::connect(dialog.get(), &QProgressDialog::canceled, &loop, [&] {
                m_stop = true;
                dialog->hide();
                loop.quit();  // on without the user's input until the work has stopped
            });
            dialog->show();
            loop.quit();  // on with the user's input, which the modal dialog takes
        }
        if (dialog) {
            const std::uint64_t total = m_total, done = m_done;
            dialog->setValue(total == 0 ? 0 : static_cast<int>(std::min(done, total) * kSteps / total));
        }
    });
    poll.start();
    // Until the dialog shows, the user's input waits: it would reach the windows behind it.
    while (busy())
        loop.exec(dialog && dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    m_waiting = nullptr;
}

}  // namespace horavant
