#include "cli/parlix_build.h"
#include "cli/run_executable.h"
#include "cli/run_tool.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <sstream>

#include "generator/build_test_support.h"
#include "generator/unit_generator.h"
#include "table/errors.h"
#include "table/platform.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::Golden;
using testing::ProjectSettings;
using testing::ReadBytes;
using testing::SameUnit;
using testing::TempDir;
using testing::WriteBytes;
using testing::WriteProjectFiles;

using Result = testing::ToolResult;
using testing::RunTool;

// Every file and folder below a folder, each file with its content and time, to prove that a
// failed build touched no file. (A folder's time may change: a temporary file came and went.)
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string state = "<folder>";
        if (!entry.is_directory()) {
            state = ReadBytes(entry.path().string()) + "@" +
                    std::to_string(entry.last_write_time().time_since_epoch().count());
        }
        files[fs::relative(entry.path(), folder).string()] = state;
    }
    return files;
}

// The worked example's one finding, which every build reports before it writes: the German
// " Nicht gefunden " has blanks that the English "Not found" lacks.
std::string BlanksWarning(const std::string& translations) {
    return translations +
           ":6: warning: leading or trailing blanks differ between Deutsch and English; the unit "
           "drops them\n";
}

// A project "Demo" with the worked example's texts in a folder of its own; the source unit
// is named relative to the project file.
class ParlixBuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(dir_.Path() / "app");
        WriteProjectFiles(project_, ProjectSettings{}, testing::WorkedExampleRows());
        WriteBytes(unit_, "old unit");
    }

    // Runs the tool with `args` and expects a failure with exactly `message` and no change
    // to any file.
    void ExpectFailure(const std::vector<std::string>& args, const std::string& message) {
        const auto before = Snapshot(dir_.Path());
        const Result result = RunTool(args);
        EXPECT_EQ(result.status, build_tool::kFailure);
        std::string err = result.err;
        if (err.starts_with(BlanksWarning(translations_))) {
            err.erase(0, BlanksWarning(translations_).size());
        }
        EXPECT_EQ(err, "parlix-build: " + message + "\n");
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(Snapshot(dir_.Path()), before);
    }

    void ExpectWrongUsage(const std::vector<std::string>& args, const std::string& problem) {
        const auto before = Snapshot(dir_.Path());
        const Result result = RunTool(args);
        EXPECT_EQ(result.status, build_tool::kWrongUsage);
        EXPECT_EQ(result.err, "parlix-build: " + problem + "\n" + build_tool::kUsage + "\n");
        EXPECT_EQ(Snapshot(dir_.Path()), before);
    }

    TempDir dir_;
    const std::string project_ = dir_.File("app/Demo.ppr");
    const std::string translations_ = dir_.File("app/Demo_translations.ptf");
    const std::string unit_ = dir_.File("app/uTexte.pas");
};

TEST_F(ParlixBuildTest, WritesTheSourceUnitBesideTheProjectWithBackups) {
    const Result result = RunTool({"--define", "2", project_});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.err, BlanksWarning(translations_));
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(SameUnit(ReadBytes(unit_), Golden("worked_example.pas")));
    EXPECT_EQ(ReadBytes(unit_ + ".bak1"), "old unit");
    EXPECT_FALSE(fs::exists("uTexte.pas")) << "written to the working folder";

    ASSERT_EQ(RunTool({project_}).status, build_tool::kSuccess);
    const std::string undefined = ReadBytes(unit_);
    EXPECT_EQ(undefined.find("{$DEFINE"), std::string::npos);
    EXPECT_EQ(ReadBytes(unit_ + ".bak2"), "old unit");

    ASSERT_EQ(RunTool({"--define=1", project_}).status, build_tool::kSuccess);
    EXPECT_NE(ReadBytes(unit_).find("();\r\n{$DEFINE Deutsch}\r\n\r\nconst\r\n"),
              std::string::npos);
    EXPECT_EQ(ReadBytes(unit_ + ".bak1"), undefined);
}

TEST_F(ParlixBuildTest, StandardOutputTakesTheUnitAndNoFileIsTouched) {
    const auto before = Snapshot(dir_.Path());
    const Result result = RunTool({project_, "--define", "2", "--output", "-"});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_TRUE(SameUnit(result.out, Golden("worked_example.pas")));
    EXPECT_EQ(Snapshot(dir_.Path()), before);
    EXPECT_EQ(RunTool({"--output=-", "--define=2", project_}).out, result.out);
}

