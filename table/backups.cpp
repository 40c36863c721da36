#include "table/backups.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "table/file_io.h"

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

}  // namespace

bool RotateBackups(const std::string& path, std::int32_t count, const std::string& suffix) {
    if (count < 1) {
        return true;
    }
    const std::string base = path + suffix;
    // Nothing is copied to a number above the highest existing backup plus one.
    const std::int32_t top = std::min(count, HighestNumberAfter(base, count - 1) + 1);
    bool success = true;
    for (std::int32_t n = top; n >= 1; --n) {
        const std::string source = n > 1 ? base + std::to_string(n - 1) : path;
        if (IsRegularFile(source) && !CopyFileReplacing(source, base + std::to_string(n))) {
            success = false;
        }
    }
    return success;
}

namespace {

template <typename Piece>
std::int32_t SplitInto(std::string_view text, std::vector<Piece>& pieces, char separator) {
    std::int32_t count = 0;
    for (std::size_t at = text.find(separator); at != std::string_view::npos;
         at = text.find(separator)) {
        pieces.emplace_back(text.substr(0, at));
        ++count;
        text.remove_prefix(at + 1);
    }
    if (!text.empty()) {
        pieces.emplace_back(text);
        ++count;
    }
    return count;
}

}  // namespace

std::int32_t SplitAtChar(std::string_view text, std::vector<std::string>& pieces, char separator) {
    return SplitInto(text, pieces, separator);
}

std::int32_t SplitAtChar(std::string_view text, std::vector<std::string_view>& pieces,
                         char separator) {
    return SplitInto(text, pieces, separator);
}

}  // namespace parlix
