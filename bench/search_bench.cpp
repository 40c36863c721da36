// Speed of filtering and replacing in the translation table: one filter pass over every row
// (what a keystroke in the filter costs before the grid repaints), and planning a replace all.
#include <benchmark/benchmark.h>

#include "bench/translation_tables.h"
#include "project/project_files.h"
#include "search/table_search.h"

namespace parlix {
namespace {

PtfTable& Table(int records) {
    static PtfTable table;
    if (table.RecordCount() != records) {
        table.Close();
        DefineTranslationFields(table);
        table.CreateTable();
        bench::FillTranslationTable(table, records);
    }
    return table;
}

void BM_FilterRows(benchmark::State& state) {
    PtfTable& table = Table(static_cast<int>(state.range(0)));
    const std::vector<int> columns = {0, 1, 2, 3, 4};
    const TextPattern pattern("kunde", {});
    int shown = 0;
    for (auto _ : state) {
        shown = 0;
        for (int row = 0; row < table.RecordCount(); ++row) {
            shown += RowContains(table, row, columns, pattern) ? 1 : 0;
        }
        benchmark::DoNotOptimize(shown);
    }
    state.counters["shown"] = shown;
    state.SetItemsProcessed(state.iterations() * table.RecordCount());
}
BENCHMARK(BM_FilterRows)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_PlanReplaceAll(benchmark::State& state) {
    PtfTable& table = Table(static_cast<int>(state.range(0)));
    SearchScope scope;
    for (int row = 0; row < table.RecordCount(); ++row) {
        scope.rows.push_back(row);
    }
    scope.columns = {3, 4};
    const TextPattern pattern("e", {true, false});
    for (auto _ : state) {
        ReplacePlan plan = PlanReplaceAll(table, scope, pattern, "E");
        benchmark::DoNotOptimize(plan.replacements);
    }
}
BENCHMARK(BM_PlanReplaceAll)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace parlix
