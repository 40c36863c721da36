// Speed of the review marks: opening a project with its sources file, saving both files, and
// the checks with the marks and the consistency of translations. Every hundredth row of the
// generated tables has a translation to review.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <unordered_map>

#include "bench/translation_tables.h"
#include "check/table_checks.h"
#include "project/project_files.h"
#include "review/source_memory.h"
#include "review/sources_file.h"
#include "table/ptf_format.h"

namespace parlix::bench {
namespace {

constexpr int kEveryMarked = 100;

// The marks of a table: every hundredth row to review.
void MarkRows(const PtfTable& table, review::SourceMemory& marks) {
    std::unordered_map<RecordId, review::Mark> marked;
    for (int row = 0; row < table.RecordCount(); row += kEveryMarked) {
        marked.emplace(table.IdAt(row), review::Mark{"der Text vorher"});
    }
    marks.Reset(std::move(marked));
}

// The sources file beside TranslationFile(records), made once per size.
const std::string& SourcesFile(int records) {
    static std::map<int, std::string> files;
    auto [at, added] = files.try_emplace(records, TranslationFile(records) + ".sources");
    if (added) {
        PtfTable table;
        DefineTranslationFields(table);
        LoadPtfFile(TranslationFile(records), table);
        table.Open();
        review::SourceMemory marks(table);
        MarkRows(table, marks);
        review::SaveMarks(at->second, table, marks);
    }
    return at->second;
}

// The table read and its marks read beside it, as opening a project does.
void BM_OpenWithSourcesFile(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string& path = TranslationFile(records);
    const std::string& sources = SourcesFile(records);
    int marked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<PtfTable>();
        DefineTranslationFields(*table);
        review::SourceMemory marks(*table);
        state.ResumeTiming();

        LoadPtfFile(path, *table);
        table->Open();
        review::LoadMarks(sources, *table, marks);
        marked = marks.Count();

        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * (FileSize(path) + FileSize(sources)));
    state.counters["marks"] = marked;
}

// The table and its marks written, each file changed since the last save.
void BM_SaveWithSourcesFile(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    PtfTable table;
    DefineTranslationFields(table);
    table.CreateTable();
    FillTranslationTable(table, records);
    review::SourceMemory marks(table);
    MarkRows(table, marks);
    const std::string path = TranslationFile(records) + ".saved";
    const std::string sources = path + ".sources";
    for (auto _ : state) {
        state.PauseTiming();
        MakeDiffer(path);
        MakeDiffer(sources);
        state.ResumeTiming();

        SavePtfFile(path, '"', table);
        review::SaveMarks(sources, table, marks);
    }
    state.SetBytesProcessed(state.iterations() * (FileSize(path) + FileSize(sources)));
}

// The checks with the marks: BM_CheckTable's table, with a translation to review in every
// hundredth row.
void BM_CheckTableWithMarks(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    PtfTable table;
    DefineTranslationFields(table);
    table.CreateTable();
    FillTranslationTable(table, records);
    table.First();
    review::SourceMemory marks(table);
    MarkRows(table, marks);
    std::size_t findings = 0;
    int toReview = 0;
    for (auto _ : state) {
        const check::CheckResult result = check::CheckTranslations(table, {"uTexte"}, &marks);
        findings = result.findings.size();
        toReview = result.toReview;
        benchmark::DoNotOptimize(result.translated);
    }
    state.SetItemsProcessed(state.iterations() * records);
    state.counters["findings"] = static_cast<double>(findings);
    state.counters["to_review"] = toReview;
}

BENCHMARK(BM_OpenWithSourcesFile)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SaveWithSourcesFile)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CheckTableWithMarks)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace parlix::bench
