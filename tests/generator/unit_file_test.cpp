#include "generator/unit_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "build_test_support.h"
#include "generator/unit_generator.h"
#include "table/backups.h"
#include "table/errors.h"

namespace parlix {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;
using testing::Names;

// Counts the calls of the backup question and gives a fixed answer.
struct Question {
    bool answer = false;
    int asked = 0;
    BackupFailureQuestion Callback() {
        return [this](const EFCreateError&) {
            ++asked;
            return answer;
        };
    }
};

TEST(WriteUnitFile, CreatesANewUnitWithoutBackupsOrQuestion) {
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    Question question;
    EXPECT_EQ(WriteUnitFile(unit, 3, "unit uTexte;\r\n", question.Callback()),
              Replacement::Written);
    EXPECT_EQ(ReadBytes(unit), "unit uTexte;\r\n");
    EXPECT_FALSE(fs::exists(unit + ".bak1"));
    EXPECT_EQ(question.asked, 0);
}

TEST(WriteUnitFile, KeepsNumberedBackupsOfTheOldUnit) {
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "first");
    WriteBytes(unit + ".bak1", "older");
    EXPECT_EQ(WriteUnitFile(unit, 2, "second", nullptr), Replacement::Written);
    EXPECT_EQ(ReadBytes(unit), "second");
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "first");
    EXPECT_EQ(ReadBytes(unit + ".bak2"), "older");

    EXPECT_EQ(WriteUnitFile(unit, 0, "third", nullptr), Replacement::Written);
    EXPECT_EQ(ReadBytes(unit), "third");
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "first");
}

TEST(WriteUnitFile, AsksAfterAFailedBackupAndWritesOnlyWithConsent) {
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "old");
    fs::create_directory(unit + ".bak1");  // no copy can replace a folder

    Question refuse;
    EXPECT_EQ(WriteUnitFile(unit, 1, "new", refuse.Callback()), Replacement::Declined);
    EXPECT_EQ(refuse.asked, 1);
    EXPECT_EQ(ReadBytes(unit), "old");
    EXPECT_EQ(WriteUnitFile(unit, 1, "new", nullptr), Replacement::Declined);
    EXPECT_EQ(ReadBytes(unit), "old");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"uTexte.pas", "uTexte.pas.bak1"}));

    Question consent{true};
    EXPECT_EQ(WriteUnitFile(unit, 1, "new", consent.Callback()), Replacement::Written);
    EXPECT_EQ(consent.asked, 1);
    EXPECT_EQ(ReadBytes(unit), "new");
}

TEST(WriteUnitFile, AHopelessWriteFailsBeforeAnyBackup) {
    TempDir dir;
    const std::string missingFolder = dir.File("missing/uTexte.pas");
    try {
        WriteUnitFile(missingFolder, 2, "new", nullptr);
        FAIL() << "no error for a missing folder";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Datei \"" + missingFolder +
                                                 "\" kann nicht erstellt werden. " +
                                                 SystemErrorText(ENOENT));
    }

    const std::string folder = dir.File("uTexte.pas");
    fs::create_directory(folder);
    EXPECT_THROW(WriteUnitFile(folder, 2, "new", nullptr), EFCreateError);
    EXPECT_FALSE(fs::exists(folder + ".bak1"));

    WriteBytes(dir.File("plain"), "a file, not a folder");
    EXPECT_THROW(WriteUnitFile(dir.File("plain/uTexte.pas"), 2, "new", nullptr), EFCreateError);
    // Nothing new: no backup, no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
    EXPECT_TRUE(fs::is_empty(folder));
}

// The link stays and the file it names is replaced; but a link to one of the project's own
// files is that file, which GenerateUnitFile refuses (below).
TEST(WriteUnitFile, FollowsASymbolicLink) {
    TempDir dir;
    const std::string real = dir.File("real.pas");
    const std::string link = dir.File("uTexte.pas");
    WriteBytes(real, "old");
    if (!testing::MakeSymlink(real, link)) {
        GTEST_SKIP() << "this system makes no symbolic links";
    }
    EXPECT_EQ(WriteUnitFile(link, 0, "new", nullptr), Replacement::Written);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "new");
    EXPECT_TRUE(IsFileOrKeptBeside(link, real));
}

