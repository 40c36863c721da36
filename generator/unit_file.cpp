#include "generator/unit_file.h"

#include "generator/unit_generator.h"
#include "table/backups.h"

namespace parlix {

namespace {

// The unit never replaces what it is made from, nor do its backups.
void RefuseProjectFiles(const std::string& path, const ProjectState& state) {
    for (const std::string& own : {state.ProjectFileName, state.TranslationsFileName}) {
        if (!own.empty() && (IsFileOrKeptBeside(path, own) || IsFileOrKeptBeside(own, path))) {
            throw EFCreateError(path,
                                "Die Datei gehört zum Projekt selbst (Projektdatei, "
                                "Übersetzungstabelle oder deren Backups); die Unit braucht "
                                "eine eigene Datei.",
                                WriteStep::Target);
        }
    }
}

}  // namespace

Replacement WriteUnitFile(const std::string& path, std::int32_t backupCount, std::string_view unit,
                          const BackupFailureQuestion& writeDespiteBackupFailure) {
    FileReplacement file(path, backupCount);
    file.Write(unit);
    return file.Commit(writeDespiteBackupFailure);
}

Replacement GenerateUnitFile(const std::string& path, std::int32_t backupCount,
                             const ProjectState& state, PtfTable& translations,
                             const BackupFailureQuestion& writeDespiteBackupFailure,
                             UnitEncodingChoice encoding, UnitWritten* written) {
    RefuseProjectFiles(path, state);
    const UnitEncoding resolved = ResolveUnitEncoding(encoding, path);
    FileReplacement file(path, backupCount);
    const std::size_t lines = GenerateUnit(
        state, translations, [&file](std::string_view text) { file.Write(text); }, resolved);
    if (written != nullptr) {
        *written = {resolved, lines};
    }
    return file.Commit(writeDespiteBackupFailure);
}

}  // namespace parlix