TEST_F(ParlixBuildTest, OutputFileIsWrittenWithItsOwnBackupsAndTheSourceUnitsName) {
    const std::string other = dir_.File("other.pas");
    WriteBytes(other, "other before");
    const Result result = RunTool({"--define", "2", "--output", other, project_});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_TRUE(SameUnit(ReadBytes(other), Golden("worked_example.pas")));
    EXPECT_EQ(ReadBytes(other + ".bak1"), "other before");
    EXPECT_EQ(ReadBytes(unit_), "old unit");
    EXPECT_FALSE(fs::exists(unit_ + ".bak1"));
}

// A unit converted to UTF-8 once stays so; --encoding decides either way, also for standard
// output, which replaces no unit and is Windows-1252 unless asked.
TEST_F(ParlixBuildTest, TheUnitKeepsItsEncodingUnlessAsked) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string golden = Golden("worked_example.pas");
    const std::vector<std::pair<std::vector<std::string>, bool>> builds = {
        {{}, false}, {{"--encoding", "utf8"}, true}, {{}, true}, {{"--encoding=cp1252"}, false},
        {{}, false},
    };
    for (const auto& [options, utf8] : builds) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {"--define", "2", project_});
        ASSERT_EQ(RunTool(args).status, build_tool::kSuccess);
        EXPECT_TRUE(SameUnit(ReadBytes(unit_), utf8 ? bom + golden : golden));
    }
    WriteBytes(unit_, bom + "unit uTexte;\r\n");
    EXPECT_TRUE(SameUnit(RunTool({"--define=2", "--output", "-", project_}).out, golden));
    EXPECT_TRUE(SameUnit(RunTool({"--define=2", "--output=-", "--encoding", "utf8", project_}).out,
                         bom + golden));
}

// The language fields are named after the project record and filled by position: a table
// file whose columns are titled otherwise may hold its languages in the wrong columns, so
// the build stops at that error instead of writing the texts under the wrong language.
TEST_F(ParlixBuildTest, LanguagesComeFromTheProjectRecord) {
    PtfTable translations;
    testing::FillTranslations(translations, "Spalte4", "Spalte5", testing::WorkedExampleRows());
    SavePtfFile(translations_, '"', translations);
    const Result result = RunTool({"--define", "2", "--output", "-", project_});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err,
                ::testing::HasSubstr(translations_ + ":3: error: column 4 is titled \"Spalte4\""));
}

TEST_F(ParlixBuildTest, UnreadableFilesFailWithTheirNameAndCause) {
    ExpectFailure({dir_.File("app/Missing.ppr")}, "Datei " + dir_.File("app/Missing.ppr") +
                                                      " kann nicht geöffnet werden. " +
                                                      SystemErrorText(ENOENT));
    fs::remove(translations_);
    ExpectFailure({project_}, "Datei " + translations_ + " kann nicht geöffnet werden. " +
                                  SystemErrorText(ENOENT));
}

TEST_F(ParlixBuildTest, FormatFaultsNameTheFileAndLine) {
    const std::string good = ReadBytes(translations_);
    std::string broken = good;
    broken.replace(broken.find("\"sTitle\""), 8, "sTitle");  // line 4: an unquoted word
    WriteBytes(translations_, broken);
    ExpectFailure({project_}, translations_ + ":4: Zeile kann nicht gelesen werden");

    WriteBytes(translations_, good);
    std::string project = ReadBytes(project_);
    project.replace(project.find(",2,"), 3, ",\"zwei\",");  // Backups is an integer field
    WriteBytes(project_, project);
    const Result result = RunTool({project_});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.err.rfind("parlix-build: " + project_ + ":4: ", 0), 0u) << result.err;
    EXPECT_EQ(ReadBytes(unit_), "old unit");

    WriteBytes(project_, "/* Portable Table Format 1.0 */\r\n");
    ExpectFailure({project_}, project_ + ": keine Tabellendatei (weniger als 4 Zeilen)");
}

TEST_F(ParlixBuildTest, AProjectWithoutRecordOrSourceUnitFails) {
    WriteProjectFiles(project_, ProjectSettings{.sourceFile = ""}, {});
    ExpectFailure({project_},
                  project_ + ": keine Quelltext-Unit angegeben (das Feld SourceFile ist leer)");

    PtfTable empty;
    DefineProjectFields(empty);
    empty.CreateTable();
    SavePtfFile(project_, '"', empty);
    ExpectFailure({project_}, project_ + ": enthält keinen Projektdatensatz");
}

