// parlix-build --check and --strict, and the findings of a plain build: the lines editors and
// CI read, the exit statuses, and that a check writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/parlix_build.h"
#include "cli/run_executable.h"
#include "cli/run_tool.h"
#include "generator/build_test_support.h"
#include "table/platform.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::ProjectSettings;
using testing::ReadBytes;
using testing::Row;
using testing::WriteBytes;

using Result = testing::ToolResult;

class CheckCommandTest : public ::testing::Test {
  protected:
    // Writes the project with these records and an old unit beside it.
    void Write(const std::vector<Row>& rows, ProjectSettings settings = {}) {
        testing::WriteProjectFiles(project_, settings, rows);
        WriteBytes(unit_, "old unit");
        fs::remove(unit_ + ".bak1");
    }

    Result Run(std::vector<std::string> args) {
        args.push_back(project_);
        return testing::RunTool(args);
    }

    bool UnitUntouched() const {
        return ReadBytes(unit_) == "old unit" && !fs::exists(unit_ + ".bak1");
    }

    testing::TempDir dir_;
    const std::string project_ = dir_.File("Demo.ppr");
    const std::string table_ = dir_.File("Demo_translations.ptf");
    const std::string unit_ = dir_.File("uTexte.pas");
};

const std::vector<Row> kSound = {
    {"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"},
    {"", "frmMain.btOK.Caption", "", "&Fertig", "&Done"},
};

// Two errors (a reserved word, then the same name again) and a warning (untranslated), in
// records on lines 4 to 6 of the table file.
const std::vector<Row> kFaulty = {
    {"", "frmMain.Caption", "sTitle", "Titel", "Title"},
    {"", "", "Begin", "Anfang", ""},
    {"", "frmMain.Hint", "STITLE", "Tipp", "Tip"},
};

TEST_F(CheckCommandTest, ASoundTablePrintsOnlyTheSummaryAndWritesNothing) {
    Write(kSound);
    const Result result = Run({"--check"});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.out, table_ + ": 0 errors, 0 warnings in 2 records\n");
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(UnitUntouched());
    EXPECT_EQ(Run({"--check", "--strict"}).status, build_tool::kSuccess);
}

// The column titles of the table file stand in its names line, line 3.
TEST_F(CheckCommandTest, EveryFindingIsALineOfTheTableFile) {
    Write(kFaulty, ProjectSettings{.language1 = "Deutsch-CH"});
    std::string table = ReadBytes(table_);
    const std::string titles = "\"Deutsch-CH\",\"English\",";
    table.replace(table.find(titles), titles.size(), "\"English\",\"Deutsch-CH\",");
    WriteBytes(table_, table);
    const Result result = Run({"--check"});
    EXPECT_EQ(result.status, build_tool::kFailure);
    const std::string elsewhere = "; its values may belong to another column";
    EXPECT_EQ(result.out,
              project_ +
                  ":4: error: language name \"Deutsch-CH\" is not a valid conditional symbol "
                  "(only letters without accents, digits and underscores, not starting with a "
                  "digit, at most 127 characters)\n" +
                  table_ +
                  ":3: error: column 4 is titled \"English\" in the table file but "
                  "\"Deutsch-CH\" in the project" +
                  elsewhere + "\n" + table_ +
                  ":3: error: column 5 is titled \"Deutsch-CH\" in the table file but "
                  "\"English\" in the project" +
                  elsewhere + "\n" + table_ +
                  ":5: error: \"Begin\" is a reserved word and cannot name a constant\n" + table_ +
                  ":5: warning: untranslated: no text in English\n" + table_ +
                  ":6: error: constant \"STITLE\" is already declared at line 4 (case does not "
                  "matter)\n" +
                  table_ + ": 5 errors, 1 warning in 3 records\n");
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(UnitUntouched());
}

TEST_F(CheckCommandTest, WarningsFailOnlyWithStrict) {
    Write({{"", "frmMain.Caption", "", "Titel", ""}});
    const std::string warning = table_ + ":4: warning: untranslated: no text in English\n";
    Result result = Run({"--check"});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.out, warning + table_ + ": 0 errors, 1 warning in 1 record\n");

    result = Run({"--strict", "--check"});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.out, warning + table_ + ": 0 errors, 1 warning in 1 record\n");
    EXPECT_TRUE(UnitUntouched());

    // A build with --strict writes nothing on any finding ...
    result = Run({"--strict"});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, warning + "parlix-build: " + table_ +
                              ": 0 errors, 1 warning in 1 record; no unit written (--strict)\n");
    EXPECT_TRUE(UnitUntouched());
    EXPECT_EQ(Run({"--strict", "--output", "-"}).out, "");

    // ... and builds a sound table as always.
    Write(kSound);
    result = Run({"--strict"});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(ReadBytes(unit_).find("sTitle"), std::string::npos);
}

