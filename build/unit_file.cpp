#include "build/unit_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "table/backups.h"
#include "table/errors.h"
#include "table/file_io.h"

namespace parlix {

void CheckUnitWritable(const std::string& path) {
    namespace fs = std::filesystem;
    auto fail = [&path](int error) { throw EFCreateError(path, SystemErrorText(error)); };

    fs::path target(path);
    std::error_code ec;
    // A symbolic link is followed when the file is written; check the file it names.
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            target = resolved;
        }
    }
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            fail(EISDIR);
        }
        if (::access(target.c_str(), W_OK) != 0) {
            fail(errno);
        }
    } else if (errno != ENOENT) {
        fail(errno);
    }
    // The new content goes to a temporary file beside the target first.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (::stat(folder.c_str(), &info) != 0) {
        fail(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        fail(ENOTDIR);
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        fail(errno);
    }
}

UnitWriteResult WriteUnitFile(const std::string& path, std::int32_t backupCount,
                              std::string_view unit,
                              const std::function<bool()>& writeDespiteBackupFailure) {
    CheckUnitWritable(path);
    if (!RotateBackups(path, backupCount, kUnitBackupSuffix)) {
        if (!writeDespiteBackupFailure || !writeDespiteBackupFailure()) {
            return UnitWriteResult::Declined;
        }
    }
    WriteFileAtomically(path, unit);
    return UnitWriteResult::Written;
}

}  // namespace parlix