TEST_F(ParlixBuildTest, AnUnwritableUnitFailsWithoutBackups) {
    WriteProjectFiles(project_, ProjectSettings{.sourceFile = "missing\\uTexte.pas"},
                      testing::WorkedExampleRows());
    // The project's folder as given, and the unit as the project names it, with slashes.
    const std::string missing = dir_.File("app/") + "missing/uTexte.pas";
    ExpectFailure({project_}, "Datei \"" + missing + "\" kann nicht erstellt werden. " +
                                  SystemErrorText(ENOENT));
    ExpectFailure({"--output", dir_.File("app"), project_}, "Datei \"" + dir_.File("app") +
                                                                "\" kann nicht erstellt werden. " +
                                                                SystemErrorText(EISDIR));
}

TEST_F(ParlixBuildTest, AFailedBackupLeavesTheUnitAlone) {
    fs::create_directory(unit_ + ".bak1");
    ExpectFailure({project_}, unit_ +
                                  ": Fehler beim Erstellen der Backup-Dateien - Unit nicht "
                                  "geschrieben: Datei \"" +
                                  unit_ + ".bak1\" kann nicht erstellt werden. " +
                                  SystemErrorText(EISDIR));
}

TEST_F(ParlixBuildTest, WrongCallsShowTheUsage) {
    ExpectWrongUsage({}, "keine Projektdatei angegeben");
    ExpectWrongUsage({"--define", "3", project_}, "--define erwartet 1 oder 2, nicht \"3\"");
    ExpectWrongUsage({project_, "--define"}, "--define braucht einen Wert");
    ExpectWrongUsage({"--define", "1", "--define", "2", project_},
                     "--define ist mehrfach angegeben");
    ExpectWrongUsage({"--output=", project_}, "--output braucht einen Dateinamen");
    ExpectWrongUsage({"--output", "-", "--output", "x", project_},
                     "--output ist mehrfach angegeben");
    ExpectWrongUsage({"--encoding", "latin1", project_},
                     "--encoding erwartet utf8 oder cp1252, nicht \"latin1\"");
    ExpectWrongUsage({"--encoding=utf8", "--encoding=utf8", project_},
                     "--encoding ist mehrfach angegeben");
    ExpectWrongUsage({"--check", "--encoding=utf8", project_},
                     "--check schreibt nichts; --encoding passt nicht dazu");
    ExpectWrongUsage({"--verbose", project_}, "unbekannte Option \"--verbose\"");
    ExpectWrongUsage({"--defines=1", project_}, "unbekannte Option \"--defines=1\"");
    ExpectWrongUsage({project_, project_}, "mehr als eine Projektdatei angegeben");
}

TEST_F(ParlixBuildTest, HelpPrintsTheUsage) {
    const Result result = RunTool({"--help"});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.out.rfind(std::string(build_tool::kUsage) + "\n", 0), 0u);
    EXPECT_NE(result.out.find("--output DATEI"), std::string::npos);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(RunTool({project_, "-h"}).status, build_tool::kSuccess);
}

TEST_F(ParlixBuildTest, ADoubleDashEndsTheOptions) {
    ExpectFailure({"--", "-Demo.ppr"},
                  "Datei -Demo.ppr kann nicht geöffnet werden. " + SystemErrorText(ENOENT));
}

// --- The built executable -----------------------------------------------------------------

Result RunExecutable(const fs::path& folder, const std::vector<std::string>& args) {
    const testing::ExecutableResult result =
        testing::RunExecutable(platform::Utf8Path(folder), args);
    return {result.status, result.out, result.err};
}

TEST_F(ParlixBuildTest, ExecutableFindsTheUnitFromTheProjectFolderNotTheWorkingFolder) {
    const Result result = RunExecutable(dir_.Path(), {"--define", "2", "app/Demo.ppr"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, BlanksWarning("app/Demo_translations.ptf"));
    EXPECT_TRUE(SameUnit(ReadBytes(unit_), Golden("worked_example.pas")));
    EXPECT_FALSE(fs::exists(dir_.File("uTexte.pas")));
}

TEST_F(ParlixBuildTest, ExecutableReportsFailuresAndWrongCalls) {
    Result result = RunExecutable(dir_.Path(), {"app/Missing.ppr"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "parlix-build: Datei app/Missing.ppr kann nicht geöffnet werden. " +
                              SystemErrorText(ENOENT) + "\n");

    result = RunExecutable(dir_.Path(), {"--define", "0", "app/Demo.ppr"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find(build_tool::kUsage), std::string::npos);
    EXPECT_EQ(ReadBytes(unit_), "old unit");
}

}  // namespace
}  // namespace parlix
