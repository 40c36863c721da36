// The cases of the file replacement and of the backup rotation: what a folder holds before,
// what is done, and what it holds after. The same checks run in-process (file_replacement_test,
// backups_test), in a limited child process (limits_posix_test) and against Windows' own ways
// to refuse a file (file_replacement_windows_test).
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "table/backups.h"
#include "table/errors.h"
#include "table/file_replacement.h"
#include "table/platform.h"
#include "test_support.h"

namespace parlix::testing {

// The files of a folder: "T" for the target uTexte.pas, "1", "2", ... for its backups, other
// names as they are; "<dir>" for a folder.
using Files = std::map<std::string, std::string>;

inline std::string FileName(const std::string& key) {
    if (key == "T") {
        return "uTexte.pas";
    }
    return key.find_first_not_of("0123456789") == std::string::npos ? "uTexte.pas.bak" + key : key;
}

// Puts `files` into `folder` and makes `readOnly` read-only ("." the folder itself).
inline void Plant(const std::filesystem::path& folder, const Files& files,
                  const char* readOnly = nullptr) {
    namespace fs = std::filesystem;
    for (const auto& [key, bytes] : files) {
        if (bytes == "<dir>") {
            fs::create_directory(folder / FileName(key));
        } else {
            WriteBytes(platform::Utf8Path(folder / FileName(key)), bytes);
        }
    }
    if (readOnly != nullptr) {
        const bool self = std::string(readOnly) == ".";
        const fs::perms read =
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
        const fs::perms enter =
            fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
        fs::permissions(self ? folder : folder / FileName(readOnly), self ? read | enter : read);
    }
}

inline Files Read(const std::filesystem::path& folder) {
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string key = platform::Utf8Path(entry.path().filename());
        if (key == "uTexte.pas") {
            key = "T";
        } else if (key.starts_with("uTexte.pas.bak")) {
            key = key.substr(std::string("uTexte.pas.bak").size());
        }
        files[key] = entry.is_directory() ? "<dir>" : ReadBytes(platform::Utf8Path(entry.path()));
    }
    return files;
}

inline std::string Show(const Files& files) {
    std::string text;
    for (const auto& [key, bytes] : files) {
        text +=
            key + "=" + (bytes.size() > 12 ? std::to_string(bytes.size()) + " bytes" : bytes) + " ";
    }
    return text;
}

inline std::string StepName(WriteStep step) {
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

// A rotation of `count` backups of uTexte.pas. A failed copy stops the rotation, so that no
// backup loses its bytes: each is where it was, or also one number higher.
struct RotationCase {
    const char* what;
    Files before;
    std::int32_t count;
    bool fails;
    Files after;
    const char* readOnly = nullptr;  // made read-only after the setup
};

inline void CheckRotation(const RotationCase& c, const std::filesystem::path& folder,
                          ChildReport& check) {
    bool failed = false;
    try {
        RotateBackups(platform::Utf8Path(folder / "uTexte.pas"), c.count, ".bak");
    } catch (const EFCreateError& error) {
        failed = true;
        check.Expect(error.Step() == WriteStep::Backups, "the step is not Backups");
        check.Expect(error.GetFault().file.find(".bak") != std::string::npos,
                     "the failure does not name the backup: " + error.GetFault().Text());
    }
    check.Expect(failed == c.fails, failed ? "failed" : "did not fail");
    const Files after = Read(folder);
    check.Expect(after == c.after, "found " + Show(after));
}

// A replacement of `target` by `content`: the result or the step that failed, and what is on
// disk afterwards. Nothing is left beside the files (no temporary file), no backup moves unless
// the file is replaced, and equal bytes write nothing, not even the file's time.
struct ReplacementCase {
    const char* what;
    Files before;
    std::string content;
    std::int32_t backups;
    std::optional<Replacement> result;  // nothing: fails at `step`
    Files after;
    WriteStep step = WriteStep::Target;
    const char* readOnly = nullptr;   // made read-only after the setup ("." the folder)
    std::optional<bool> answer = {};  // the backup question's answer; none: not asked
    const char* target = "uTexte.pas";
};

inline void CheckReplacement(const ReplacementCase& c, const std::filesystem::path& folder,
                             ChildReport& check) {
    namespace fs = std::filesystem;
    const std::string path = platform::Utf8Path(folder / c.target);
    const platform::FileStatus old = platform::Status(path);
    std::error_code error;
    const fs::file_time_type oldTime = fs::last_write_time(platform::NativePath(path), error);
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
    } catch (const EFCreateError& failure) {
        check.Expect(!c.result, "failed: " + failure.GetFault().Text());
        check.Expect(failure.Step() == c.step, "failed at " + StepName(failure.Step()));
        check.Expect(failure.GetFault().file == path, "the fault names another file");
        if (c.step == WriteStep::Temporary && !c.readOnly) {
            check.Expect(
                std::string(failure.what()) ==
                    "Datei \"" + path + "\" kann nicht erstellt werden. " + SystemErrorText(ENOENT),
                failure.what());
        }
    }
    check.Expect(asked == (c.answer ? 1 : 0), "asked " + std::to_string(asked) + " times");
    const Files after = Read(folder);
    check.Expect(after == c.after, "found " + Show(after));
    if (c.result == Replacement::Unchanged && old.kind == platform::FileKind::Regular) {
        check.Expect(fs::last_write_time(platform::NativePath(path), error) == oldTime &&
                         platform::Status(path).file == old.file,
                     "the file was touched");
    }
}

// Runs a case in a fresh folder of its own; what it found wrong, "" when everything held.
template <typename Case, typename Check>
std::string RunInFreshFolder(const Case& c, Check check) {
    TempDir dir;
    Plant(dir.Path(), c.before, c.readOnly);
    ChildReport report;
    check(c, dir.Path(), report);
    return report.Text();
}

}  // namespace parlix::testing
