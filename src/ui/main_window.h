// What the other windows use of the administration window: it owns the work-time table with the
// grid's model over it, the program folder, and the load and save of the user file.
#pragma once

#include <QDialog>
#include <filesystem>

namespace horavant {

class DbfTable;
class WorkTimeModel;

class MainWindow : public QDialog {
public:
    using QDialog::QDialog;

    // A data file of the program: the program folder followed by `name`.
    virtual std::filesystem::path programFile(const char* name) const = 0;
    // Defines, opens or creates, and upgrades the work-time table; throws when it cannot.
    virtual void CreateandopenTables() = 0;
    // Reads the user file again when another copy of the program has saved it since this copy
    // read or wrote it.
    virtual void reloadUsersIfChanged() = 0;
    // Opens the work-time table again and reads the user file after a restore replaced them on
    // disk; the grid shows the table's rows afresh.
    virtual void reloadDataFiles() = 0;
    // The administrator password check; true when access is granted.
    virtual bool IsAdmin() = 0;
    // The one open work-time table, which every window shares.
    virtual DbfTable& workTimeTable() = 0;
    // The grid's model over that table; windows that change rows behind it re-read it.
    virtual WorkTimeModel& model() = 0;
};

}  // namespace horavant
