// Writing the generated unit over the source unit, after numbered backups of the old one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "generator/unit_encoding.h"
#include "project/project_files.h"
#include "table/file_replacement.h"
#include "table/ptf_table.h"

namespace parlix {

// Writes `unit` to `path` as Build does, through FileReplacement: the unit is complete and on
// disk before `backupCount` numbered copies of the old file are kept and it takes the old
// one's place; a unit equal to the file writes nothing (Unchanged). When a backup copy fails,
// `writeDespiteBackupFailure` decides: true writes all the same, false (or no function)
// leaves the file alone and returns Declined. Throws EFCreateError, with the text
// "Datei "<path>" kann nicht erstellt werden. <cause>", when the file cannot be written: then
// the old file stays as it was, and when the failure shows before the backups (a missing or
// read-only folder, a read-only file, a full disk) no backup is made either.
Replacement WriteUnitFile(const std::string& path, std::int32_t backupCount, std::string_view unit,
                          const BackupFailureQuestion& writeDespiteBackupFailure);

// What a build wrote, for telling the user.
struct UnitWritten {
    UnitEncoding encoding = UnitEncoding::Windows1252;
    std::size_t lines = 0;
};

// WriteUnitFile for a unit generated from the translation table straight into the file, so
// that even a huge unit is never held in memory whole, in the encoding `encoding` asks for
// (ResolveUnitEncoding). A target that is the project's own file (the project file, its
// translation table, or a file kept beside them) is refused with EFCreateError before anything
// is generated. Errors of the generator pass through (nothing is written then). `written`, when
// given, learns the encoding and the number of lines.
Replacement GenerateUnitFile(const std::string& path, std::int32_t backupCount,
                             const ProjectState& state, PtfTable& translations,
                             const BackupFailureQuestion& writeDespiteBackupFailure,
                             UnitEncodingChoice encoding = UnitEncodingChoice::AsBefore,
                             UnitWritten* written = nullptr);

}  // namespace parlix
