// The program's general error report: core calls made from the desktop layer run inside this one
// guard, which shows the error's text in a message box and returns to the event loop.
#pragma once

#include <functional>

class QWidget;

namespace horavant {

// Runs action; an error it raises is shown (error icon, the toolkit's default title) and false is
// returned. A silent abort shows nothing.
bool guarded(QWidget* parent, const std::function<void()>& action);

}  // namespace horavant
