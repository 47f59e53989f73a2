// The record navigator.
#include "ui/db_navigator.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace horavant {
namespace {

struct ButtonText {
    const char* name;
    const char* glyph;
    const char* hint;
};

constexpr ButtonText kTexts[DbNavigator::kButtonCount] = {
    {"First", "|\u25C0", "Erster Datensatz"},          {"Prior", "\u25C0", "Vorheriger Datensatz"},
    {"Next", "\u25B6", "N\u00E4chster Datensatz"},     {"Last", "\u25B6|", "Letzter Datensatz"},
    {"Insert", "+", "Datensatz einf\u00FCgen"},        {"Delete", "\u2212", "Datensatz l\u00F6schen"},
    {"Edit", "\u25B2", "Datensatz bearbeiten"},        {"Post", "\u2714", "\u00C4nderungen speichern"},
    {"Cancel", "\u2716", "\u00C4nderungen verwerfen"}, {"Refresh", "\u21BB", "Daten neu einlesen"},
};

QIcon glyphIcon(const QString& glyph)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = painter.font();
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return QIcon(pixmap);
}

}  // namespace

DbNavigator::DbNavigator(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < kButtonCount; ++i) {
        // The glyph is an icon: the buttons have no caption, only their hint.
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(kTexts[i].name));
        b->setToolTip(QString::fromUtf8(kTexts[i].hint));
        b->setAccessibleName(QString::fromUtf8(kTexts[i].hint));
        b->setMinimumSize(32, 32);
        b->setAutoRaise(false);
        layout->addWidget(b);
        m_buttons[i] = b;
        connect(b, &QToolButton::clicked, this, [this, i] { emit clicked(static_cast<Button>(i)); });
    }
}

void DbNavigator::showEvent(QShowEvent* event)
{
    // The glyphs are drawn when the navigator first shows, not while the program starts, which
    // most often shows no navigator at all. A tool button's size does not depend on its icon, so
    // nothing moves.
    if (!m_glyphsDrawn) {
        m_glyphsDrawn = true;
        for (int i = 0; i < kButtonCount; ++i)
            m_buttons[i]->setIcon(glyphIcon(QString::fromUtf8(kTexts[i].glyph)));
    }
    QWidget::showEvent(event);
}

void DbNavigator::setButtonEnabled(Button b, bool enabled)
{
    m_buttons[b]->setEnabled(enabled);
}

}  // namespace horavant
