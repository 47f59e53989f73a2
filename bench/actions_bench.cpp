// What a user feels on a table of a million records: each action through the program's own
// windows (offscreen), from the click to the window that answers it shown, against a scan of
// every field and a raw read of the same file in the same run.
#include "bench_support.h"

#include "app/application.h"
#include "admin/protokoll_form.h"
#include "app/main_form.h"
#include "evaluation/auswerten_form.h"
#include "evaluation/mitarbeiter_aussuchen_form.h"
#include "recording/daten_auflisten_form.h"
#include "recording/einloggen_form.h"
#include "recording/erfassen_form.h"
#include "admin/datensicherung_form.h"
#include "store/backup.h"
#include "store/posix_file.h"
#include "store/user_file.h"
#include "ui/db_navigator.h"
#include "ui/work_time_model.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>

#include <chrono>
#include <fstream>
#include <functional>

namespace horavant::bench {

std::unique_ptr<Application> g_started;

namespace {

using Clock = std::chrono::steady_clock;

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

// The program folder: a copy of the million-record table (recordings are appended to it), a user
// who logs in as employee 7, German, and translate.dat as the first start left it.
std::filesystem::path programFolder()
{
    static const std::filesystem::path folder = [] {
        const auto dir = dataDir() / "actions-run";
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(workTimeTable(benchRecords()), dir / "arbeitszeit.dbf");
        UserData users;
        users.users.push_back({u"Mitarbeiter 7", u"anna", u""});
        SaveBenutzer(dir / "benutzer.dat", users);
        saveFileAtomically(dir / "options.dat", std::string_view("\0\0\0\0", 4));
        return dir;
    }();
    return folder;
}

template <class T>
T* control(QWidget* window, const char* name)
{
    return window->findChild<T*>(QString::fromLatin1(name));
}

// Runs `step` once `window` is the active modal window, shown and painted; the step is expected
// to close it. The modal window's own event loop runs the step.
void whenShown(QWidget* window, std::function<void()> step)
{
    auto* poll = new QTimer;
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, [poll, window, step = std::move(step)] {
        if (QApplication::activeModalWidget() != window || !window->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        QApplication::processEvents();  // its first paint
        step();
    });
    poll->start();
}

// The application, started once and shown at its login window (g_started goes before
// QApplication does).
Application& app()
{
    if (!g_started) {
        auto a = std::make_unique<Application>(programFolder() / "horavant");
        // Without a printer the output window would first report that in a message box.
        a->windows().auswerten->printer().setOutputFileName(
            QString::fromStdString((dataDir() / "actions-unused.pdf").string()));
        a->start();
        while (!a->windows().einloggen->isVisible())
            QApplication::processEvents();
        QApplication::processEvents();
        // The day's backup is written beside the windows; the actions are timed without it.
        while (a->windows().datensicherung->copying())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        g_started = std::move(a);
    }
    return *g_started;
}

// An employee logs in; `work` runs in the shown recording window, which closes afterwards.
void asEmployee(const std::function<void(TErfassenForm&)>& work)
{
    TEinloggenForm& login = *app().windows().einloggen;
    TErfassenForm& erfassen = *app().windows().erfassen;
    control<QLineEdit>(&login, "Edit1")->setText(QStringLiteral("anna"));
    control<QLineEdit>(&login, "Edit2")->clear();
    whenShown(&erfassen, [&] {
        work(erfassen);
        erfassen.reject();
    });
    login.BitBtnXP1Click();
}

// The administrator logs in (no password is set); `work` runs in the shown main window.
void asAdministrator(const std::function<void(TMainForm&)>& work)
{
    TMainForm& main = app().mainForm();
    whenShown(&main, [&] {
        work(main);
        main.reject();
    });
    app().windows().einloggen->BitBtnXP2Click();
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void BM_StartUpToLogin(benchmark::State& state)
{
    const auto exe = programFolder() / "horavant";
    app();  // translate.dat as the first start leaves it
    for (auto _ : state) {
        auto a = std::make_unique<Application>(exe);
        a->start();
        while (!a->windows().einloggen->isVisible())
            QApplication::processEvents();
        QApplication::processEvents();
        state.PauseTiming();
        a.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// The longest time the window thread is away from its event loop, measured by a timer that asks
// to run every millisecond: the largest gap between two of its turns, less the millisecond.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_last = Clock::now();
        m_timer.start();
    }
    double longestSeconds() const { return std::max(0.0, m_longest - 0.001); }
    void tick()
    {
        const auto now = Clock::now();
        m_longest = std::max(m_longest, std::chrono::duration<double>(now - m_last).count());
        m_last = now;
    }

private:
    QTimer m_timer;
    Clock::time_point m_last;
    double m_longest = 0;
};

std::filesystem::path todaysBackup(const std::filesystem::path& folder)
{
    return folder / backup::kFolder / backup::candidateNames(backup::BackupKind::Daily, backup::localNow()).front();
}

// The first start of a day on the million-record table, until the day's backup is written: the
// longest stall of the window thread (the time reported), from the start through the login
// window shown to the backup's end. The backup's own time is a counter.
void BM_StartUpLongestStall(benchmark::State& state)
{
    const auto exe = programFolder() / "horavant";
    app();
    double backupSeconds = 0;
    for (auto _ : state) {
        std::filesystem::remove_all(todaysBackup(programFolder()));
        const auto start = Clock::now();
        StallMeter stalls;  // made first: making the windows, before the loop runs, is a stall too
        auto a = std::make_unique<Application>(exe);
        a->start();
        while (!a->windows().einloggen->isVisible() || a->windows().datensicherung->copying()
               || !std::filesystem::exists(todaysBackup(programFolder())))
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        backupSeconds = secondsSince(start);
        state.SetIterationTime(stalls.longestSeconds());
        a.reset();
        QApplication::processEvents();
    }
    state.counters["start and backup ms"] = backupSeconds * 1e3;
}

// The stall of before, in the same run: the day's backup written on the window thread.
void BM_DailyBackupOnTheWindowThread(benchmark::State& state)
{
    DbfTable& table = app().mainForm().workTimeTable();
    for (auto _ : state) {
        std::filesystem::remove_all(todaysBackup(programFolder()));
        backup::makeBackup(table, backup::BackupKind::Daily, backup::localNow());
    }
}

// The login button until the recording window is shown, its place and activity lists built from
// every stored row.
void BM_EmployeeLogin(benchmark::State& state)
{
    std::size_t places = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        double seconds = 0;
        asEmployee([&](TErfassenForm& erfassen) {
            seconds = secondsSince(start);
            places = static_cast<std::size_t>(control<QComboBox>(&erfassen, "Orted")->count());
        });
        state.SetIterationTime(seconds);
    }
    state.counters["places"] = static_cast<double>(places);
}

// "Okay, erfassen": the checks, the overlap scan of the whole table and the durable append. Each
// period lies on a day of its own after the generated ones, so no question is asked.
void BM_RecordOnePeriod(benchmark::State& state)
{
    static int day = 0;
    // The generated rows fill about 900 a day, 336 days a year, from 2010.
    const QDate firstFreeDay(2011 + static_cast<int>(benchRecords() / 900 / 336), 1, 1);
    asEmployee([&](TErfassenForm& erfassen) {
        for (auto _ : state) {
            control<QComboBox>(&erfassen, "Orted")->setEditText(QStringLiteral("Baustelle 1"));
            control<QComboBox>(&erfassen, "TatEd")->setEditText(QStringLiteral("Tätigkeit 1"));
            control<QTimeEdit>(&erfassen, "DateTimePicker1")->setTime(QTime(8, 0));
            control<QTimeEdit>(&erfassen, "DateTimePicker2")->setTime(QTime(12, 0));
            control<QDateEdit>(&erfassen, "DateTimePicker3")->setDate(firstFreeDay.addDays(day++));
            erfassen.ErfassenBtnClick();
        }
    });
}

// "Daten auflisten" until the list of the employee's own rows is shown at its last row.
void BM_DataListAtLastRow(benchmark::State& state)
{
    TDatenAuflistenForm& list = *app().windows().datenAuflisten;
    std::size_t rows = 0;
    asEmployee([&](TErfassenForm& erfassen) {
        for (auto _ : state) {
            const auto start = Clock::now();
            double seconds = 0;
            whenShown(&list, [&] {
                control<DbNavigator>(&list, "DBNavigator1")->button(DbNavigator::Last)->click();
                QApplication::processEvents();
                seconds = secondsSince(start);
                rows = static_cast<std::size_t>(app().mainForm().model().rowCount());
                control<QPushButton>(&list, "BitBtn1")->click();
            });
            erfassen.EditBtnClick();
            state.SetIterationTime(seconds);
        }
    });
    state.counters["rows"] = static_cast<double>(rows);
}

// A menu entry of the main window until its report is shown: the subjects are gathered, the
// selection window is answered at once (the subject at `index`, March 2011), the report is built.
void evaluation(benchmark::State& state, void (TMainForm::*entry)(), int index)
{
    TMitarbeiterAussuchenForm& choice = *app().windows().mitarbeiterAussuchen;
    TAuswertenForm& output = *app().windows().auswerten;
    asAdministrator([&](TMainForm& main) {
        for (auto _ : state) {
            const auto start = Clock::now();
            double seconds = 0;
            whenShown(&choice, [&] {
                control<QComboBox>(&choice, "ArbeiterEd")->setCurrentIndex(index);
                control<QDateEdit>(&choice, "DateTimePicker1")->setDate(QDate(2011, 3, 1));
                control<QDateEdit>(&choice, "DateTimePicker2")->setDate(QDate(2011, 3, 31));
                whenShown(&output, [&] {
                    seconds = secondsSince(start);
                    output.reject();
                });
                choice.accept();
            });
            (main.*entry)();
            state.SetIterationTime(seconds);
        }
    });
}

void BM_EvaluationByEmployee(benchmark::State& state)
{
    evaluation(state, &TMainForm::AuswertungnachMitarbeiter1Click, 7);
}

void BM_EvaluationByPlace(benchmark::State& state)
{
    evaluation(state, &TMainForm::AuswertungnachOrtBaustelle1Click, 7);
}

void BM_EvaluationByActivity(benchmark::State& state)
{
    evaluation(state, &TMainForm::AuswertungnachTtigkeit1Click, 7);
}

void BM_LawCheckAllEmployees(benchmark::State& state)
{
    evaluation(state, &TMainForm::PrfungArbeitszeitgesetz1Click, 0);
}

// The administrator's login until the main window's grid is shown at its last row, the first
// time after the start: the table is read afresh and the grid's rows are still to be counted.
void BM_MainGridAtLastRow(benchmark::State& state)
{
    for (auto _ : state) {
        app().mainForm().workTimeTable().Refresh();
        app().mainForm().model().reloadLater();
        const auto start = Clock::now();
        double seconds = 0;
        asAdministrator([&](TMainForm& main) {
            control<DbNavigator>(&main, "DBNavigator1")->button(DbNavigator::Last)->click();
            QApplication::processEvents();
            seconds = secondsSince(start);
        });
        state.SetIterationTime(seconds);
    }
}

// "Änderungsprotokoll..." until the journal's window is shown with its newest entries and painted.
// The journal begins with the state of the million records (45 MB) and holds the entries of the
// benchmarks before.
void BM_JournalWindowShown(benchmark::State& state)
{
    TProtokollForm& window = *app().windows().protokoll;
    std::size_t rows = 0;
    asAdministrator([&](TMainForm& main) {
        for (auto _ : state) {
            const auto start = Clock::now();
            double seconds = 0;
            whenShown(&window, [&] {
                seconds = secondsSince(start);
                rows = static_cast<std::size_t>(control<QTableView>(&window, "ListView1")->model()->rowCount());
                window.reject();
            });
            main.nderungsprotokoll1Click();
            state.SetIterationTime(seconds);
        }
    });
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["journal_MB"] = static_cast<double>(std::filesystem::file_size(programFolder() / "protokoll.txt"))
                                   / 1e6;
}

BENCHMARK(BM_StartUpToLogin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmployeeLogin)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordOnePeriod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DataListAtLastRow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationByEmployee)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationByPlace)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluationByActivity)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LawCheckAllEmployees)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MainGridAtLastRow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpLongestStall)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DailyBackupOnTheWindowThread)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

