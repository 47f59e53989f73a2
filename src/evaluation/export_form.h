// What the windows' exports share: the save dialog, the progress of a long export, and the one
// report of a failed export.
#pragma once

#include "ui/services.h"
#include "evaluation/csv.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

class QProgressDialog;
class QWidget;

namespace horavant {

// Asks for the file to save, offering `defaultName` (a file name, made safe here) with `suffix`
// when the user types none, in a folder that is there: the one last saved into, else the user's
// documents folder, else the home folder. Nothing when the dialog is cancelled.
std::optional<std::filesystem::path> askExportFile(QWidget* parent, const Services& services, const QString& caption,
                                                   const QString& filter, const QString& suffix,
                                                   const std::u16string& defaultName);

// A progress dialog for a window's long exports, kept hidden between them. It appears only when
// an export runs longer than its minimum duration; its cancel button cancels the export.
QProgressDialog* makeExportProgress(QWidget* parent);
// The progress callback of one export through that dialog, labelled `label`.
ExportProgress exportProgress(QProgressDialog& dialog, const QString& label, const QString& cancelText);

// Runs the export; a failure is reported by the general error report under `failedText`, with
// the reason below it. A cancelled export reports nothing. The progress dialog, if any, is
// hidden afterwards.
void runExport(QWidget* parent, const QString& failedText, const std::function<void()>& action,
               QProgressDialog* progress = nullptr);

}  // namespace horavant
