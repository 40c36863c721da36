// Writing the generated unit over the source unit, after numbered backups of the old one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace parlix {

// The suffix of the unit's backup copies: uTexte.pas.bak1, uTexte.pas.bak2, ...
inline constexpr const char* kUnitBackupSuffix = ".bak";

// Throws EFCreateError, naming `path` and the cause, when the file at `path` plainly cannot be
// replaced: its folder is missing or not writable, it is a folder, or it is read-only. Changes
// nothing. A write that passes this check can still fail (a full disk, for instance).
void CheckUnitWritable(const std::string& path);

enum class UnitWriteResult {
    Written,   // the unit replaced the file, or created it
    Declined,  // a backup failed and the caller chose not to write
};

// Writes `unit` to `path` as Build does. First checks that the file can be replaced at all
// (so that a hopeless write makes no backups), then keeps `backupCount` numbered copies of the
// old file, then replaces the file in one piece: on failure the old file stays as it was.
// When a backup copy fails, `writeDespiteBackupFailure` decides: true writes all the same,
// false (or no function) leaves the file alone and returns Declined. Throws EFCreateError,
// with the text "Datei "<path>" kann nicht erstellt werden. <cause>", when the file cannot be
// written.
UnitWriteResult WriteUnitFile(const std::string& path, std::int32_t backupCount,
                              std::string_view unit,
                              const std::function<bool()>& writeDespiteBackupFailure);

}  // namespace parlix
