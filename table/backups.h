// Numbered backup copies of a file about to be overwritten, and splitting a text at a character.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace parlix {

// Keeps up to `count` copies of the file at `path`, named path + suffix + number: number 1 is
// the file as it is now, number `count` the oldest. Each copy replaces the next higher one,
// from the top down; missing files are skipped, the file itself is copied and never moved,
// and copies numbered above `count` are left alone. Only regular files are copied (a folder,
// a device or a FIFO counts as missing). Each copy is made beside its target and replaces it
// only when complete, so a failed copy leaves that backup as it was and does not stop the
// others. Returns true when every copy it attempted succeeded (so also when there was nothing
// to copy).
bool RotateBackups(const std::string& path, std::int32_t count, const std::string& suffix);

// Appends the pieces of `text` between occurrences of `separator` to `pieces`, untrimmed and
// including empty ones, except that a separator at the very end gives no empty last piece.
// Returns the number of pieces appended. The list is not cleared first.
std::int32_t SplitAtChar(std::string_view text, std::vector<std::string>& pieces, char separator);
// The same pieces as views into `text`, for callers that split many texts and keep no piece.
std::int32_t SplitAtChar(std::string_view text, std::vector<std::string_view>& pieces,
                         char separator);

}  // namespace parlix
