// The record navigator: ten buttons over a data grid, each with its hint.
#pragma once

#include <QWidget>
#include <array>

class QToolButton;

namespace horavant {

class DbNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    static constexpr int kButtonCount = 10;

    explicit DbNavigator(QWidget* parent = nullptr);

    QToolButton* button(Button b) const { return m_buttons[b]; }
    void setButtonEnabled(Button b, bool enabled);

signals:
    void clicked(horavant::DbNavigator::Button button);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::array<QToolButton*, kButtonCount> m_buttons {};
    bool m_glyphsDrawn = false;
};

}  // namespace horavant
