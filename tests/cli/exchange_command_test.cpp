// parlix-build --export and --import on a project in a folder of its own.
#include "cli/exchange_command.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/parlix_build.h"
#include "cli/run_tool.h"
#include "generator/build_test_support.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using Result = testing::ToolResult;
using testing::RunTool;

class ExchangeCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::vector<testing::Row> rows = testing::WorkedExampleRows();
        rows.push_back({"Label", "frmAddress.lbStreet.Caption", "",
                        "Stra\xDF"
                        "e",
                        std::nullopt});
        testing::WriteProjectFiles(project_, testing::ProjectSettings{}, rows);
        table_ = ReadBytes(translations_);
    }

    // Every file of the folder with its bytes.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir_.Path())) {
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
        }
        return files;
    }

    TempDir dir_;
    const std::string project_ = dir_.File("Demo.ppr");
    const std::string translations_ = dir_.File("Demo_translations.ptf");
    std::string table_;
};

// Export and import with nothing changed leave the table file as it was, without backups; the
// XLIFF file offers no translation for the untranslated row, which is listed.
TEST_F(ExchangeCommandTest, RoundTripsLeaveTheTableByteForByte) {
    const std::pair<const char*, const char*> formats[] = {
        {"out.xlf",
         "0 neu, 0 geändert, 3 unverändert, 0 unbekannt, 0 abgelehnt, 1 unübersetzt, 0 Entwürfe\n"},
        {"out.csv",
         "0 neu, 0 geändert, 4 unverändert, 0 unbekannt, 0 abgelehnt, 0 unübersetzt, 0 Entwürfe\n"},
    };
    for (const auto& [name, counts] : formats) {
        const std::string file = dir_.File(name);
        Result result = RunTool({"--export", file, project_});
        ASSERT_EQ(result.status, build_tool::kSuccess) << result.err;
        EXPECT_EQ(result.out + result.err, "");
        result = RunTool({"--import=" + file, project_});
        EXPECT_EQ(result.status, build_tool::kSuccess) << result.err;
        EXPECT_EQ(result.out, counts);
        const std::string listed = file + ":21: warning: Einheit \"frmAddress.lbStreet.Caption\" " +
                                   "nicht übernommen: unübersetzt (kein <target>)\n";
        EXPECT_EQ(result.err, std::string(name) == "out.xlf" ? listed : "");
        EXPECT_EQ(ReadBytes(translations_), table_);
        EXPECT_FALSE(fs::exists(translations_ + ".bak1"));
    }
    EXPECT_NE(ReadBytes(dir_.File("out.xlf")).find("source-language=\"de\" target-language=\"en\""),
              std::string::npos);
}

// An import writes language 2 only, keeps backups as Save does, and reports unknown units.
TEST_F(ExchangeCommandTest, ImportWritesTheTargetColumnWithBackups) {
    const std::string csv = dir_.File("in.csv");
    WriteBytes(csv,
               "\xEF\xBB\xBFType;Property;StringName;Deutsch;English\r\n"
               "Form;frmAddress.Caption;sTitle;Adressbuch;Address book!\r\n"
               "Label;frmAddress.lbStreet.Caption;;Stra\xC3\x9F"
               "e;Street\r\n"
               "Form;;sGone;;Gone\r\n");
    const Result result = RunTool({"--import", csv, "--delimiter", ";", project_});
    EXPECT_EQ(result.status, build_tool::kSuccess) << result.err;
    EXPECT_EQ(result.out,
              "1 neu, 1 geändert, 0 unverändert, 1 unbekannt, 0 abgelehnt, 0 unübersetzt, 0 "
              "Entwürfe\n");
    EXPECT_EQ(result.err, csv + ":4: warning: unbekannte Einheit \"sGone\" (nicht übernommen)\n");
    EXPECT_EQ(ReadBytes(translations_ + ".bak1"), table_);
    std::string expected = table_;
    expected.replace(expected.find("\"Address book\""), 14, "\"Address book!\"");
    const std::string street =
        "\"Stra\xDF"
        "e\",null";
    expected.replace(expected.find(street), street.size(),
                     "\"Stra\xDF"
                     "e\",\"Street\"");
    EXPECT_EQ(ReadBytes(translations_), expected);
}

// A refused unit or a damaged file fails with its line, and no file changes.
TEST_F(ExchangeCommandTest, FailuresNameTheLineAndChangeNothing) {
    const std::string xliff = dir_.File("in.xlf");
    ASSERT_EQ(RunTool({"--export", xliff, project_}).status, build_tool::kSuccess);
    std::string text = ReadBytes(xliff);
    text.replace(text.find(">Done<"), 6, ">Done \xE2\x9C\x93<");
    WriteBytes(xliff, text);
    auto before = Files();
    Result result = RunTool({"--import", xliff, project_});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_NE(result.err.find(xliff + ":11: error: Einheit \" frmAddress.btClose.Caption , ,"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("nicht geschrieben"), std::string::npos);
    EXPECT_EQ(Files(), before);

    WriteBytes(xliff, text.substr(0, text.size() / 2));
    before = Files();
    result = RunTool({"--import", xliff, project_});
    EXPECT_EQ(result.status, build_tool::kFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("parlix-build: " + xliff + ":", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("die Datei endet mitten im XML"), std::string::npos);
    EXPECT_EQ(Files(), before);
}

TEST_F(ExchangeCommandTest, WrongCallsShowTheExchangeUsage) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> calls = {
        {{"--export", "a.po", project_}, "\"a.po\" ist weder .xlf, .xliff noch .csv"},
        {{"--export", "a.xlf"}, "keine Projektdatei angegeben"},
        {{"--export", "a.xlf", "--import", "b.xlf", project_},
         "--export und --import sind zusammen nur einmal erlaubt"},
        {{"--export", "a.xlf", "--languages", "de", project_},
         "--languages erwartet zwei BCP-47-Codes wie de,en, nicht \"de\""},
        {{"--export", "a.csv", "--delimiter=|", project_},
         "--delimiter erwartet , oder ;, nicht \"|\""},
        {{"--import", "a.csv", "--untranslated", project_}, "--untranslated gilt nur für --export"},
        {{"--export"}, "--export braucht einen Wert"},
    };
    for (const auto& [args, problem] : calls) {
        const Result result = RunTool(args);
        EXPECT_EQ(result.status, build_tool::kWrongUsage);
        EXPECT_EQ(result.err,
                  "parlix-build: " + problem + "\n" + build_tool::kExchangeUsage + "\n");
    }
    const Result help = RunTool({"--help"});
    EXPECT_NE(help.out.find(build_tool::kExchangeUsage), std::string::npos);

    testing::WriteProjectFiles(project_, testing::ProjectSettings{.language2 = "Klingonisch"}, {});
    const Result unknown = RunTool({"--export", dir_.File("a.xlf"), project_});
    EXPECT_EQ(unknown.status, build_tool::kFailure);
    EXPECT_EQ(unknown.err, "parlix-build: " + project_ +
                               ": kein Sprachcode für \"Klingonisch\" bekannt; bitte mit "
                               "--languages angeben\n");
    EXPECT_EQ(RunTool({"--export", dir_.File("a.xlf"), "--languages", "de,tlh", project_}).status,
              build_tool::kSuccess);
}

}  // namespace
}  // namespace parlix
