// Speed of reading and writing translation table files, with the processor time split into
// user and system time and the peak memory per byte of file.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>

#include "bench/translation_tables.h"
#include "project/project_files.h"
#include "table/ptf_format.h"

namespace parlix::bench {
namespace {

// User and system time this process has used, in milliseconds.
struct CpuTime {
    double user = 0;
    double system = 0;
};

CpuTime ProcessCpuTime() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

// Adds up the processor time of the timed parts of a benchmark's iterations.
class CpuClock {
  public:
    void Start() { started_ = ProcessCpuTime(); }
    void Stop() {
        const CpuTime now = ProcessCpuTime();
        total_.user += now.user - started_.user;
        total_.system += now.system - started_.system;
    }
    // Per iteration, in milliseconds.
    void Report(benchmark::State& state) const {
        const double n =
            static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
        state.counters["user_ms"] = total_.user / n;
        state.counters["sys_ms"] = total_.system / n;
    }

  private:
    CpuTime started_;
    CpuTime total_;
};

void LoadInto(benchmark::State& state, const std::string& indexField) {
    const int records = static_cast<int>(state.range(0));
    const std::string& path = TranslationFile(records);
    const std::int64_t fileSize = FileSize(path);
    double peakRatio = 0;
    CpuClock cpu;
    for (auto _ : state) {
        state.PauseTiming();
        auto table = std::make_unique<PtfTable>();
        DefineTranslationFields(*table);
        table->SetIndexFieldNames(indexField);
        const std::int64_t before = CurrentResidentBytes();
        ResetPeakResident();
        cpu.Start();
        state.ResumeTiming();

        bool loaded = true;
        try {
            LoadPtfFile(path, *table);
        } catch (const PtfError&) {
            loaded = false;
        }
        table->Open();  // an ordered table settles its order here
        benchmark::DoNotOptimize(loaded);

        state.PauseTiming();
        cpu.Stop();
        peakRatio = static_cast<double>(PeakResidentBytes() - before) / fileSize;
        if (!loaded || table->RecordCount() != records) {
            state.SkipWithError("load failed");
        }
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileSize);
    state.counters["peak_memory_per_file_byte"] = peakRatio;
    cpu.Report(state);
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
    double peakRatio = 0;
    CpuClock cpu;
    for (auto _ : state) {
        state.PauseTiming();
        MakeDiffer(path);  // each iteration replaces the file, as a save of a change does
        const std::int64_t before = CurrentResidentBytes();
        ResetPeakResident();
        cpu.Start();
        state.ResumeTiming();

        SavePtfFile(path, '"', table);

        state.PauseTiming();
        cpu.Stop();
        peakRatio = static_cast<double>(PeakResidentBytes() - before) / FileSize(path);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
    state.counters["peak_memory_per_file_byte"] = peakRatio;
    cpu.Report(state);
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
