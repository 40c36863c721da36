#include "table/backups.h"

#include <algorithm>
#include <optional>

#include "table/errors.h"
#include "table/file_io.h"
#include "table/file_replacement.h"
#include "table/platform.h"
#include "table/temporary_files.h"

namespace parlix {

namespace {

// Only a regular file is backed up: a folder is no file, and copying a device or a FIFO would
// read it without end.
bool IsRegularFile(const std::string& path) {
    return platform::Status(path).kind == platform::FileKind::Regular;
}

// The highest n from 1 to `limit` for which base + n (n in decimal, without leading zeros) is
// in the folder, 0 when there is none, and `limit` when the folder cannot be listed. One
// listing instead of one test per number keeps a huge backup count from taking minutes.
std::int32_t HighestNumberAfter(const std::string& base, std::int32_t limit) {
    const std::string prefix = NameOf(base);
    std::int32_t highest = 0;
    const bool listed = platform::ListFolder(FolderOf(base), [&](std::string_view name) {
        if (name.size() <= prefix.size() || name.size() > prefix.size() + 10 ||
            name.compare(0, prefix.size(), prefix) != 0 || name[prefix.size()] == '0') {
            return;
        }
        std::int64_t number = 0;
        for (std::size_t i = prefix.size(); i < name.size() && number >= 0; ++i) {
            const char c = name[i];
            number = c >= '0' && c <= '9' ? number * 10 + (c - '0') : -1;
        }
        if (number >= 1 && number <= limit) {
            highest = std::max(highest, static_cast<std::int32_t>(number));
        }
    });
    // A folder that cannot be listed: every number is tried, as a listing would have allowed.
    return listed ? highest : limit;
}

struct Identity {
    std::uint64_t device;
    std::uint64_t file;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> IdentityOf(const std::string& path) {
    const platform::FileStatus status = platform::Status(path);
    if (status.kind == platform::FileKind::None) {
        return std::nullopt;
    }
    return Identity{status.device, status.file};
}

// Whether `name` is that of a backup of `file` or a temporary file of a write to it.
bool IsKeptBeside(std::string_view name, std::string_view file) {
    if (IsTemporaryFileOf(name, file)) {
        return true;
    }
    if (!name.starts_with(file) || !name.substr(file.size()).starts_with(kBackupSuffix)) {
        return false;
    }
    const std::string_view number = name.substr(file.size() + kBackupSuffix.size());
    return !number.empty() && number.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

bool IsFileOrKeptBeside(const std::string& path, const std::string& file) {
    const std::string targetName = NameOf(path);
    const std::string keptName = NameOf(file);
    const std::string keptFolder = FolderOf(file);
    const std::optional<Identity> folder = IdentityOf(FolderOf(path));
    if (folder.has_value() && folder == IdentityOf(keptFolder) &&
        (targetName == keptName || IsKeptBeside(targetName, keptName))) {
        return true;
    }
    const std::optional<Identity> identity = IdentityOf(path);
    if (!identity) {
        return false;
    }
    if (identity == IdentityOf(file)) {
        return true;
    }
    // Another name for one of the backups (a hard link elsewhere, a symbolic link). A folder
    // that cannot be listed holds no backup that could be written over.
    bool found = false;
    platform::ListFolder(keptFolder, [&](std::string_view name) {
        found = found ||
                (IsKeptBeside(name, keptName) && IdentityOf(PathIn(keptFolder, name)) == identity);
    });
    return found;
}

void RotateBackups(const std::string& path, std::int32_t count, std::string_view suffix) {
    if (count < 1) {
        return;
    }
    const std::string base = path + std::string(suffix);
    // Nothing is copied to a number above the highest existing backup plus one.
    const std::int32_t top = std::min(count, HighestNumberAfter(base, count - 1) + 1);
    for (std::int32_t n = top; n >= 1; --n) {
        const std::string source = n > 1 ? base + std::to_string(n - 1) : path;
        const std::string backup = base + std::to_string(n);
        if (!IsRegularFile(source)) {
            continue;
        }
        try {
            CopyFileReplacing(source, backup);
        } catch (const FaultError& error) {
            throw EFCreateError(backup, error.GetFault().message, WriteStep::Backups);
        }
    }
}

}  // namespace parlix
