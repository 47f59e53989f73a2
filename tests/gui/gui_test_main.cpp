// The window tests' main: one application object of the toolkit for all tests, the offscreen
// platform, and a settings store in a temporary folder.
#include "support/temp_dir.h"

#include <QApplication>
#include <QSettings>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    horavant::test::TempDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settings.path().string()));
    return RUN_ALL_TESTS();
}
