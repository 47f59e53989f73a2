// Common set-up of the program's windows: designed client size, fixed or resizable, centred;
// Enter presses a button only where one is designed as the default.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace horavant {

enum class Sizing { Fixed, Resizable };

void setupWindow(QWidget* window, int clientWidth, int clientHeight, Sizing sizing);
void centreOnScreen(QWidget* window);
// For a window without a cancel button: Escape closes it no more than any other key does; its
// buttons and its close box are the ways out.
void ignoreEscape(QWidget* window);

inline QString qs(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

inline std::u16string u16(const QString& text)
{
    return text.toStdU16String();
}

}  // namespace horavant
