// The administration window.
#include "app/main_form.h"

#include "admin/datensicherung_form.h"
#include "admin/protokoll_form.h"
#include "evaluation/auswerten_form.h"
#include "evaluation/csv.h"
#include "evaluation/export_form.h"
#include "evaluation/mitarbeiter_aussuchen_form.h"
#include "i18n/message_table.h"
#include "law/working_time_check.h"
#include "law/working_time_report.h"
#include "recording/einloggen_form.h"
#include "recording/recording.h"
#include "store/error.h"
#include "store/timesheet_tables.h"
#include "store/user_file.h"
#include "store/work_time_fields.h"
#include "store/work_time_table.h"
#include "timesheet/abwesenheiten_form.h"
#include "timesheet/sollzeiten_form.h"
#include "timesheet/timesheet_form.h"
#include "timesheet/timesheet_report.h"
#include "ui/data_grid.h"
#include "ui/error_report.h"
#include "ui/message_boxes.h"
#include "ui/work_time_model.h"

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>

namespace horavant {
namespace {

std::u16string germanMessageText(int number)
{
    return number >= 1 && number <= kMessageCount ? std::u16string(MessageTable[static_cast<std::size_t>(number)])
                                                  : std::u16string();
}

}  // namespace

TMainForm::TMainForm(Services& services, const Windows& windows, QWidget* parent)
    : MainWindow(parent), m_services(services), m_windows(windows)
{
    m_ui.setupUi(this);
    layout()->setMenuBar(m_ui.MainMenu1);
    setupWindow(this, 764, 547, Sizing::Resizable);
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    FormCreate();

    m_model = new WorkTimeModel(Dbf1, this);
    m_grid = new DataGrid(
        m_ui.DBGrid1, m_ui.DBNavigator1, m_model,
        [this] { return askYesNoCancel(this, m_services.translate(QStringLiteral("Datensatz löschen?"))); }, this);

    installRowChecks();

    connect(m_ui.AusloggenBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.BitBtn1, &QPushButton::clicked, this, &TMainForm::Benutzerverwalten1Click);
    connect(m_ui.BitBtn2, &QPushButton::clicked, this, &TMainForm::AuswertungnachMitarbeiter1Click);
    connect(m_ui.BitBtn3, &QPushButton::clicked, this, &TMainForm::AuswertungnachOrtBaustelle1Click);
    connect(m_ui.Benutzerverwalten1, &QAction::triggered, this, &TMainForm::Benutzerverwalten1Click);
    connect(m_ui.AdministratorPasswortfestlegen1, &QAction::triggered, this,
            &TMainForm::AdministratorPasswortfestlegen1Click);
    connect(m_ui.VorgabetextefrdasAusfllenfestlegen1, &QAction::triggered, this,
            &TMainForm::VorgabetextefrdasAusfllenfestlegen1Click);
    connect(m_ui.Datensicherung1, &QAction::triggered, this, &TMainForm::Datensicherung1Click);
    connect(m_ui.nderungsprotokoll1, &QAction::triggered, this, &TMainForm::nderungsprotokoll1Click);
    connect(m_ui.AuswertungnachMitarbeiter1, &QAction::triggered, this, &TMainForm::AuswertungnachMitarbeiter1Click);
    connect(m_ui.AuswertungnachOrtBaustelle1, &QAction::triggered, this, &TMainForm::AuswertungnachOrtBaustelle1Click);
    connect(m_ui.AuswertungnachTtigkeit1, &QAction::triggered, this, &TMainForm::AuswertungnachTtigkeit1Click);
    connect(m_ui.PrfungArbeitszeitgesetz1, &QAction::triggered, this, &TMainForm::PrfungArbeitszeitgesetz1Click);
    connect(m_ui.Monatsnachweis1, &QAction::triggered, this, &TMainForm::Monatsnachweis1Click);
    connect(m_ui.Sollzeiten1, &QAction::triggered, this, &TMainForm::Sollzeiten1Click);
    connect(m_ui.Abwesenheiten1, &QAction::triggered, this, &TMainForm::Abwesenheiten1Click);
    connect(m_ui.AlleBuchungenalsCSVexportieren1, &QAction::triggered, this,
            &TMainForm::AlleBuchungenalsCSVexportieren1Click);
}

TMainForm::~TMainForm()
{
    // Program end: close the work-time table; an error here is of no use to anybody.
    try {
        Dbf1.Close();
    } catch (...) {
    }
}

void TMainForm::FormCreate()
{
    progpath = QString::fromStdString(programFolderOf(m_services.executablePath));
    guarded(this, [this] { LoadBenutzer(); });
    m_ui.PausenzeitinAuswertungauffhren1->setChecked(m_services.userData.settings.ShowBreakTimeInEvaluation);
    const std::filesystem::path folder = progpath.toStdString();
    Dbf1.setFolder(folder);
    Dbf1.setTableName(worktime::kTableName);
    Dbf2.setFolder(folder);
    Dbf2.setTableName(worktime::kScratchName);
    // Both tables are filtered on the logged-in employee while filtering is switched on.
    const auto filter = [this](const DbfTable& table) {
        return Dbf1FilterRecord(table, m_windows.einloggen->currentEmployee());
    };
    Dbf1.setFilter(filter);
    Dbf2.setFilter(filter);
    m_services.journal.attach(Dbf1);
}

// A row typed into the grid or the data list passes the recording window's checks before it is
// stored, and a text goes into a cell only when the table's code page can hold it.
void TMainForm::installRowChecks()
{
    const auto shownOver = [this] {
        QWidget* modal = QApplication::activeModalWidget();
        return modal ? modal : static_cast<QWidget*>(this);
    };
    m_model->setRowCheck([this, shownOver](const std::vector<std::u16string>& row) -> std::optional<int> {
        const auto refusal = checkWorkTimeRow(row, m_services.regional);
        if (!refusal)
            return std::nullopt;
        QString text;
        const QString typed = qs(row.at(static_cast<std::size_t>(refusal->field)));
        switch (refusal->kind) {
        case RowRefusal::Message: text = m_services.message(refusal->message); break;
        case RowRefusal::UnreadableDate:
            text = m_services
                       .translate(QStringLiteral("Das Datum „%1“ kann nicht gelesen werden. Bitte geben Sie "
                                                 "es als TT.MM.JJJJ ein."))
                       .arg(typed);
            break;
        case RowRefusal::UnreadableTime:
            text = m_services
                       .translate(QStringLiteral("Die Zeit „%1“ kann nicht gelesen werden. Bitte geben Sie "
                                                 "sie als HH:MM ein."))
                       .arg(typed);
            break;
        }
        showError(shownOver(), text);
        return refusal->field;
    });
    m_model->setTextCheck([this, shownOver](int field, const std::u16string& text) {
        const std::vector<std::u16string> lost = unstorableInName(text);
        if (lost.empty())
            return true;
        const QString title = m_model->headerData(field, Qt::Horizontal).toString();
        showError(shownOver(), m_services.translate(QStringLiteral("Diese Zeichen können nicht gespeichert werden:"))
                                   + u'\n' + characterLines({{title, lost}}));
        return false;
    });
    // Another copy of the program on the same folder, on this computer or another, at the row.
    const auto cell = [this](int field, const std::u16string& text) {
        return m_model->headerData(field, Qt::Horizontal).toString() + QStringLiteral(": „") + qs(text) + u'“';
    };
    m_model->setRowConflicts({
        [this, shownOver] {
            showError(shownOver(), m_services.translate(QStringLiteral(
                                       "Diese Zeile wird gerade an einem anderen Computer oder in einem anderen "
                                       "Fenster geändert. Ihre Eingabe bleibt in der Zeile stehen; speichern Sie "
                                       "sie später noch einmal.")));
        },
        [this, shownOver] {
            showError(shownOver(), m_services.translate(QStringLiteral(
                                       "Diese Zeile wurde inzwischen an einem anderen Computer oder in einem "
                                       "anderen Fenster gelöscht. Die Liste zeigt jetzt den neuen Stand.")));
        },
        [this, shownOver, cell](const std::vector<std::u16string>& now, const std::vector<std::u16string>& shown,
                                int field, const std::u16string& typed) {
            QStringList lines {m_services.translate(QStringLiteral(
                "Diese Zeile wurde inzwischen an einem anderen Computer oder in einem anderen Fenster geändert. "
                "Jetzt gespeichert:"))};
            for (std::size_t f = 0; f < now.size() && f < shown.size(); ++f) {
                if (now[f] != shown[f])
                    lines << cell(static_cast<int>(f), now[f]);
            }
            lines << QString() << m_services.translate(QStringLiteral("Ihre Eingabe:")) << cell(field, typed)
                  << QString() << m_services.translate(QStringLiteral("Mit Ihrer Eingabe überschreiben?"));
            return askYesNo(shownOver(), lines.join(u'\n'));
        },
    });
}

QString TMainForm::GetProgramDir(bool /*create*/) const
{
    return progpath;
}

std::filesystem::path TMainForm::programFile(const char* name) const
{
    return std::filesystem::path(progpath.toStdString()) / name;
}

void TMainForm::CreateandopenTables()
{
    ChangeJournal& journal = m_services.journal;
    horavant::CreateandopenTables(
        Dbf1, Dbf2, m_services.messageLookup(), germanMessageText,
        [&](const std::filesystem::path& upgraded) { journal.tableUpgraded(Dbf1, upgraded); });
    journal.start(Dbf1);
    // The grid's titles in the current language, whatever language named the stored fields.
    std::vector<QString> titles;
    for (const auto& field : worktime::kSchema)
        titles.push_back(m_services.message(field.message));
    m_model->setColumnTitles(std::move(titles));
    // The timesheet's tables are made when missing; one that is there is only read when used.
    for (const TableSchema& schema : {kTargetTable, kAbsenceTable})
        createTableIfMissing(Dbf1.folder(), schema);
    // The grid's rows are counted when the window shows them, not while the login waits.
    if (isVisible())
        m_model->reload();
    else
        m_model->reloadLater();
}

void TMainForm::reloadDataFiles()
{
    // The table first: the grid must not go on showing the replaced file.
    CreateandopenTables();
    LoadBenutzer();
    m_ui.PausenzeitinAuswertungauffhren1->setChecked(m_services.userData.settings.ShowBreakTimeInEvaluation);
}

void TMainForm::showEvent(QShowEvent* event)
{
    guarded(this, [this] {
        m_model->takeInAppended();
        m_model->reloadIfStale();
    });
    MainWindow::showEvent(event);
    QTimer::singleShot(0, this, &TMainForm::showJournalNotice);
}

void TMainForm::showJournalNotice()
{
    std::optional<journal::Notice> notice;
    guarded(this, [&] { notice = m_services.journal.takeNotice(); });
    if (!notice || !isVisible())
        return;
    guarded(this, [&] {
        QString text = QString::fromStdString(
            formatMessage(m_services
                              .translate(QStringLiteral("Die Prüfung des Änderungsprotokolls mit der Datensicherung "
                                                        "%s hat Abweichungen gefunden:"))
                              .toStdString(),
                          {notice->backup}));
        const auto translate = [this](std::u16string_view t) {
            return u16(m_services.translate(QString::fromStdU16String(std::u16string(t))));
        };
        for (const std::u16string& line : journal::checkMessage(notice->result, translate))
            text += u'\n' + qs(line);
        showError(this, text);
    });
}

void TMainForm::done(int result)
{
    // FormClose: store a pending insert or edit made in the grid; its errors are not shown. A
    // row the checks refuse keeps the window open, to be corrected or cancelled.
    try {
        m_grid->postPending();
    } catch (const AbortError&) {
        return;
    } catch (...) {
    }
    QDialog::done(result);
}

void TMainForm::Datensicherung1Click()
{
    // A row being edited in the grid belongs in the backups and must not be lost by a restore.
    if (!guarded(this, [this] { m_grid->postPending(); }))
        return;
    m_windows.datensicherung->exec();
}

void TMainForm::nderungsprotokoll1Click()
{
    // A row being edited in the grid is stored first, so the journal shows it.
    if (!guarded(this, [this] { m_grid->postPending(); }))
        return;
    m_windows.protokoll->showJournal();
}

void TMainForm::AuswertungnachMitarbeiter1Click()
{
    runEvaluation(EvaluationLayout::Employee, 30);
}

void TMainForm::AuswertungnachOrtBaustelle1Click()
{
    runEvaluation(EvaluationLayout::Place, 32);
}

void TMainForm::AuswertungnachTtigkeit1Click()
{
    runEvaluation(EvaluationLayout::Activity, 33);
}

void TMainForm::runEvaluation(EvaluationLayout layout, int noRowsMessage)
{
    guarded(this, [&] {
        m_model->takeInAppended();
        m_model->reloadIfStale();  // the grid is to show where the scan ends
        m_grid->postPending();
        const DatedTextRows gathered = GatherSubjects(Dbf1, subjectPosition(layout), m_services.regional);
        const std::vector<std::u16string>& subjects = gathered.subjects.texts;
        // The scan has gone through the whole table; the grid shows where it stopped.
        m_grid->press(DbNavigator::Last);
        if (subjects.empty()) {
            showError(this, m_services.message(noRowsMessage));
            return;
        }
        TMitarbeiterAussuchenForm& choice = *m_windows.mitarbeiterAussuchen;
        choice.setSubjects(subjects);
        if (choice.exec() != QDialog::Accepted)
            return;
        // The report reads the chosen subject's rows of the period again, not the whole table.
        m_windows.auswerten->setReport(BuildEvaluationReport(
            Dbf1, layout, choice.subject(), choice.fromDate(), choice.toDate(), showBreaks(), m_services.regional,
            m_services.messageLookup(), m_services.store.Translate(u"Stunden"), &gathered));
        m_windows.auswerten->exec();
    });
}

void TMainForm::PrfungArbeitszeitgesetz1Click()
{
    guarded(this, [&] {
        m_model->takeInAppended();
        m_model->reloadIfStale();  // the grid is to show where the scan ends
        m_grid->postPending();
        // The scan for the list of employees also notes each record's day, so the check reads
        // only the records of the period chosen.
        const LawCheckRows gathered = GatherLawCheckRows(Dbf1, m_services.regional);
        std::vector<std::u16string> subjects = gathered.subjects.texts;
        m_grid->press(DbNavigator::Last);
        if (subjects.empty()) {
            showError(this, m_services.message(30));
            return;
        }
        const std::u16string all = m_services.store.Translate(kAllEmployees);
        subjects.insert(subjects.begin(), all);
        TMitarbeiterAussuchenForm& choice = *m_windows.mitarbeiterAussuchen;
        choice.setSubjects(subjects);
        if (choice.exec() != QDialog::Accepted)
            return;
        // By its place in the list, so that an employee who bears the same name as the first
        // entry is still one employee.
        const bool everybody = choice.subjectIndex() == 0;
        const std::u16string subject = everybody ? all : choice.subject();
        // The states and absences as they are now; a table that cannot be used is named in the
        // report instead of stopping the check.
        const TimesheetData timesheet = loadUsableTimesheetData(Dbf1.folder(), m_services.regional);
        const auto check = CheckWorkingTimeLaw(
            Dbf1, everybody ? std::nullopt : std::optional<std::u16string_view>(subject), choice.fromDate(),
            choice.toDate(), m_services.regional, &gathered, &timesheet);
        // The report's texts are met together; a store that lacks them is saved once.
        TranslationStore::SaveBatch batch(m_services.store);
        ReportTable report = BuildWorkingTimeReport(
            check, subject, choice.fromDate(), choice.toDate(), m_services.regional,
            [this](std::u16string_view text) { return m_services.store.Translate(text); });
        batch.finish();
        m_windows.auswerten->setReport(std::move(report));
        m_windows.auswerten->exec();
    });
}

void TMainForm::Monatsnachweis1Click()
{
    guardedTables(this, m_services, [&] {
        m_model->takeInAppended();
        m_model->reloadIfStale();  // the grid is to show where the scan ends
        m_grid->postPending();
        const Regional& regional = m_services.regional;
        // The scan for the list of employees also notes each record's day and worked time, so
        // the timesheet of one or of all of them needs no second scan.
        TimesheetRows gathered = gatherTimesheetRows(Dbf1, regional);
        m_grid->press(DbNavigator::Last);
        std::vector<std::u16string> subjects = timesheetEmployees(gathered, loadTimesheetData(Dbf1.folder(), regional));
        if (subjects.empty()) {
            showError(this, m_services.message(30));
            return;
        }
        const std::u16string all = m_services.store.Translate(kAllEmployeesChoice);
        subjects.insert(subjects.begin(), all);
        TMitarbeiterAussuchenForm& choice = *m_windows.mitarbeiterAussuchen;
        choice.setSubjects(subjects);
        const QDate today = QDate::currentDate();
        choice.setPeriod(QDate(today.year(), today.month(), 1),
                         QDate(today.year(), today.month(), today.daysInMonth()));
        if (choice.exec() != QDialog::Accepted)
            return;
        // What changed while the choice was open counts, in this copy or another.
        m_model->takeInAppended();
        if (!gathered.stillCurrent(Dbf1))
            gathered = gatherTimesheetRows(Dbf1, regional);
        const TimesheetData data = loadTimesheetData(Dbf1.folder(), regional);
        TranslationStore::SaveBatch batch(m_services.store);
        const Translator translate = [this](std::u16string_view text) { return m_services.store.Translate(text); };
        // By its place in the list, so that an employee named like the first entry is one employee.
        ReportTable report = choice.subjectIndex() == 0
                                 ? BuildTimesheetOverview(gathered, data, all, choice.fromDate(), choice.toDate(),
                                                          regional, translate)
                                 : BuildTimesheetReport(Dbf1, gathered, data, choice.subject(), choice.fromDate(),
                                                        choice.toDate(), regional, translate);
        batch.finish();
        m_windows.auswerten->setReport(std::move(report));
        m_windows.auswerten->exec();
    });
}

void TMainForm::Sollzeiten1Click()
{
    m_windows.sollzeiten->exec();
}

void TMainForm::Abwesenheiten1Click()
{
    m_windows.abwesenheiten->exec();
}

void TMainForm::AlleBuchungenalsCSVexportieren1Click()
{
    // Every text is looked up before the file is written, so that a failure to write the file is
    // reported in the same words as any other.
    QString caption, filter, label, cancel, failed;
    std::u16string name;
    RecordCsvTexts texts;
    if (!guarded(this, [&] {
            m_grid->postPending();
            caption = m_services.translate(QStringLiteral("Alle Buchungen als CSV exportieren"));
            filter = m_services.translate(QStringLiteral("CSV-Dateien (*.csv)"));
            label = m_services.translate(QStringLiteral("Die Buchungen werden exportiert..."));
            cancel = m_services.translate(QStringLiteral("Abbrechen"));
            failed = m_services.translate(QStringLiteral("Die Datei konnte nicht gespeichert werden."));
            name = m_services.store.Translate(u"Buchungen");
            texts = {recordCsvTitles(Dbf1, m_services.messageLookup(), m_services.store.Translate(u"Stunden")),
                     m_services.store.Translate(u"Ja"), m_services.store.Translate(u"Nein")};
        }))
        return;
    const auto file = askExportFile(this, m_services, caption, filter, QStringLiteral("csv"), name);
    if (!file)
        return;
    QProgressDialog& dialog = exportProgressDialog();
    const ExportProgress progress = exportProgress(dialog, label, cancel);
    runExport(
        this, failed, [&] { ExportRecordsCsv(Dbf1, *file, texts, m_services.regional, progress); }, &dialog);
}

QProgressDialog& TMainForm::exportProgressDialog()
{
    if (!m_exportProgress)
        m_exportProgress = makeExportProgress(this);
    return *m_exportProgress;
}

}  // namespace horavant
