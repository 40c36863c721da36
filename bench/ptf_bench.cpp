// Speed of reading and writing translation table files, and the reader's peak memory.
#include <benchmark/benchmark.h>

#include "bench/translation_tables.h"
#include "project/project_files.h"
#include "table/ptf_format.h"

namespace parlix::bench {
namespace {

void LoadInto(benchmark::State& state, const std::string& indexField) {
    const int records = static_cast<int>(state.range(0));
    const std::string& path = TranslationFile(records);
    const std::int64_t fileSize = FileSize(path);
    double peakRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<PtfTable>();
        DefineTranslationFields(*table);
        table->SetIndexFieldNames(indexField);
        const std::int64_t before = CurrentResidentBytes();
        ResetPeakResident();
        state.ResumeTiming();

        bool loaded = LoadPtfFile(path, *table, [](const std::string&) {});
        table->Open();  // an ordered table settles its order here
        benchmark::DoNotOptimize(loaded);

        state.PauseTiming();
        peakRatio = static_cast<double>(PeakResidentBytes() - before) / fileSize;
        if (!loaded || table->RecordCount() != records) {
            state.SkipWithError("load failed");
        }
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["peak_memory_per_file_byte"] = peakRatio;
}

void BM_LoadPtf(benchmark::State& state) {
    LoadInto(state, "");
}
void BM_LoadPtfOrdered(benchmark::State& state) {
    LoadInto(state, "Language1");
}

void BM_SavePtf(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    PtfTable table;
    DefineTranslationFields(table);
    table.CreateTable();
    FillTranslationTable(table, records);
    const std::string path = TranslationFile(records) + ".saved";
    for (auto _ : state) {
        SavePtfFile(path, '"', table);
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}

BENCHMARK(BM_LoadPtf)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadPtfOrdered)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SavePtf)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace parlix::bench
