// Window placement, and the Enter and Escape keys.
#include "ui/window_setup.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace horavant {

void setupWindow(QWidget* window, int clientWidth, int clientHeight, Sizing sizing)
{
    if (sizing == Sizing::Fixed)
        window->setFixedSize(clientWidth, clientHeight);
    else
        window->resize(clientWidth, clientHeight);
    centreOnScreen(window);
    // A dialog without a default button would make the first button in its focus chain the
    // default when it is shown, so Enter in the main window's grid would log out. Only a button
    // designed as the default answers Enter.
    const auto buttons = window->findChildren<QPushButton*>();
    if (std::none_of(buttons.begin(), buttons.end(), [](const QPushButton* b) { return b->isDefault(); })) {
        for (QPushButton* b : buttons)
            b->setAutoDefault(false);
    }
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

namespace {

class EscapeFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void ignoreEscape(QWidget* window)
{
    // A key the focused control does not use reaches the window, which would reject itself.
    window->installEventFilter(new EscapeFilter(window));
}

}  // namespace horavant
