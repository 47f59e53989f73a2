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

bool askYesNo(QWidget* parent, const QString& text, const QString& title)
{
    return ask(parent, QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace horavant
