// Message boxes as the program asks them: refusals with the error icon, confirmations with
// Yes/No/Cancel of which only Yes acts, notices with the information icon.
#pragma once

#include <QString>
#include <string>
#include <utility>
#include <vector>

class QWidget;

namespace horavant {

void showError(QWidget* parent, const QString& text, const QString& title = {});
void showInformation(QWidget* parent, const QString& text, const QString& title = {});
// True only when the user answers Yes.
bool askYesNoCancel(QWidget* parent, const QString& text, const QString& title = {});
bool askYesNo(QWidget* parent, const QString& text, const QString& title = {});

// The lines of a refusal that names characters, one per field that holds some: the field's
// label, then each character as itself, or as U+XXXX where it would not show. Empty when no
// field holds any.
using FieldCharacters = std::pair<QString, std::vector<std::u16string>>;
QString characterLines(const std::vector<FieldCharacters>& fields);

}  // namespace horavant
