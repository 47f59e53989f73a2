// One evaluation on a million work-time records: gathering the employees and building the report
// of one of them over a month, against a scan of every field of the same file.
#include "bench_support.h"

#include "evaluation/report.h"
#include "store/dbf_table.h"

#include <map>

namespace horavant::bench {
namespace {

using namespace std::chrono;

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScanAllFields)->Unit(benchmark::kMillisecond);

std::u16string germanMessage(int number)
{
    static const std::map<int, std::u16string> texts = {
        {23, u"Auswertung Mitarbeiter"}, {24, u"Zeitraum von:"}, {25, u"bis:"},
        {26, u"Auswärts"}, {27, u"Auswärtsübernachtungen:"}, {28, u"Abgezogene Pausenzeit in Stunden:"},
        {29, u"Gesamtstunden:"}, {35, u"Pause"}, {36, u"Datum"}, {37, u"Ort"}, {38, u"Tätigkeit"},
        {39, u"Von"}, {40, u"Bis"}, {41, u"Übernachtung"}, {42, u"Bemerkungen"}};
    const auto it = texts.find(number);
    return it == texts.end() ? std::u16string() : it->second;
}

void BM_Evaluation(benchmark::State& state)
{
    DbfTable t;
    openTable(t, workTimeTable(kMillion));
    std::size_t lines = 0;
    for (auto _ : state) {
        const auto subjects = CollectSubjects(t, subjectPosition(EvaluationLayout::Employee));
        const auto report = BuildEvaluation(t, EvaluationLayout::Employee, subjects.at(7),
                                            sys_days(2011y / March / 1), sys_days(2011y / March / 31), true,
                                            Regional::german(), germanMessage);
        lines = report.size();
        benchmark::DoNotOptimize(report.data());
    }
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_Evaluation)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace horavant::bench

int main(int argc, char** argv)
{
    return horavant::bench::runWithRatios(argc, argv,
                                          {{"BM_Evaluation", "BM_FullScanAllFields"}, {"BM_Evaluation", "BM_RawRead"}});
}
