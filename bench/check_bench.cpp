// Speed of the checks: the window runs them after every post and delete, parlix-build before
// every build. The generated tables assign their few hundred property paths again and again,
// so most records hold a finding (a property assigned twice): the check's worst case.
#include <benchmark/benchmark.h>

#include "bench/translation_tables.h"
#include "check/table_checks.h"
#include "project/project_files.h"

namespace parlix::bench {
namespace {

void BM_CheckTable(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    PtfTable table;
    DefineTranslationFields(table);
    table.CreateTable();
    FillTranslationTable(table, records);
    table.First();
    std::size_t findings = 0;
    for (auto _ : state) {
        const check::CheckResult result = check::CheckTranslations(table, {"uTexte"});
        findings = result.findings.size();
        benchmark::DoNotOptimize(result.translated);
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.counters["findings"] = static_cast<double>(findings);
}

BENCHMARK(BM_CheckTable)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace parlix::bench
