#include "build/unit_file.h"

#include "build/unit_generator.h"
#include "table/backups.h"
#include "table/file_io.h"

namespace parlix {

namespace {

// Keeps the backups and lets the complete temporary file replace the unit, or drops it.
UnitWriteResult Replace(AtomicFileWriter& file, const std::string& path, std::int32_t backupCount,
                        const BackupFailureQuestion& writeDespiteBackupFailure) {
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
    AtomicFileWriter file(path);
    file.Write(unit);
    return Replace(file, path, backupCount, writeDespiteBackupFailure);
}

UnitWriteResult GenerateUnitFile(const std::string& path, std::int32_t backupCount,
                                 const ProjectState& state, PtfTable& translations,
                                 const BackupFailureQuestion& writeDespiteBackupFailure) {
    AtomicFileWriter file(path);
    GenerateUnit(state, translations, [&file](std::string_view text) { file.Write(text); });
    return Replace(file, path, backupCount, writeDespiteBackupFailure);
}

}  // namespace parlix
