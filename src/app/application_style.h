// The program's style: the desktop's own, with the menu bars' overflow arrow read when first used.
#pragma once

#include <QProxyStyle>

namespace horavant {

// Every menu bar asks for its overflow arrow when it is made, and the first image a process reads
// has Qt try all its image format plugins: most of a millisecond of the start, for an arrow shown
// only when a window is too narrow for its menu.
class ApplicationStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

}  // namespace horavant
