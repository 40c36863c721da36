#include "table/file_replacement.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
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

// The files of a folder: "T" for the target uTexte.pas, "1", "2", ... for its backups, other
// names as they are; "<dir>" for a folder.
using Files = std::map<std::string, std::string>;

std::string Name(const std::string& key) {
    if (key == "T") {
        return "uTexte.pas";
    }
    return key.find_first_not_of("0123456789") == std::string::npos ? "uTexte.pas.bak" + key : key;
}

Files Read(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string key = entry.path().filename().string();
        if (key == "uTexte.pas") {
            key = "T";
        } else if (key.starts_with("uTexte.pas.bak")) {
            key = key.substr(std::string("uTexte.pas.bak").size());
        }
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

std::string StepName(WriteStep step) {
    switch (step) {
        case WriteStep::Target:
            return "Target";
        case WriteStep::Temporary:
            return "Temporary";
        case WriteStep::Write:
            return "Write";
        case WriteStep::Flush:
            return "Flush";
        case WriteStep::Backups:
            return "Backups";
        case WriteStep::Commit:
            return "Commit";
    }
    return "?";
}

// Every way a replacement ends, each in a child process limited as the case needs (a
// read-only case as an unprivileged user, a full disk as a small tmpfs): the result or the
// step that failed, and what is on disk afterwards. Nothing is left beside the files (no
// temporary file), no backup moves unless the file is replaced, and equal bytes write nothing.
TEST(FileReplacement, EndsAsWrittenUnchangedDeclinedOrFailsAtOneStep) {
    const std::string large(100 << 10, 'b');  // more than the small disk takes
    const std::string long1 = std::string(3 << 20, 'x') + "end";
    const std::string long2 = std::string(3 << 20, 'x') + "END";
    struct Case {
        const char* what;
        Files before;
        std::string content;
        std::int32_t backups;
        std::optional<Replacement> result;  // nothing: fails at `step`
        Files after;
        ChildLimits limits = {};
        WriteStep step = WriteStep::Target;
        const char* readOnly = nullptr;   // made read-only after the setup ("." the folder)
        std::optional<bool> answer = {};  // the backup question's answer; none: not asked
        const char* target = "uTexte.pas";
    };
    const Case cases[] = {
        {"a new file", {}, "new", 2, Replacement::Written, {{"T", "new"}}},
        {"an old file is kept as backup 1",
         {{"T", "first"}, {"1", "older"}},
         "second",
         2,
         Replacement::Written,
         {{"T", "second"}, {"1", "first"}, {"2", "older"}}},
        {"equal bytes write nothing and keep every backup",
         {{"T", "same"}, {"1", "older"}},
         "same",
         2,
         Replacement::Unchanged,
         {{"T", "same"}, {"1", "older"}}},
        {"a long file that differs at its end",
         {{"T", long1}},
         long2,
         1,
         Replacement::Written,
         {{"T", long2}, {"1", long1}}},
        {"a file that grows",
         {{"T", long1}},
         long1 + "+",
         0,
         Replacement::Written,
         {{"T", long1 + "+"}}},
        {"a file that shrinks", {{"T", long1}}, "short", 0, Replacement::Written, {{"T", "short"}}},
        {"a folder in the target's place",
         {{"T", "<dir>"}},
         "new",
         2,
         {},
         {{"T", "<dir>"}},
         {},
         WriteStep::Target},
        {"a missing folder",
         {},
         "new",
         2,
         {},
         {},
         {},
         WriteStep::Temporary,
         nullptr,
         {},
         "missing/uTexte.pas"},
        {"a read-only file is neither backed up nor replaced",
         {{"T", "old"}, {"1", "older"}},
         "new",
         2,
         {},
         {{"T", "old"}, {"1", "older"}},
         {.unprivileged = true},
         WriteStep::Target,
         "T"},
        {"a read-only file that holds the bytes already",
         {{"T", "same"}},
         "same",
         2,
         Replacement::Unchanged,
         {{"T", "same"}},
         {.unprivileged = true},
         WriteStep::Target,
         "T"},
        {"a read-only folder",
         {{"T", "old"}, {"1", "older"}},
         "new",
         2,
         {},
         {{"T", "old"}, {"1", "older"}},
         {.unprivileged = true},
         WriteStep::Temporary,
         "."},
        {"a full disk",
         {{"T", "old"}, {"1", "older"}},
         std::string(200 << 10, 'n'),
         2,
         {},
         {{"T", "old"}, {"1", "older"}},
         {.diskBytes = 128 << 10},
         WriteStep::Write},
        {"a failed backup and the answer No",
         {{"T", "old"}, {"1", "<dir>"}},
         "new",
         1,
         Replacement::Declined,
         {{"T", "old"}, {"1", "<dir>"}},
         {},
         WriteStep::Target,
         nullptr,
         false},
        {"a failed backup and the answer Yes",
         {{"T", "old"}, {"1", "<dir>"}},
         "new",
         1,
         Replacement::Written,
         {{"T", "new"}, {"1", "<dir>"}},
         {},
         WriteStep::Target,
         nullptr,
         true},
        {"a disk too full for backup 2 keeps backup 1",
         {{"T", "old"}, {"1", large}, {"2", "older"}},
         "new",
         3,
         Replacement::Declined,
         {{"T", "old"}, {"1", large}, {"2", "older"}, {"3", "older"}},
         {.diskBytes = 128 << 10},
         WriteStep::Target,
         nullptr,
         false},
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
                ::chmod(
                    (folder / (c.readOnly == std::string(".") ? "." : Name(c.readOnly))).c_str(),
                    c.readOnly == std::string(".") ? 0555 : 0444);
            }
        };
        const auto body = [&](const fs::path& folder, ChildReport& check) {
            const std::string path = (folder / c.target).string();
            struct stat old {};
            const bool existed = ::stat(path.c_str(), &old) == 0;
            int asked = 0;
            const BackupFailureQuestion question = [&](const EFCreateError& failure) {
                ++asked;
                check.Expect(failure.Step() == WriteStep::Backups, "asked for a backup step");
                return c.answer.value_or(false);
            };
            try {
                FileReplacement file(path, c.backups);
                file.Write(c.content);
                const Replacement result = file.Commit(question);
                check.Expect(c.result == result, "another result");
            } catch (const EFCreateError& error) {
                check.Expect(!c.result, "failed: " + error.GetFault().Text());
                check.Expect(error.Step() == c.step, "failed at " + StepName(error.Step()));
                check.Expect(error.GetFault().file == path, "the fault names another file");
                if (c.step == WriteStep::Temporary && !c.readOnly) {
                    check.Expect(std::string(error.what()) ==
                                     "Datei \"" + path + "\" kann nicht erstellt werden. " +
                                         SystemErrorText(ENOENT),
                                 error.what());
                }
            }
            check.Expect(asked == (c.answer ? 1 : 0), "asked " + std::to_string(asked) + " times");
            const Files after = Read(folder);
            check.Expect(after == c.after, "found " + Show(after));
            struct stat now {};
            if (c.result == Replacement::Unchanged && existed && ::stat(path.c_str(), &now) == 0) {
                check.Expect(now.st_mtim.tv_sec == old.st_mtim.tv_sec &&
                                 now.st_mtim.tv_nsec == old.st_mtim.tv_nsec &&
                                 now.st_ino == old.st_ino,
                             "the file was touched");
            }
        };
        EXPECT_EQ(RunInChild(c.limits, setup, body), "");
    }
}

}  // namespace
}  // namespace parlix