namespace {

// A line of /proc/self/status without its name, such as "   23292 kB".
std::string statusLine(std::string_view name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(name))
            return line.substr(line.find_first_not_of(" \t", name.size()));
    }
    return "?";
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const auto settings = horavant::bench::dataDir() / "actions-settings";
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settings.string()));
    std::vector<std::pair<std::string, std::string>> ratios;
    for (const char* action :
         {"BM_StartUpToLogin", "BM_EmployeeLogin/manual_time", "BM_RecordOnePeriod", "BM_DataListAtLastRow/manual_time",
          "BM_EvaluationByEmployee/manual_time", "BM_EvaluationByPlace/manual_time",
          "BM_EvaluationByActivity/manual_time", "BM_LawCheckAllEmployees/manual_time",
          "BM_MainGridAtLastRow/manual_time", "BM_JournalWindowShown/manual_time"}) {
        ratios.emplace_back(action, "BM_FullScanAllFields");
        ratios.emplace_back(action, "BM_RawRead");
    }
    ratios.emplace_back("BM_StartUpLongestStall/iterations:3/manual_time",
                        "BM_DailyBackupOnTheWindowThread/iterations:3");
    // The baseline of the memory: what Qt and the benchmark hold before any table work.
    const std::string before = statusLine("VmRSS:");
    const int result = horavant::bench::runWithRatios(argc, argv, ratios);
    horavant::bench::g_started.reset();
    // The whole run's high-water mark: the program with the table open through every action
    // (and the benchmark's own baselines).
    std::printf("\nPeak resident memory of this run: %s (before any table work: %s)\n", statusLine("VmHWM:").c_str(),
                before.c_str());
    return result;
}
