#include "generator/unit_file.h"

#include "generator/unit_generator.h"
#include "table/backups.h"
#include "table/file_io.h"

namespace parlix {

namespace {

// Keeps the backups and lets the complete temporary file replace the unit, or drops it.
UnitWriteResult Replace(SafeFileWriter& file, const std::string& path, std::int32_t backupCount,
                        const BackupFailureQuestion& writeDespiteBackupFailure) {
    file.Flush();  // a unit that cannot be written fails before any backup is made
    if (!RotateBackups(path, backupCount, kUnitBackupSuffix)) {
        if (!writeDespiteBackupFailure || !writeDespiteBackupFailure()) {
            return UnitWriteResult::Declined;  // the temporary file goes with `file`
        }
    }
    file.Commit();
    return UnitWriteResult::Written;
}

}  // namespace

UnitWriteResult WriteUnitFile(const std::string& path, std::int32_t backupCount,
                              std::string_view unit,
                              const BackupFailureQuestion& writeDespiteBackupFailure) {
    SafeFileWriter file(path);
    file.Write(unit);
    return Replace(file, path, backupCount, writeDespiteBackupFailure);
}

UnitWriteResult GenerateUnitFile(const std::string& path, std::int32_t backupCount,
                                 const ProjectState& state, PtfTable& translations,
                                 const BackupFailureQuestion& writeDespiteBackupFailure,
                                 UnitEncodingChoice encoding, UnitWritten* written) {
    const UnitEncoding resolved = ResolveUnitEncoding(encoding, path);
    SafeFileWriter file(path);
    const std::size_t lines = GenerateUnit(
        state, translations, [&file](std::string_view text) { file.Write(text); }, resolved);
    if (written != nullptr) {
        *written = {resolved, lines};
    }
    return Replace(file, path, backupCount, writeDespiteBackupFailure);
}

}  // namespace parlix
