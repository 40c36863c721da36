#include "generator/unit_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "build_test_support.h"
#include "generator/unit_generator.h"
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
    std::function<bool()> Callback() {
        return [this] {
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
              UnitWriteResult::Written);
    EXPECT_EQ(ReadBytes(unit), "unit uTexte;\r\n");
    EXPECT_FALSE(fs::exists(unit + ".bak1"));
    EXPECT_EQ(question.asked, 0);
}

TEST(WriteUnitFile, KeepsNumberedBackupsOfTheOldUnit) {
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "first");
    WriteBytes(unit + ".bak1", "older");
    EXPECT_EQ(WriteUnitFile(unit, 2, "second", nullptr), UnitWriteResult::Written);
    EXPECT_EQ(ReadBytes(unit), "second");
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "first");
    EXPECT_EQ(ReadBytes(unit + ".bak2"), "older");

    EXPECT_EQ(WriteUnitFile(unit, 0, "third", nullptr), UnitWriteResult::Written);
    EXPECT_EQ(ReadBytes(unit), "third");
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "first");
}

TEST(WriteUnitFile, AsksAfterAFailedBackupAndWritesOnlyWithConsent) {
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "old");
    fs::create_directory(unit + ".bak1");  // no copy can replace a folder

    Question refuse;
    EXPECT_EQ(WriteUnitFile(unit, 1, "new", refuse.Callback()), UnitWriteResult::Declined);
    EXPECT_EQ(refuse.asked, 1);
    EXPECT_EQ(ReadBytes(unit), "old");
    EXPECT_EQ(WriteUnitFile(unit, 1, "new", nullptr), UnitWriteResult::Declined);
    EXPECT_EQ(ReadBytes(unit), "old");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"uTexte.pas", "uTexte.pas.bak1"}));

    Question consent{true};
    EXPECT_EQ(WriteUnitFile(unit, 1, "new", consent.Callback()), UnitWriteResult::Written);
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

TEST(WriteUnitFile, AReadOnlyUnitIsNeitherBackedUpNorReplaced) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write read-only files";
    }
    TempDir dir;
    const std::string unit = dir.File("uTexte.pas");
    WriteBytes(unit, "old");
    fs::permissions(unit, fs::perms::owner_read);
    EXPECT_THROW(WriteUnitFile(unit, 2, "new", nullptr), EFCreateError);
    EXPECT_EQ(ReadBytes(unit), "old");
    EXPECT_FALSE(fs::exists(unit + ".bak1"));
}

TEST(WriteUnitFile, FollowsASymbolicLink) {
    TempDir dir;
    const std::string real = dir.File("real.pas");
    const std::string link = dir.File("uTexte.pas");
    WriteBytes(real, "old");
    fs::create_symlink(real, link);
    EXPECT_EQ(WriteUnitFile(link, 0, "new", nullptr), UnitWriteResult::Written);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "new");
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
    EXPECT_EQ(GenerateUnitFile(unit, 1, state, table, nullptr), UnitWriteResult::Written);
    EXPECT_EQ(ReadBytes(unit), whole);
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "old");
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
