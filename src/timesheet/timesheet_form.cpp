// Shared pieces of the timesheet's windows.
#include "timesheet/timesheet_form.h"

#include "store/error.h"
#include "store/timesheet_tables.h"
#include "ui/error_report.h"
#include "ui/message_boxes.h"
#include "ui/window_setup.h"

namespace horavant {

bool guardedTables(QWidget* parent, const Services& services, const std::function<void()>& action)
{
    bool done = false;
    guarded(parent, [&] {
        try {
            action();
            done = true;
        } catch (const TableFileError& e) {
            const std::string pattern = services.translate(QString::fromStdString(e.pattern())).toStdString();
            showError(parent, QString::fromStdString(formatMessageArgs(pattern, e.details())));
        }
    });
    return done;
}

QStringList employeeChoice(const UserList& users, const std::vector<std::u16string>& more)
{
    QStringList names;
    for (const UserRecord& user : users) {
        if (!names.contains(qs(user.EmployeeName)))
            names << qs(user.EmployeeName);
    }
    for (const std::u16string& name : more) {
        if (!names.contains(qs(name)))
            names << qs(name);
    }
    return names;
}

void showRowGone(QWidget* parent, const Services& services)
{
    showError(parent, services.translate(QStringLiteral("Die Zeile wurde inzwischen von einer anderen Kopie des "
                                                        "Programms geändert oder gelöscht. Die Liste zeigt jetzt den "
                                                        "neuen Stand.")));
}

}  // namespace horavant