// A build reports what it finds, and writes the unit despite warnings but never with an
// error: such a unit would not compile, or would compile what is no translation.
TEST_F(CheckCommandTest, APlainBuildWritesNoUnitWithAnError) {
    Write(kFaulty);
    Result result = Run({"--output", "-"});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.find(table_ + ":5: error: "), 0u) << result.err;
    EXPECT_NE(result.err.find(table_ + ":6: error: "), std::string::npos);
    EXPECT_TRUE(result.err.ends_with("parlix-build: " + table_ +
                                     ": 2 errors, 1 warning in 3 records; no unit written\n"))
        << result.err;
    EXPECT_EQ(Run({}).status, build_tool::kFailure);
    EXPECT_TRUE(UnitUntouched());

    Write({{"", "frmMain.Caption", "", "Titel", ""}});
    result = Run({});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.err, table_ + ":4: warning: untranslated: no text in English\n");
    EXPECT_EQ(ReadBytes(unit_ + ".bak1"), "old unit");
}

// The uses list and the unit name go into the unit as they stand, and a language name that
// the compiler defines switches its block on: each is an error at the project record, which
// --check reports, and no build writes the unit.
TEST_F(CheckCommandTest, SettingsTheUnitCannotTakeAreErrorsAndNothingIsWritten) {
    const std::string injected =
        "uStub; procedure ParlixTranslate(); implementation procedure ParlixTranslate(); begin "
        "end; initialization WriteLn('INJECTED'); end.";
    const std::string notAList = "the uses list is not a comma-separated list of unit names: ";
    const std::string unitNames =
        " is not a unit name (identifiers, optionally joined by dots, "
        "as in System.SysUtils)";
    const std::string invalidUnit =
        " from the source file's name is not valid (identifiers, optionally joined by dots: only "
        "letters without accents, digits and underscores, not starting with a digit)";
    const std::string compilerSymbol =
        " is a symbol that Free Pascal or Delphi defines itself; its block is compiled even when "
        "the language is not chosen";
    struct Case {
        ProjectSettings settings;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{.uses = injected}, notAList + "\"" + injected + "\"" + unitNames},
        {{.uses = "uStub {$I /etc/hostname}"},
         notAList + "\"uStub {$I /etc/hostname}\"" + unitNames},
        {{.uses = "uAddress, uAbout,"},
         "the uses list has an empty entry (a comma too many, or "
         "only blanks)"},
        {{.sourceFile = "u-Texte.pas"}, "unit name \"u-Texte\"" + invalidUnit},
        {{.sourceFile = "1Texte.pas"}, "unit name \"1Texte\"" + invalidUnit},
        {{.sourceFile = "Begin.pas"},
         "unit name \"Begin\" from the source file's name is not valid: \"Begin\" is a reserved "
         "word"},
        {{.language1 = "LINUX"}, "language name \"LINUX\"" + compilerSymbol},
        {{.language2 = "MSWindows"}, "language name \"MSWindows\"" + compilerSymbol},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        Write(kSound, test.settings);
        const std::string target = dir_.File(test.settings.sourceFile);
        Result result = Run({"--check"});
        EXPECT_EQ(result.status, build_tool::kFailure);
        EXPECT_EQ(result.out, project_ + ":4: error: " + test.message + "\n" + table_ +
                                  ": 1 error, 0 warnings in 2 records\n");
        for (const std::vector<std::string>& build :
             {std::vector<std::string>{}, {"--output", "-"}, {"--define", "1"}}) {
            result = Run(build);
            EXPECT_EQ(result.status, build_tool::kFailure);
            EXPECT_EQ(result.out, "");
            EXPECT_TRUE(result.err.starts_with(project_ + ":4: error: ")) << result.err;
        }
        EXPECT_TRUE(UnitUntouched());
        EXPECT_EQ(fs::exists(target), target == unit_);
    }
}

TEST_F(CheckCommandTest, ACheckTakesNoOutputAndUnreadableFilesFail) {
    Write(kSound);
    Result result = Run({"--check", "--output", "x.pas"});
    EXPECT_EQ(result.status, build_tool::kWrongUsage);
    EXPECT_EQ(result.err.find("parlix-build: --check schreibt nichts; --output passt nicht dazu\n"),
              0u);
    EXPECT_FALSE(fs::exists(dir_.File("x.pas")));

    fs::remove(table_);
    result = Run({"--check"});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.find("parlix-build: Datei " + table_ + " kann nicht ge"), 0u)
        << result.err;
}

// The executable prints the path as the command line gives it, the findings on standard
// output, and exits with 1.
TEST_F(CheckCommandTest, TheExecutableNamesTheTableAsTheCommandLineDoes) {
    Write(kFaulty);
    const testing::ExecutableResult result =
        testing::RunExecutable(platform::Utf8Path(dir_.Path()), {"--check", "Demo.ppr"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    const std::string& printed = result.out;
    EXPECT_EQ(printed.find("Demo_translations.ptf:5: error: \"Begin\" is a reserved word"), 0u)
        << printed;
    EXPECT_TRUE(printed.ends_with("Demo_translations.ptf: 2 errors, 1 warning in 3 records\n"));
}

}  // namespace
}  // namespace parlix
