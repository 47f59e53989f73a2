// Keeping a window's placement (position and state) in the per-user settings store, in a section
// named after the window class.
#pragma once

class QSettings;
class QWidget;

namespace horavant {

void restorePlacement(QSettings& settings, QWidget* window);
void savePlacement(QSettings& settings, const QWidget* window);

}  // namespace horavant
