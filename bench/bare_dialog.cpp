// A bare Qt dialog with a label and a button: the baseline for the program's start-up to its
// login window, started the same way.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QDialog window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("Benutzername:")));
    layout->addWidget(new QPushButton(QStringLiteral("Programm beenden")));
    window.show();
    return QApplication::exec();
}
