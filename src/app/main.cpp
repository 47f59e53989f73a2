// The program's entry point.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget login;
    login.setWindowTitle(QStringLiteral("Als Benutzer einloggen"));
    login.resize(431, 435);
    login.show();
    return app.exec();
}
