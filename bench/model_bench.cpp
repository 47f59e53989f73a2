// The main window's grid on a million work-time records: opening the table, its model and a
// shown grid and going to the last row, against a raw sequential read of the same file.
#include "bench_support.h"

#include "store/dbf_table.h"
#include "ui/data_grid.h"
#include "ui/db_navigator.h"
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
    const auto path = workTimeTable(kMillion);
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
    const auto path = workTimeTable(kMillion);
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
        DataGrid grid(view, navigator, model, [] { return false; }, &window);
        window.resize(800, 600);
        window.show();
        grid.press(DbNavigator::Last);
        QApplication::processEvents();
        benchmark::DoNotOptimize(view->currentIndex().row());
    }
}
BENCHMARK(BM_GridShownAtLastRow)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_ModelOpenAndLastRow", "BM_RawRead"},
                                           {"BM_GridShownAtLastRow", "BM_RawRead"}});
}
