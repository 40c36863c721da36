#include "table/backups.h"

#include "table/file_io.h"

namespace parlix {

bool RotateBackups(const std::string& path, std::int32_t count, const std::string& suffix) {
    const std::string base = path + suffix;
    bool success = true;
    for (std::int32_t n = count; n >= 1; --n) {
        const std::string source = n > 1 ? base + std::to_string(n - 1) : path;
        if (FileExists(source) && !CopyFileReplacing(source, base + std::to_string(n))) {
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
