// The administration window: the grid over every work period with its navigator, the three
// evaluations, the working-time law check, the monthly timesheet and the export of every record
// as CSV, and the dialogs for users, the administrator password, default texts, backups, target
// hours and absences. It owns the work-time table and the
// scratch table, and loads and saves the user file.
#pragma once

#include "evaluation/report.h"
#include "store/dbf_table.h"
#include "store/posix_file.h"
#include "store/user_file.h"
#include "ui/main_window.h"
#include "ui/services.h"
#include "ui/windows.h"
#include "ui_main_form.h"

class QProgressDialog;

namespace horavant {

class DataGrid;
class WorkTimeModel;

class TMainForm : public MainWindow {
    Q_OBJECT
public:
    TMainForm(Services& services, const Windows& windows, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The program folder, ending in one path separator. The argument has no effect.
    QString GetProgramDir(bool create = false) const;
    std::filesystem::path programFile(const char* name) const override;

    void LoadBenutzer();
    // Saves what this copy changed in the users and settings since it read the user file into the
    // file as it is now; returns what changed, and what another copy had changed as well.
    UserSave SaveBenutzer();
    // Keeps what this copy holds when the file is gone or damaged.
    void reloadUsersIfChanged() override;
    void CreateandopenTables() override;
    void reloadDataFiles() override;
    bool IsAdmin() override;

    DbfTable& workTimeTable() override { return Dbf1; }
    WorkTimeModel& model() override { return *m_model; }
    DataGrid& grid() { return *m_grid; }
    // The break column switch: a checkable menu entry, so each click inverts it; saved with the
    // user file, never by the click itself.
    bool showBreaks() const { return m_ui.PausenzeitinAuswertungauffhren1->isChecked(); }
    // The records export's progress dialog, made with the first export: most runs never export,
    // and laying it out cost the start a third of a millisecond.
    QProgressDialog& exportProgressDialog();

    void Benutzerverwalten1Click();
    void AdministratorPasswortfestlegen1Click();
    void VorgabetextefrdasAusfllenfestlegen1Click();
    void Datensicherung1Click();
    void nderungsprotokoll1Click();
    void AuswertungnachMitarbeiter1Click();
    void AuswertungnachOrtBaustelle1Click();
    void AuswertungnachTtigkeit1Click();
    void AlleBuchungenalsCSVexportieren1Click();
    void PrfungArbeitszeitgesetz1Click();
    void Monatsnachweis1Click();
    void Sollzeiten1Click();
    void Abwesenheiten1Click();

    // Every way of closing the window ends here: a pending grid edit is stored first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void installRowChecks();
    // Tells once what the check of the day's backup found.
    void showJournalNotice();
    void runEvaluation(EvaluationLayout layout, int noRowsMessage);
    // After a dialog of the user file: saves it and tells where this copy's change replaced one
    // another copy had saved meanwhile.
    void saveUsersAfterDialog();

    Services& m_services;
    const Windows& m_windows;
    Ui::TMainForm m_ui;
    QString progpath;
    DbfTable Dbf1;
    DbfTable Dbf2;
    WorkTimeModel* m_model = nullptr;
    DataGrid* m_grid = nullptr;
    QProgressDialog* m_exportProgress = nullptr;
    UserData m_usersBase;  // the user file as this copy last read or wrote it
    std::optional<FileStamp> m_usersStamp;  // and its version on disk then
    QString m_usersUnreadable;  // why the user file cannot be read; empty while it can
};

}  // namespace horavant
