// Writing the generated unit over the source unit, after numbered backups of the old one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "generator/unit_encoding.h"
#include "project/project_files.h"
#include "table/ptf_table.h"

namespace parlix {

// The suffix of the unit's backup copies: uTexte.pas.bak1, uTexte.pas.bak2, ...
inline constexpr const char* kUnitBackupSuffix = ".bak";

enum class UnitWriteResult {
    Written,   // the unit replaced the file, or created it
    Declined,  // a backup failed and the caller chose not to write
};

// Asked when a backup copy failed: true writes the unit all the same.
using BackupFailureQuestion = std::function<bool()>;

// Writes `unit` to `path` as Build does. The unit goes to a temporary file beside `path`
// first; once it is complete, `backupCount` numbered copies of the old file are kept, and the
// new file takes the old one's place in one piece. When a backup copy fails,
// `writeDespiteBackupFailure` decides: true writes all the same, false (or no function) leaves
// the file alone and returns Declined. Throws EFCreateError, with the text
// "Datei "<path>" kann nicht erstellt werden. <cause>", when the file cannot be written: then
// the old file stays as it was, and when the failure shows before the backups (a missing or
// read-only folder, a read-only file, a full disk) no backup is made either.
UnitWriteResult WriteUnitFile(const std::string& path, std::int32_t backupCount,
                              std::string_view unit,
                              const BackupFailureQuestion& writeDespiteBackupFailure);

// What a build wrote, for telling the user.
struct UnitWritten {
    UnitEncoding encoding = UnitEncoding::Windows1252;
    std::size_t lines = 0;
};

// WriteUnitFile for a unit generated from the translation table straight into the file, so
// that even a huge unit is never held in memory whole, in the encoding `encoding` asks for
// (ResolveUnitEncoding). Errors of the generator pass through (nothing is written then).
// `written`, when given, learns the encoding and the number of lines.
UnitWriteResult GenerateUnitFile(const std::string& path, std::int32_t backupCount,
                                 const ProjectState& state, PtfTable& translations,
                                 const BackupFailureQuestion& writeDespiteBackupFailure,
                                 UnitEncodingChoice encoding = UnitEncodingChoice::AsBefore,
                                 UnitWritten* written = nullptr);

}  // namespace parlix
