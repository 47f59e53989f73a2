// Window placement.
#include "ui/window_setup.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace horavant {

void setupWindow(QWidget* window, int clientWidth, int clientHeight, Sizing sizing)
{
    if (sizing == Sizing::Fixed)
        window->setFixedSize(clientWidth, clientHeight);
    else
        window->resize(clientWidth, clientHeight);
    centreOnScreen(window);
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

}  // namespace horavant
