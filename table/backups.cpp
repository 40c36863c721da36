#include "table/backups.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "table/errors.h"
#include "table/file_replacement.h"
#include "table/temporary_files.h"

namespace parlix {

namespace {

// Only a regular file is backed up: a folder is no file, and copying a device or a FIFO would
// read it without end.
bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The highest n from 1 to `limit` for which base + n (n in decimal, without leading zeros) is
// in the folder, 0 when there is none, and `limit` when the folder cannot be listed. One
// listing instead of one test per number keeps a huge backup count from taking minutes.
std::int32_t HighestNumberAfter(const std::string& base, std::int32_t limit) {
    namespace fs = std::filesystem;
    const fs::path basePath(base);
    const std::string prefix = basePath.filename().string();
    const fs::path folder = basePath.parent_path().empty() ? fs::path(".") : basePath.parent_path();
    std::int32_t highest = 0;
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.size() <= prefix.size() || name.size() > prefix.size() + 10 ||
                name.compare(0, prefix.size(), prefix) != 0 || name[prefix.size()] == '0') {
                continue;
            }
            std::int64_t number = 0;
            for (std::size_t i = prefix.size(); i < name.size() && number >= 0; ++i) {
                const char c = name[i];
                number = c >= '0' && c <= '9' ? number * 10 + (c - '0') : -1;
            }
            if (number >= 1 && number <= limit) {
                highest = std::max(highest, static_cast<std::int32_t>(number));
            }
        }
    } catch (const fs::filesystem_error&) {
        return limit;  // every number is tried, as a listing would have allowed
    }
    return highest;
}

struct Identity {
    dev_t device;
    ino_t inode;
    bool operator==(const Identity&) const = default;
};

std::optional<Identity> IdentityOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return Identity{info.st_dev, info.st_ino};
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
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
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path kept(file);
    const std::string keptName = kept.filename().string();
    if (IdentityOf(FolderOf(target)) == IdentityOf(FolderOf(kept)) &&
        IdentityOf(FolderOf(target)).has_value() &&
        (target.filename() == kept.filename() ||
         IsKeptBeside(target.filename().string(), keptName))) {
        return true;
    }
    const std::optional<Identity> identity = IdentityOf(target);
    if (!identity) {
        return false;
    }
    if (identity == IdentityOf(kept)) {
        return true;
    }
    // Another name for one of the backups (a hard link elsewhere, a symbolic link).
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(FolderOf(kept))) {
            if (IsKeptBeside(entry.path().filename().string(), keptName) &&
                IdentityOf(entry.path()) == identity) {
                return true;
            }
        }
    } catch (const fs::filesystem_error&) {
        // A folder that cannot be listed holds no backup that could be written over.
    }
    return false;
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
