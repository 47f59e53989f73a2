// Windows on large data, against a raw sequential read of the million-record table: the main
// window's grid opening that table at its last row, and the output window taking a report of
// 100,000 lines.
#include "bench_support.h"

#include "evaluation/auswerten_form.h"
#include "i18n/translation_store.h"
#include "store/dbf_table.h"
#include "store/user_model.h"
#include "ui/data_grid.h"
#include "ui/db_navigator.h"
#include "ui/services.h"
#include "ui/work_time_model.h"

#include <QApplication>
#include <QTableView>
#include <QVBoxLayout>

namespace horavant::bench {
namespace {

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

// The model alone: what the grid asks for before it paints the last screen of rows.
void BM_ModelOpenAndLastRow(benchmark::State& state)
{
    const auto path = workTimeTable(benchRecords());
    for (auto _ : state) {
        DbfTable t;
        openTable(t, path);
        WorkTimeModel model(t);
        const int last = model.rowCount() - 1;
        for (int c = 0; c < model.columnCount(); ++c)
            benchmark::DoNotOptimize(model.data(model.index(last, c)));
    }
}
BENCHMARK(BM_ModelOpenAndLastRow)->Unit(benchmark::kMillisecond);

// The whole grid: a window with the grid and its navigator shown, the navigator's Last pressed,
// and the events processed until the last rows are painted.
void BM_GridShownAtLastRow(benchmark::State& state)
{
    const auto path = workTimeTable(benchRecords());
    for (auto _ : state) {
        DbfTable t;
        openTable(t, path);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* navigator = new DbNavigator(&window);
        auto* view = new QTableView(&window);
        layout->addWidget(navigator);
        layout->addWidget(view);
        auto* model = new WorkTimeModel(t, &window);
        view->setModel(model);
        DataGrid grid(
            view, navigator, model, [] { return false; }, &window);
        window.resize(800, 600);
        window.show();
        grid.press(DbNavigator::Last);
        QApplication::processEvents();
        benchmark::DoNotOptimize(view->currentIndex().row());
    }
}
BENCHMARK(BM_GridShownAtLastRow)->Unit(benchmark::kMillisecond);

// A report of 100,000 lines as the evaluation builds them, put into the output window and painted.
void BM_OutputWindowFilledWithReport(benchmark::State& state)
{
    ReportTable report;
    for (const auto& [title, width] : std::vector<std::pair<std::u16string, std::size_t>> {{u"Datum", 10},
                                                                                           {u"Ort", 25},
                                                                                           {u"Tätigkeit", 35},
                                                                                           {u"Von", 5},
                                                                                           {u"Bis", 5},
                                                                                           {u"Übernachtung", 12},
                                                                                           {u"Pause", 5},
                                                                                           {u"Bemerkungen", 11}})
        report.columns.push_back({.title = title, .width = width});
    report.rows.reserve(100'000);
    for (int i = 0; i < 100'000; ++i) {
        const auto n = std::to_string(i % 997);
        report.rows.push_back({u"01.03.2012", u"Baustelle " + std::u16string(n.begin(), n.end()), u"Maurern", u"07:30",
                               u"16:15", u"Auswärts", u"00:45", u""});
    }
    TranslationStore store(dataDir() / "bench-translate.dat");
    UserData users;
    ChangeJournal journal(dataDir());
    Services services {store, users, Regional::german(), dataDir() / "horavant", journal};
    TAuswertenForm window(services);
    window.printer().setOutputFileName(QString::fromStdString((dataDir() / "unused.pdf").string()));
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.setReport(report);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OutputWindowFilledWithReport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_ModelOpenAndLastRow", "BM_RawRead"},
                                           {"BM_GridShownAtLastRow", "BM_RawRead"},
                                           {"BM_OutputWindowFilledWithReport", "BM_RawRead"}});
}
