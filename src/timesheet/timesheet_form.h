// What the timesheet's windows share: a guard that reports an unusable table in the current
// language, the employees to choose from, and the answer to a row another copy changed.
#pragma once

#include "store/user_model.h"
#include "ui/services.h"

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace horavant {

// Runs action as guarded() does; a table file that cannot be used is named in the current
// language.
bool guardedTables(QWidget* parent, const Services& services, const std::function<void()>& action);

// The employees of the users, then the other names of `more`, each once, in that order.
QStringList employeeChoice(const UserList& users, const std::vector<std::u16string>& more);

// Tells that a row was changed or deleted by another copy of the program meanwhile.
void showRowGone(QWidget* parent, const Services& services);

}  // namespace horavant
