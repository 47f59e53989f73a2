// Start-up to the login window shown, against a bare Qt program showing one window in the same
// run: in German, in Spanish with every text already in the store, and in Spanish on a fresh
// installation, where every text is new to the store. Also the walk on an empty store with one
// save per new text against the walk with the saves gathered into one.
#include "bench_support.h"

#include "app/application.h"
#include "recording/einloggen_form.h"
#include "store/backup.h"
#include "store/posix_file.h"
#include "ui/translate_components.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace horavant::bench {
namespace {

std::filesystem::path runDir()
{
    return dataDir() / "startup-run";
}

void writeLanguage(const std::filesystem::path& dir, int language)
{
    const char bytes[4] = {static_cast<char>(language), 0, 0, 0};
    saveFileAtomically(dir / "options.dat", {bytes, 4});
}

void showLogin(Application& app)
{
    app.start();
    while (!app.windows().einloggen->isVisible())
        QApplication::processEvents();
    QApplication::processEvents();
}

// The program folder of one start: an existing table, the language, and translate.dat as given.
enum class Store { None, Known, KnownTranslated };

// translate.dat as a first run in Spanish leaves it: every message and window text, with a
// Spanish text for each when translated.
std::filesystem::path knownStore(bool translated)
{
    const auto path = dataDir() / (translated ? "startup-store-es.dat" : "startup-store.dat");
    if (std::filesystem::exists(path))
        return path;
    const auto dir = dataDir() / "startup-prepare";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    writeLanguage(dir, 2);
    {
        Application app(dir / "horavant");
        showLogin(app);
        if (translated) {
            TranslationStore& store = app.store();
            for (int r = 0; r < store.rowCount(); ++r)
                store.setCell(r, 2, u"ES " + store.cell(r, 0));
            store.SaveTranslations();
        }
    }
    std::filesystem::copy_file(dir / "translate.dat", path);
    if (!std::filesystem::exists(dataDir() / "startup-table.dbf"))
        std::filesystem::copy_file(dir / "arbeitszeit.dbf", dataDir() / "startup-table.dbf");
    std::filesystem::remove_all(dir);
    return path;
}

void prepareRun(int language, Store store)
{
    const auto dir = runDir();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    if (store != Store::None)
        std::filesystem::copy_file(knownStore(store == Store::KnownTranslated), dir / "translate.dat");
    knownStore(false);
    std::filesystem::copy_file(dataDir() / "startup-table.dbf", dir / "arbeitszeit.dbf");
    writeLanguage(dir, language);
    // As at every start after the first of a day, the day's backup is there (bench_backup
    // measures making one).
    std::filesystem::create_directories(
        dir / backup::kFolder / backup::candidateNames(backup::BackupKind::Daily, backup::localNow()).front());
}

void startUp(benchmark::State& state, int language, Store store)
{
    for (auto _ : state) {
        state.PauseTiming();
        prepareRun(language, store);
        state.ResumeTiming();
        auto app = std::make_unique<Application>(runDir() / "horavant");
        showLogin(*app);
        state.PauseTiming();
        app.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_BareWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = std::make_unique<QDialog>();
        auto* layout = new QVBoxLayout(window.get());
        layout->addWidget(new QLabel(QStringLiteral("Benutzername:")));
        layout->addWidget(new QPushButton(QStringLiteral("Programm beenden")));
        window->show();
        while (!window->isVisible())
            QApplication::processEvents();
        QApplication::processEvents();
        state.PauseTiming();
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BareWindow)->Unit(benchmark::kMillisecond);

void BM_StartGerman(benchmark::State& state)
{
    startUp(state, 0, Store::Known);
}
BENCHMARK(BM_StartGerman)->Unit(benchmark::kMillisecond);

void BM_StartSpanishFullStore(benchmark::State& state)
{
    startUp(state, 2, Store::KnownTranslated);
}
BENCHMARK(BM_StartSpanishFullStore)->Unit(benchmark::kMillisecond);

void BM_StartSpanishEmptyStore(benchmark::State& state)
{
    startUp(state, 2, Store::None);
}
BENCHMARK(BM_StartSpanishEmptyStore)->Unit(benchmark::kMillisecond);

// The walk alone on an empty store, so the cost of saving each new text on its own shows.
void walkEmptyStore(benchmark::State& state, bool batched)
{
    prepareRun(2, Store::None);
    Application app(runDir() / "horavant");
    TranslationStore& store = app.store();
    std::size_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(store.file());
        store.InitTranslations();
        store.setCurrentLanguage(2);
        state.ResumeTiming();
        if (batched) {
            TranslationStore::SaveBatch batch(store);
            TranslateComponents(app.windows().list, store);
            batch.finish();
        } else {
            TranslateComponents(app.windows().list, store);
        }
        rows = static_cast<std::size_t>(store.rowCount());
    }
    state.counters["new texts"] = static_cast<double>(rows);
}

void BM_WalkEmptyStoreSavingEachText(benchmark::State& state)
{
    walkEmptyStore(state, false);
}
BENCHMARK(BM_WalkEmptyStoreSavingEachText)->Unit(benchmark::kMillisecond);

void BM_WalkEmptyStoreSavingOnce(benchmark::State& state)
{
    walkEmptyStore(state, true);
}
BENCHMARK(BM_WalkEmptyStoreSavingOnce)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const auto settings = horavant::bench::dataDir() / "startup-settings";
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settings.string()));
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_StartGerman", "BM_BareWindow"},
                                           {"BM_StartSpanishFullStore", "BM_BareWindow"},
                                           {"BM_StartSpanishEmptyStore", "BM_BareWindow"},
                                           {"BM_WalkEmptyStoreSavingEachText", "BM_WalkEmptyStoreSavingOnce"}});
}
