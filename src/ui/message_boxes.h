// Message boxes as the program asks them: refusals with the error icon, confirmations with
// Yes/No/Cancel of which only Yes acts, notices with the information icon.
#pragma once

#include <QString>

class QWidget;

namespace horavant {

void showError(QWidget* parent, const QString& text, const QString& title = {});
void showInformation(QWidget* parent, const QString& text, const QString& title = {});
// True only when the user answers Yes.
bool askYesNoCancel(QWidget* parent, const QString& text, const QString& title = {});
bool askYesNo(QWidget* parent, const QString& text, const QString& title = {});

}  // namespace horavant
