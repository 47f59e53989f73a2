// Message boxes.
#include "ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace horavant {
namespace {

QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& title,
                                QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, parent ? parent : QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MessageBox"));
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void showError(QWidget* parent, const QString& text, const QString& title)
{
    ask(parent, QMessageBox::Critical, text, title, QMessageBox::Ok);
}

void showInformation(QWidget* parent, const QString& text, const QString& title)
{
    ask(parent, QMessageBox::Information, text, title, QMessageBox::Ok);
}

bool askYesNoCancel(QWidget* parent, const QString& text, const QString& title)
{
    return ask(parent, QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
           == QMessageBox::Yes;
}

QString characterLines(const std::vector<FieldCharacters>& fields)
{
    QStringList lines;
    for (const auto& [label, characters] : fields) {
        if (characters.empty())
            continue;
        QString line = label;
        for (const std::u16string& c : characters) {
            const QString character = QString::fromStdU16String(c);
            const char32_t code = character.toUcs4().value(0);
            const bool shows = QChar::isPrint(code) && !QChar::isSpace(code);
            line += u' '
                    + (shows ? character
                             : QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QChar(u'0')).toUpper());
        }
        lines << line;
    }
    return lines.join(u'\n');
}

bool askYesNo(QWidget* parent, const QString& text, const QString& title)
{
    return ask(parent, QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace horavant
