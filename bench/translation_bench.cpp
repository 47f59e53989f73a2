// The translation store with 100,000 rows: loading against a raw read of translate.dat, a lookup
// of a known text against a hash lookup, and a new text (which saves) against an atomic write of
// the same number of bytes.
#include "bench_support.h"

#include "i18n/translation_store.h"
#include "store/byte_io.h"
#include "store/counted_strings.h"
#include "store/posix_file.h"

#include <array>
#include <string_view>
#include <unordered_map>

namespace horavant::bench {
namespace {

constexpr int kRows = 100'000;

// Words with many different first letters, as the program's own texts have.
constexpr std::array<std::u16string_view, 44> kWords = {
    u"Abfahrt",   u"Baustelle",  u"Dach",      u"Estrich",     u"Fenster", u"Garten",   u"Heizung", u"Isolierung",
    u"Jalousie",  u"Keller",     u"Leitung",   u"Mauer",       u"Nische",  u"Ofen",     u"Putz",    u"Quader",
    u"Rohr",      u"Sockel",     u"Treppe",    u"Untergrund",  u"Vordach", u"Wand",     u"Zaun",    u"Ärger",
    u"Öl",        u"Übergabe",   u"abholen",   u"bohren",      u"dämmen",  u"einbauen", u"fliesen", u"gießen",
    u"hobeln",    u"kleben",     u"lackieren", u"messen",      u"nageln",  u"ölen",     u"prüfen",  u"reinigen",
    u"schleifen", u"tapezieren", u"verputzen", u"zuschneiden",
};

std::u16string number(int n)
{
    std::u16string out;
    for (char c : std::to_string(n))
        out += static_cast<char16_t>(c);
    return out;
}

std::u16string germanText(int row)
{
    return std::u16string(kWords[static_cast<std::size_t>(row) % kWords.size()]) + u" Nummer " + number(row);
}

// translate.dat of kRows rows: German, English and Spanish filled, the other 27 columns empty.
std::filesystem::path storeFile()
{
    const auto path = dataDir() / "translate-100000.dat";
    if (std::filesystem::exists(path))
        return path;
    ByteWriter out;
    out.writeI32(kTranslationColumns);
    out.writeI32(kRows);
    for (int r = 0; r < kRows; ++r) {
        WriteCountedWideString(out, germanText(r));
        WriteCountedWideString(out, u"English text number " + number(r));
        WriteCountedWideString(out, u"Texto español número " + number(r));
        for (int c = 3; c < kTranslationColumns; ++c)
            WriteCountedWideString(out, u"");
    }
    saveFileAtomically(path, out.bytes());
    return path;
}

// A copy that the benchmarks of new texts may grow.
std::filesystem::path workingCopy()
{
    const auto dir = dataDir() / "translate-work";
    std::filesystem::create_directories(dir);
    const auto path = dir / "translate.dat";
    std::filesystem::copy_file(storeFile(), path, std::filesystem::copy_options::overwrite_existing);
    return path;
}

const std::u16string kKnown = germanText(kRows / 2);

void BM_RawRead(benchmark::State& state)
{
    const auto path = storeFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(rawRead(path));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}
BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);

void BM_LoadStore(benchmark::State& state)
{
    const auto path = storeFile();
    for (auto _ : state) {
        TranslationStore store(path);
        store.InitTranslations();
        benchmark::DoNotOptimize(store.rowCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadStore)->Unit(benchmark::kMillisecond);

void BM_HashLookup(benchmark::State& state)
{
    // The same rows behind a hash table: the least a lookup returning a copy can cost.
    std::unordered_map<std::u16string, std::u16string> rows;
    for (int r = 0; r < kRows; ++r)
        rows.emplace(germanText(r), u"English text number " + number(r));
    for (auto _ : state)
        benchmark::DoNotOptimize(std::u16string(rows.find(kKnown)->second));
}
BENCHMARK(BM_HashLookup)->Unit(benchmark::kMicrosecond);

void BM_TranslateKnown(benchmark::State& state)
{
    TranslationStore store(storeFile());
    store.InitTranslations();
    store.setCurrentLanguage(1);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Translate(kKnown));
    if (store.rowCount() != kRows)
        state.SkipWithError("the known text was not found");
}
BENCHMARK(BM_TranslateKnown)->Unit(benchmark::kMicrosecond);

void BM_AtomicWrite(benchmark::State& state)
{
    const std::string bytes(std::filesystem::file_size(storeFile()), 'x');
    const auto path = workingCopy().parent_path() / "raw.dat";
    for (auto _ : state)
        saveFileAtomically(path, bytes);
    std::filesystem::remove_all(path.parent_path());
}
BENCHMARK(BM_AtomicWrite)->Unit(benchmark::kMillisecond);

void BM_TranslateNew(benchmark::State& state)
{
    TranslationStore store(workingCopy());
    store.InitTranslations();
    store.setCurrentLanguage(1);
    // The first new row grows the row array past its first 100,000; that is not what is measured.
    store.Translate(u"Erster neuer Text");
    int n = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Translate(u"Neuer Text " + number(n++)));
    state.counters["rows"] = static_cast<double>(store.rowCount());
    std::filesystem::remove_all(store.file().parent_path());
}
BENCHMARK(BM_TranslateNew)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_LoadStore", "BM_RawRead"},
                                           {"BM_TranslateKnown", "BM_HashLookup"},
                                           {"BM_TranslateNew", "BM_AtomicWrite"},
                                           {"BM_TranslateNew", "BM_RawRead"}});
}
