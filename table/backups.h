// Numbered backup copies of a file about to be replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace parlix {

// The suffix of every backup Parlix keeps: Demo.ppr.bak1, uTexte.pas.bak2, ...
inline constexpr std::string_view kBackupSuffix = ".bak";

// Keeps up to `count` copies of the file at `path`, named path + suffix + number: number 1 is
// the file as it is now, number `count` the oldest. Each copy replaces the next higher one,
// from the top down; missing files are skipped, the file itself is copied and never moved,
// and copies numbered above `count` are left alone. Only regular files are copied (a folder,
// a device or a FIFO counts as missing). Each copy is made beside its target and replaces it
// only when complete (CopyFileReplacing).
//
// The rotation stops at the first copy that fails, so that no backup is overwritten whose
// content has not reached the next number: every backup keeps its bytes, or sits one number
// higher as well. That failure throws EFCreateError (step Backups) naming the backup that
// could not be made and why. Nothing to copy (count below 1, no file yet) is no failure.
void RotateBackups(const std::string& path, std::int32_t count,
                   std::string_view suffix = kBackupSuffix);

// Whether writing `path` would replace `file` or a file Parlix keeps beside it (its numbered
// backups, the temporary file of a write to it): the same file by device and inode, so that
// a link or another spelling of the name counts too, or, for a file not there yet, such a
// name in the same folder.
bool IsFileOrKeptBeside(const std::string& path, const std::string& file);

}  // namespace parlix
