// The exports' dialogs.
#include "evaluation/export_form.h"

#include "ui/error_report.h"
#include "store/error.h"
#include "ui/window_setup.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QProgressDialog>
#include <QStandardPaths>

#include <algorithm>
#include <climits>

namespace horavant {

namespace {

const QString kFolderEntry = QStringLiteral("Export/Ordner");

QString offeredFolder(const Services& services)
{
    const QString last = services.settings()->value(kFolderEntry).toString();
    for (const QString& folder : {last, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

}  // namespace

std::optional<std::filesystem::path> askExportFile(QWidget* parent, const Services& services, const QString& caption,
                                                   const QString& filter, const QString& suffix,
                                                   const std::u16string& defaultName)
{
    const QString folder = offeredFolder(services);
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setObjectName(QStringLiteral("ExportFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(QDir(folder).filePath(qs(safeFileName(defaultName)) + u'.' + suffix));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    services.settings()->setValue(kFolderEntry, QFileInfo(chosen).absolutePath());
    return std::filesystem::path(chosen.toStdString());
}

QProgressDialog* makeExportProgress(QWidget* parent)
{
    auto* dialog = new QProgressDialog(parent);
    dialog->setObjectName(QStringLiteral("ExportProgress"));
    dialog->setWindowModality(Qt::ApplicationModal);
    // An export that would hold the windows longer than a tenth of a second shows its progress
    // (and from then on lets the windows be drawn).
    dialog->setMinimumDuration(100);
    // Shown and hidden by the exports alone: no reset when the bar is full, which would also
    // forget a cancel, and no showing by itself some time after it was made.
    dialog->setAutoReset(false);
    dialog->setAutoClose(false);
    dialog->reset();
    return dialog;
}

ExportProgress exportProgress(QProgressDialog& dialog, const QString& label, const QString& cancelText)
{
    return [&dialog, label, cancelText](std::uint64_t done, std::uint64_t total) {
        if (done == 0) {
            dialog.reset();
            dialog.setWindowTitle(label);
            dialog.setLabelText(label);
            dialog.setCancelButtonText(cancelText);
            dialog.setRange(0, static_cast<int>(std::min<std::uint64_t>(std::max<std::uint64_t>(total, 1), INT_MAX)));
        }
        // A modal progress dialog that is shown lets the events through here, its cancel button's
        // among them.
        dialog.setValue(static_cast<int>(std::min<std::uint64_t>(done, static_cast<std::uint64_t>(dialog.maximum()))));
        return !dialog.wasCanceled();
    };
}

void runExport(QWidget* parent, const QString& failedText, const std::function<void()>& action,
               QProgressDialog* progress)
{
    struct HideAtEnd {
        QProgressDialog* dialog;
        ~HideAtEnd()
        {
            if (dialog)
                dialog->reset();
        }
    } hide {progress};
    guarded(parent, [&] {
        try {
            action();
        } catch (const AbortError&) {
            throw;
        } catch (const std::exception& e) {
            throw Error((failedText + u'\n').toStdString() + e.what());
        }
    });
}

}  // namespace horavant
