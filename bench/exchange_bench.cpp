// Speed of the exchange with translators: exporting a translation table to XLIFF or CSV, and
// importing such a file, planned and applied, with every target changed. The import also
// reports its peak memory per byte of file beyond the table it starts from: while planning
// (what the reader and the plan hold), and for the whole import, which adds the table's own
// growth by the values written.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "bench/translation_tables.h"
#include "exchange/exchange.h"
#include "project/project_files.h"

namespace parlix::bench {
namespace {

using exchange::Format;

std::string ScratchPath(const char* extension) {
    return (std::filesystem::temp_directory_path() /
            ("parlix-exchange-" + std::to_string(::getpid()) + extension))
        .string();
}

// Removes the file when the benchmark ends.
struct Scratch {
    std::string path;
    explicit Scratch(const char* extension) : path(ScratchPath(extension)) {}
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

std::unique_ptr<PtfTable> GeneratedTable(int records) {
    auto table = std::make_unique<PtfTable>();
    DefineTranslationFields(*table);
    table->CreateTable();
    FillTranslationTable(*table, records);
    return table;
}

exchange::ExportOptions Options() {
    exchange::ExportOptions options;
    options.sourceCode = "de";
    options.targetCode = "en";
    options.csvDelimiter = ';';
    options.original = "Bench_translations.ptf";
    return options;
}

// Writes the whole table to a file in one piece; bytes are those of the file.
void Export(benchmark::State& state, Format format, const char* extension) {
    const int records = static_cast<int>(state.range(0));
    const auto table = GeneratedTable(records);
    const Scratch file(extension);
    for (auto _ : state) {
        state.PauseTiming();
        MakeDiffer(file.path);  // each iteration writes the whole file
        state.ResumeTiming();
        benchmark::DoNotOptimize(exchange::ExportFile(file.path, format, *table, Options()));
    }
    state.SetBytesProcessed(state.iterations() * FileSize(file.path));
}

// Reads a file whose every target differs from the table's, plans the import and applies it.
void Import(benchmark::State& state, Format format, const char* extension) {
    const int records = static_cast<int>(state.range(0));
    const Scratch file(extension);
    {
        const auto translated = GeneratedTable(records);
        translated->First();
        while (!translated->AtEnd()) {
            translated->Edit();
            translated->Field(4).SetAsString("Translated " + std::to_string(translated->RecNo()));
            translated->Post();
            translated->Next();
        }
        exchange::ExportFile(file.path, format, *translated, Options());
    }
    const auto fileSize = static_cast<double>(FileSize(file.path));
    double planRatio = 0;
    double peakRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = GeneratedTable(records);
        ::malloc_trim(0);  // what earlier iterations freed must not hide this one's needs
        const std::int64_t before = CurrentResidentBytes();
        ResetPeakResident();
        state.ResumeTiming();

        int written = 0;
        {
            const exchange::ImportPlan plan = exchange::PlanImport(file.path, *table, {});
            state.PauseTiming();
            planRatio = static_cast<double>(PeakResidentBytes() - before) / fileSize;
            state.ResumeTiming();
            written = plan.fault ? -1 : exchange::ApplyImportPlan(plan, *table);
        }

        state.PauseTiming();
        peakRatio = static_cast<double>(PeakResidentBytes() - before) / fileSize;
        if (written != records) {
            state.SkipWithError("import failed");
        }
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FileSize(file.path));
    state.counters["plan_memory_per_file_byte"] = planRatio;
    state.counters["peak_memory_per_file_byte"] = peakRatio;
}

void BM_ExportXliff(benchmark::State& state) {
    Export(state, Format::Xliff, ".xlf");
}
void BM_ExportCsv(benchmark::State& state) {
    Export(state, Format::Csv, ".csv");
}
void BM_ImportXliff(benchmark::State& state) {
    Import(state, Format::Xliff, ".xlf");
}
void BM_ImportCsv(benchmark::State& state) {
    Import(state, Format::Csv, ".csv");
}

BENCHMARK(BM_ExportXliff)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportXliff)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportCsv)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportCsv)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace parlix::bench
