// The review marks at the command line: --check and a strict build see the translations to
// review, --fill-from-table fills untranslated rows with the table's own translations, and a
// damaged sources file is a warning that stops nothing.
#include "cli/review_command.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/parlix_build.h"
#include "cli/run_tool.h"
#include "generator/build_test_support.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunTool;
using testing::WriteBytes;

const std::string kSourcesHeader =
    "/* Portable Table Format 1.0 */\r\n"
    "porTables[porTables.length] = new Array(\r\n"
    "\"Key\",\"Deutsch\",\r\n";

class ReviewCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::WriteProjectFiles(
            project_, testing::ProjectSettings{},
            {{"Form", "frmAddress.Caption", "sTitle", "Adressbuch", "Address book"},
             {"Button", "frmAddress.btClose.Caption", "",
              "Schlie\xDF"
              "en",
              "Close"},
             {"Button", "frmAbout.btClose.Caption", "",
              "Schlie\xDF"
              "en",
              std::nullopt},
             {"Label", "frmAbout.lbTitle.Caption", "", "Adressbuch", std::nullopt}});
        WriteBytes(sources_, kSourcesHeader + "\"sTitle\",\"Adressen\",\r\n2);\r\n");
        table_ = ReadBytes(translations_);
    }

    testing::TempDir dir_;
    const std::string project_ = dir_.File("Demo.ppr");
    const std::string translations_ = dir_.File("Demo_translations.ptf");
    const std::string sources_ = dir_.File("Demo_sources.ptf");
    std::string table_;
};

TEST_F(ReviewCommandTest, CheckAndStrictBuildSeeTheTranslationsToReview) {
    const std::string changed = translations_ +
                                ":4: warning: source changed from \"Adressen\" to \"Adressbuch\"; "
                                "review the translation\n";
    testing::ToolResult result = RunTool({"--check", project_});
    EXPECT_EQ(result.status, build_tool::kSuccess) << result.err;
    EXPECT_NE(result.out.find(changed), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(translations_ + ":6: warning: untranslated"), std::string::npos);
    EXPECT_NE(result.out.find(" in 4 records, 1 to review\n"), std::string::npos) << result.out;
    EXPECT_EQ(RunTool({"--check", "--strict", project_}).status, build_tool::kFailure);

    result = RunTool({"--strict", project_});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_NE(result.err.find(changed), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("no unit written (--strict)"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir_.File("uTexte.pas")));

    // A damaged sources file is told and counts as missing.
    WriteBytes(sources_, kSourcesHeader + "\"sTitle\",Adressen,\r\n2);\r\n");
    result = RunTool({"--check", project_});
    EXPECT_EQ(result.status, build_tool::kSuccess);
    EXPECT_EQ(result.out.find("source changed"), std::string::npos) << result.out;
    EXPECT_EQ(result.err.substr(0, sources_.size() + 12), sources_ + ":4: warning:") << result.err;
    EXPECT_NE(result.err.find("; the review marks are ignored\n"), std::string::npos);
}

// A translation to review is no model; the filled row is written with the table's backups, and
// the marks' file keeps its bytes.
TEST_F(ReviewCommandTest, FillFromTableFillsWhatTheTableTranslates) {
    const std::string marks = ReadBytes(sources_);
    testing::ToolResult result = RunTool({"--fill-from-table", "--dry-run", project_});
    EXPECT_EQ(result.status, build_tool::kSuccess) << result.err;
    EXPECT_EQ(result.out + result.err, "1 Übersetzung zu übernehmen\n");
    EXPECT_EQ(ReadBytes(translations_), table_);

    result = RunTool({"--fill-from-table", project_});
    EXPECT_EQ(result.status, build_tool::kSuccess) << result.err;
    EXPECT_EQ(result.out + result.err, "1 Übersetzung übernommen\n");
    EXPECT_EQ(ReadBytes(translations_ + ".bak1"), table_);
    std::string filled = table_;
    const std::string before =
        "\"Schlie\xDF"
        "en\",null,";
    filled.replace(filled.find(before), before.size(),
                   "\"Schlie\xDF"
                   "en\",\"Close\",");
    EXPECT_EQ(ReadBytes(translations_), filled);
    EXPECT_EQ(ReadBytes(sources_), marks);
    EXPECT_FALSE(fs::exists(sources_ + ".bak1"));

    EXPECT_EQ(RunTool({"--fill-from-table", project_}).out, "0 Übersetzungen übernommen\n");
    result = RunTool({"--fill-from-table", "--check", project_});
    EXPECT_EQ(result.status, build_tool::kWrongUsage);
    EXPECT_NE(result.err.find(build_tool::kFillUsage), std::string::npos);
}

}  // namespace
}  // namespace parlix
