// Window placement, and the Enter and Escape keys.
#include "ui/window_setup.h"

#include <QAbstractItemView>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <utility>
#include <vector>

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

// Shows the headers it was given when the view first shows, and goes. Sections sized to their
// contents are sized by hand until then: a hidden header measures them all the same.
class HeaderReveal : public QObject {
public:
    HeaderReveal(QAbstractItemView* view, std::vector<QHeaderView*> headers)
        : QObject(view), m_headers(std::move(headers))
    {
        for (QHeaderView* h : m_headers) {
            h->hide();
            for (int s = 0; s < h->count(); ++s) {
                if (h->sectionResizeMode(s) == QHeaderView::ResizeToContents) {
                    h->setSectionResizeMode(s, QHeaderView::Interactive);
                    m_fitted.push_back({h, s});
                }
            }
        }
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            for (const auto& [h, s] : m_fitted)
                h->setSectionResizeMode(s, QHeaderView::ResizeToContents);
            // A header shown in a shown view lays out the view again before it is drawn.
            for (QHeaderView* h : m_headers)
                h->show();
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::vector<QHeaderView*> m_headers;
    std::vector<std::pair<QHeaderView*, int>> m_fitted;
};

}  // namespace

void sizeHeadersWhenShown(QAbstractItemView* view, std::initializer_list<QHeaderView*> headers)
{
    std::vector<QHeaderView*> hidden;
    for (QHeaderView* h : headers) {
        if (!h->isHidden())
            hidden.push_back(h);
    }
    if (!hidden.empty())
        new HeaderReveal(view, std::move(hidden));
}

void ignoreEscape(QWidget* window)
{
    // A key the focused control does not use reaches the window, which would reject itself.
    window->installEventFilter(new EscapeFilter(window));
}

}  // namespace horavant
