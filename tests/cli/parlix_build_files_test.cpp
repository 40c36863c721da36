// What parlix-build leaves on disk: temporary files an earlier run left behind, and the unit
// written through every way the program offers, by the program itself under a path that is no
// ASCII.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/build_files.h"
#include "cli/run_executable.h"
#include "table/platform.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::Golden;
using testing::Names;
using testing::ReadBytes;
using testing::SameUnit;
using testing::WriteBytes;

class ParlixBuildFilesTest : public testing::BuildFilesTest {};

// Windows' C runtime cannot set a folder's time: there the folder stays young (and is kept all
// the same).
void MakeOld(const std::string& path) {
    std::error_code error;
    fs::last_write_time(platform::NativePath(path),
                        fs::file_time_type::clock::now() - std::chrono::hours(2), error);
    ASSERT_TRUE(!error || fs::is_directory(platform::NativePath(path))) << path;
}

TEST_F(ParlixBuildFilesTest, StaleTemporariesOfTheTargetAndItsBackupsAreRemoved) {
    const std::vector<std::string> stale = {".uTexte.pas.tmp-Ab12Cd",
                                            ".uTexte.pas.bak1.tmp-XyZ789"};
    const std::vector<std::string> kept = {
        ".uTexte.pas.tmp-young1",  // a write running now
        ".other.pas.tmp-Ab12Cd",   // another target's
        "uTexte.pas.tmp-Ab12Cd",   // not hidden: no temporary of ours
        ".uTexte.pas.tmp-Ab12C",   // not the length of one
        ".uTexte.pas.tmp-folder",  // a folder
    };
    for (const std::string& name : stale) {
        WriteBytes(dir_.File("app/" + name), "partial");
        MakeOld(dir_.File("app/" + name));
    }
    for (const std::string& name : kept) {
        if (name.ends_with("folder")) {
            fs::create_directory(app_ / name);
        } else {
            WriteBytes(dir_.File("app/" + name), "partial");
        }
        if (!name.ends_with("young1")) {
            MakeOld(dir_.File("app/" + name));
        }
    }
    ASSERT_EQ(Run({"--define", "2", project_}), build_tool::kSuccess);
    for (const std::string& name : stale) {
        EXPECT_FALSE(fs::exists(app_ / name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(fs::exists(app_ / name)) << name;
    }
    EXPECT_EQ(ReadBytes(unit_ + ".bak1"), "old unit");
}

// The program as a build server runs it, on a project whose path is no ASCII: the unit it writes
// (with the old one kept as backup, then rotated), the same bytes on standard output without a
// line end changed, and the null device, which takes the unit and leaves every file alone.
TEST(ParlixBuildProgram, WritesTheSameUnitToAFileToStandardOutputAndToTheNullDevice) {
    testing::TempDir dir;
    const std::string project = "Übersetzung/日本/p.ppr";
    fs::create_directories(platform::NativePath(dir.File("Übersetzung/日本")));
    testing::WriteProjectFiles(dir.File(project), {}, testing::WorkedExampleRows());
    const std::string unit = dir.File("Übersetzung/日本/uTexte.pas");
    WriteBytes(unit, "old unit");
    const std::string warning = "Übersetzung/日本/p_translations.ptf:6: warning: ";
    const std::string folder = platform::Utf8Path(dir.Path());

    testing::ExecutableResult result = testing::RunExecutable(folder, {"--define", "2", project});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err.rfind(warning, 0), 0u) << result.err;
    EXPECT_EQ(result.out, "");
    const std::string written = ReadBytes(unit);
    EXPECT_TRUE(SameUnit(written, Golden("worked_example.pas")));
    EXPECT_EQ(ReadBytes(unit + ".bak1"), "old unit");

    ASSERT_EQ(testing::RunExecutable(folder, {"--define", "1", project}).status, 0);
    EXPECT_EQ(ReadBytes(unit + ".bak1"), written);
    EXPECT_EQ(ReadBytes(unit + ".bak2"), "old unit");

    const fs::path app = platform::NativePath(dir.File("Übersetzung/日本"));
    const std::vector<std::string> files = Names(app);
    result = testing::RunExecutable(folder, {"--define", "2", "--output", "-", project});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, written);
    result = testing::RunExecutable(folder,
                                    {"--define", "2", "--output", testing::kNullDevice, project});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err.rfind(warning, 0), 0u) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(Names(app), files);
}

}  // namespace
}  // namespace parlix
