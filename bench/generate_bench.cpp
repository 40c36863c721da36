// Speed of Build: generating and writing the unit, and parlix-build from the project file to
// the written unit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "bench/translation_tables.h"
#include "cli/parlix_build.h"
#include "generator/unit_file.h"
#include "generator/unit_generator.h"
#include "project/project_files.h"
#include "table/backups.h"
#include "table/file_io.h"
#include "table/ptf_format.h"

namespace parlix::bench {
namespace {

// Removes a file and its backups when the benchmark ends.
struct ScratchUnit {
    std::string path;
    explicit ScratchUnit(std::string file) : path(std::move(file)) {}
    ~ScratchUnit() {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        for (const char* number : {"1", "2"}) {
            std::filesystem::remove(path + std::string(kBackupSuffix) + number, ec);
        }
    }
};

// Generates the unit from the table in memory into the file that replaces the unit in one
// piece, as Build does after its dialog (without backups), in Windows-1252 (encoding 0) or
// UTF-8 (1). Bytes are those of the unit written.
void BM_GenerateUnit(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const UnitEncodingChoice encoding =
        state.range(1) == 0 ? UnitEncodingChoice::Windows1252 : UnitEncodingChoice::Utf8;
    PtfTable table;
    DefineTranslationFields(table);
    table.CreateTable();
    FillTranslationTable(table, records);
    ProjectState project;
    project.SourceFileName = "uTexte.pas";
    project.UsesList = "Forms, Dialogs, uMain";
    project.LanguageNames = {"", "Language1", "Language2"};
    project.BuildLanguage = 1;
    const ScratchUnit unit((std::filesystem::temp_directory_path() /
                            ("parlix-generated-" + std::to_string(::getpid()) + ".pas"))
                               .string());

    for (auto _ : state) {
        state.PauseTiming();
        MakeDiffer(unit.path);  // each iteration replaces the unit, as a build of a change does
        state.ResumeTiming();
        GenerateUnitFile(unit.path, 0, project, table, nullptr, encoding);
    }
    const std::int64_t bytes = FileSize(unit.path);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["unit_bytes"] = static_cast<double>(bytes);
}

// parlix-build on a project whose translation table holds `records` records: read the project
// file and the translation table file, generate, keep two backups and write the unit.
void BM_ParlixBuild(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const std::string& translations = TranslationFile(records);
    const std::string base =
        translations.substr(0, translations.size() - 17);  // "_translations.ptf"
    const std::string projectFile = base + ".ppr";
    const ScratchUnit unit(base + "_unit.pas");
    {
        PtfTable project;
        DefineProjectFields(project);
        project.CreateTable();
        project.Edit();
        project.FieldByName(project_field::kSourceFile).SetAsString(ExtractFileName(unit.path));
        // The languages as the shared table file titles its columns, which the checks ask for.
        project.FieldByName(project_field::kLanguage1).SetAsString("Language1");
        project.FieldByName(project_field::kLanguage2).SetAsString("Language2");
        project.FieldByName(project_field::kBackups).SetAsInteger(2);
        project.FieldByName(project_field::kUses).SetAsString("Forms, Dialogs, uMain");
        SetIdentityFields(project);
        project.Post();
        SavePtfFile(projectFile, '"', project);
    }
    for (auto _ : state) {
        state.PauseTiming();
        MakeDiffer(unit.path);  // each iteration replaces the unit, as a build of a change does
        state.ResumeTiming();
        std::ostringstream out;
        std::ostringstream err;
        if (build_tool::run({projectFile}, out, err) != build_tool::kSuccess) {
            state.SkipWithError(err.str().c_str());
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize(translations)));
}

BENCHMARK(BM_GenerateUnit)
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->ArgNames({"records", "encoding"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ParlixBuild)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace parlix::bench
