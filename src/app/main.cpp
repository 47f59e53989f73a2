// The program's entry point: the application object and its event loop.
#include "app/application.h"
#include "app/application_style.h"
#include "store/posix_file.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qapp(argc, argv);
    QApplication::setStyle(new horavant::ApplicationStyle(QApplication::style()->name()));
    // The login window ends the program when it closes; a hidden login window (while another
    // window is open) must not.
    QApplication::setQuitOnLastWindowClosed(false);
    horavant::Application app(horavant::executablePath());
    app.start();
    return QApplication::exec();
}
