// Speed of reading the application's forms, on the real forms of the Lazarus sources (Debian's
// lazarus-src-2.2, 863 .lfm files, 9.9 MB): each file read into its tree, and the whole set
// scanned as the table sees it (units beside the forms, ancestors, frames, texts). Target: all
// 863 forms in less than a second.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "forms/form_reader.h"
#include "forms/scanned_forms.h"
#include "tests/forms/lazarus_corpus.h"

namespace parlix::bench {
namespace {

std::vector<std::string> CorpusPaths(benchmark::State& state) {
    std::vector<std::string> paths;
    for (const std::string& form : testing::LazarusForms()) {
        paths.push_back((testing::kLazarusSources / form).string());
    }
    if (paths.empty()) {
        state.SkipWithError("the Lazarus sources (lazarus-src-2.2) are not installed");
    }
    return paths;
}

void BM_ReadLazarusForms(benchmark::State& state) {
    const std::vector<std::string> paths = CorpusPaths(state);
    for (auto _ : state) {
        std::size_t strings = 0;
        for (const std::string& path : paths) {
            strings += forms::ReadFormFile(path).root.strings.size();
        }
        benchmark::DoNotOptimize(strings);
    }
    state.counters["forms"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_ReadLazarusForms)->Unit(benchmark::kMillisecond);

void BM_ScanLazarusFormsAndTheirTexts(benchmark::State& state) {
    const std::vector<std::string> paths = CorpusPaths(state);
    for (auto _ : state) {
        forms::ScannedForms scanned;
        std::size_t texts = 0;
        for (const std::string& path : paths) {
            scanned.Add(path);
        }
        for (const forms::ScannedForm& form : scanned.Forms()) {
            texts += scanned.Texts(form).size();
        }
        benchmark::DoNotOptimize(texts);
    }
    state.counters["forms"] = static_cast<double>(paths.size());
}
BENCHMARK(BM_ScanLazarusFormsAndTheirTexts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace parlix::bench
