#include "table/backups.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "table/errors.h"
#include "test_support.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::ChildLimits;
using testing::ChildReport;
using testing::ReadBytes;
using testing::RunInChild;
using testing::WriteBytes;

// The files of a rotation: "X" and its backups by number; "<dir>" for a folder of that name.
using Files = std::map<std::string, std::string>;

std::string Name(const std::string& key) {
    return key == "X" ? "Demo.ppr" : "Demo.ppr.bak" + key;
}

// Every file of the folder, by the keys of Files; "?" for a folder.
Files Read(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        const std::string key =
            name == "Demo.ppr" ? "X" : name.substr(std::string("Demo.ppr.bak").size());
        files[key] = entry.is_directory() ? "<dir>" : ReadBytes(entry.path().string());
    }
    return files;
}

std::string Show(const Files& files) {
    std::string text;
    for (const auto& [key, bytes] : files) {
        text +=
            key + "=" + (bytes.size() > 12 ? std::to_string(bytes.size()) + " bytes" : bytes) + " ";
    }
    return text;
}

// Every rotation, in a child process that may be limited as the case needs: what is on disk
// before, the count, whether the rotation fails, and what is on disk after. A failed copy
// stops the rotation, so that no backup loses its bytes: each is where it was, or also one
// number higher.
TEST(RotateBackups, KeepsEveryBackupItCannotMove) {
    const std::string large(100 << 10, 'b');  // too large for the limited disk's room
    struct Case {
        const char* what;
        Files before;
        std::int32_t count;
        ChildLimits limits;
        bool fails;
        Files after;
        const char* readOnly = nullptr;  // a backup made read-only first
    };
    const Case cases[] = {
        {"a complete series moves down by one",
         {{"X", "now"}, {"1", "before"}, {"2", "older"}},
         3,
         {},
         false,
         {{"X", "now"}, {"1", "now"}, {"2", "before"}, {"3", "older"}}},
        {"a gap is skipped",
         {{"X", "now"}, {"2", "older"}},
         3,
         {},
         false,
         {{"X", "now"}, {"1", "now"}, {"2", "older"}, {"3", "older"}}},
        {"no file yet", {}, 3, {}, false, {}},
        {"a count of 0", {{"X", "now"}}, 0, {}, false, {{"X", "now"}}},
        {"a negative count", {{"X", "now"}}, -4, {}, false, {{"X", "now"}}},
        {"copies above the count stay",
         {{"X", "now"}, {"5", "ancient"}},
         2,
         {},
         false,
         {{"X", "now"}, {"1", "now"}, {"5", "ancient"}}},
        {"a folder in the way of backup 3 stops before backup 2 is replaced",
         {{"X", "now"}, {"1", "before"}, {"2", "older"}, {"3", "<dir>"}},
         3,
         {},
         true,
         {{"X", "now"}, {"1", "before"}, {"2", "older"}, {"3", "<dir>"}}},
        {"a folder under the name of backup 1 is no backup to move",
         {{"X", "now"}, {"1", "<dir>"}},
         2,
         {},
         true,
         {{"X", "now"}, {"1", "<dir>"}}},
        {"a read-only backup 2 stops before backup 1 is replaced",
         {{"X", "now"}, {"1", "before"}, {"2", "older"}},
         3,
         {.unprivileged = true},
         true,
         {{"X", "now"}, {"1", "before"}, {"2", "older"}, {"3", "older"}},
         "2"},
        {"a full disk stops before backup 1 is replaced",
         {{"X", "now"}, {"1", large}, {"2", "older"}},
         3,
         {.diskBytes = 128 << 10},
         true,
         {{"X", "now"}, {"1", large}, {"2", "older"}, {"3", "older"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto setup = [&](const fs::path& folder) {
            for (const auto& [key, bytes] : c.before) {
                if (bytes == "<dir>") {
                    fs::create_directory(folder / Name(key));
                } else {
                    WriteBytes((folder / Name(key)).string(), bytes);
                }
            }
            if (c.readOnly != nullptr) {
                ::chmod((folder / Name(c.readOnly)).c_str(), 0444);
            }
        };
        const std::string report =
            RunInChild(c.limits, setup, [&](const fs::path& folder, ChildReport& check) {
                bool failed = false;
                try {
                    RotateBackups((folder / "Demo.ppr").string(), c.count, ".bak");
                } catch (const EFCreateError& error) {
                    failed = true;
                    check.Expect(error.Step() == WriteStep::Backups, "the step is not Backups");
                    check.Expect(
                        error.GetFault().file.find(".bak") != std::string::npos,
                        "the failure does not name the backup: " + error.GetFault().Text());
                }
                check.Expect(failed == c.fails, failed ? "failed" : "did not fail");
                const Files after = Read(folder);
                check.Expect(after == c.after, "found " + Show(after));
            });
        EXPECT_EQ(report, "");
    }
}

TEST(RotateBackups, AHugeCountRotatesWhatExistsAtOnce) {
    const std::string report = RunInChild({}, {}, [](const fs::path& folder, ChildReport& check) {
        const std::string x = (folder / "Demo.ppr").string();
        WriteBytes(x, "now");
        WriteBytes(x + ".bak1", "before");
        WriteBytes(x + ".bak2", "older");
        WriteBytes(x + ".bak4", "gap");  // copied to 5; 3 is missing, so nothing goes to 4
        WriteBytes(x + ".bak07", "not a backup number");
        RotateBackups(x, INT32_MAX, ".bak");  // one existence test per number would take hours
        const Files expected = {{"X", "now"},
                                {"1", "now"},
                                {"2", "before"},
                                {"3", "older"},
                                {"4", "gap"},
                                {"5", "gap"},
                                {"07", "not a backup number"}};
        check.Expect(Read(folder) == expected, "found " + Show(Read(folder)));
    });
    EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace parlix