// A table of some thousand records gives a unit of several megabytes, which reaches the file in
// pieces: the file holds exactly what GenerateUnit returns.
TEST(GenerateUnitFile, WritesTheUnitInPiecesThatEndWithALine) {
    std::vector<testing::Row> rows;
    for (int i = 0; i < 6000; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back({"", "frmMain.lbl" + n + ".Caption, frmMain.lbl" + n + ".Hint",
                        i % 3 == 0 ? "" : "s" + n, "Text " + n + std::string(200, 'x'),
                        "It's " + n + std::string(300, 'y')});
    }
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English", rows);
    ProjectState state = testing::WorkedExampleState();
    const std::string whole = GenerateUnit(state, table);
    ASSERT_GT(whole.size(), 4u << 20);

    std::vector<std::string> pieces;
    GenerateUnit(state, table, [&pieces](std::string_view text) { pieces.emplace_back(text); });
    EXPECT_GT(pieces.size(), 3u);
    std::string joined;
    for (const std::string& piece : pieces) {
        EXPECT_TRUE(piece.ends_with("\r\n"));
        joined += piece;
    }
    EXPECT_EQ(joined, whole);

    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "old");
    EXPECT_EQ(GenerateUnitFile(unit, 1, state, table, nullptr), Replacement::Written);
    EXPECT_EQ(ReadBytes(unit), whole);
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "old");
}

// The unit never goes over the files it is made from, whatever name leads there (a symbolic
// link: above), nor do its backups; a unit of its own name beside them is written.
TEST(GenerateUnitFile, RefusesTheProjectsOwnFiles) {
    TempDir dir;
    fs::create_directory(dir.Path() / "app");
    const std::string project = dir.File("app/Demo.ppr");
    const std::string table = dir.File("app/Demo_translations.ptf");
    WriteBytes(project, "project");
    WriteBytes(table, "table");
    WriteBytes(project + ".bak1", "backup");
    WriteBytes(dir.File("app/.Demo_translations.ptf.tmp-Ab12Cd"), "partial");
    fs::create_hard_link(project + ".bak1", dir.File("linked"));
    struct Case {
        const char* what;
        std::string target;
        bool refused;
    };
    const Case cases[] = {
        {"the project file", project, true},
        {"the translation table", table, true},
        {"another spelling", dir.File("app/../app/./Demo.ppr"), true},
        {"a backup", project + ".bak1", true},
        {"a backup not there yet", table + ".bak3", true},
        {"a hard link to a backup", dir.File("linked"), true},
        {"a temporary file", dir.File("app/.Demo_translations.ptf.tmp-Ab12Cd"), true},
        {"a file whose backups would be the project file", dir.File("app/Demo"), false},
        {"the source unit", dir.File("app/uTexte.pas"), false},
        {"a name that only starts like a backup", project + ".bak1x", false},
    };
    PtfTable translations;
    testing::FillTranslations(translations, "Deutsch", "English", testing::WorkedExampleRows());
    ProjectState state = testing::WorkedExampleState();
    state.ProjectFileName = project;
    state.TranslationsFileName = table;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = fs::exists(c.target) ? ReadBytes(c.target) : "";
        try {
            GenerateUnitFile(c.target, 2, state, translations, nullptr);
            EXPECT_FALSE(c.refused);
            fs::remove(c.target);
        } catch (const EFCreateError& error) {
            EXPECT_TRUE(c.refused) << error.what();
            EXPECT_EQ(error.Step(), WriteStep::Target);
            EXPECT_EQ(fs::exists(c.target) ? ReadBytes(c.target) : "", before);
        }
    }
    EXPECT_EQ(ReadBytes(project), "project");
    EXPECT_EQ(ReadBytes(table), "table");
    EXPECT_EQ(ReadBytes(project + ".bak1"), "backup");
    EXPECT_FALSE(fs::exists(table + ".bak1"));
}

TEST(GenerateUnitFile, AGeneratorErrorWritesNothing) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English", testing::WorkedExampleRows());
    ProjectState state = testing::WorkedExampleState();
    state.BuildLanguage = 3;
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "old");
    EXPECT_THROW(GenerateUnitFile(unit, 2, state, table, nullptr), PtfError);
    EXPECT_EQ(ReadBytes(unit), "old");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"uTexte.pas"});
}

}  // namespace
}  // namespace parlix
