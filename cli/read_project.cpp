#include "cli/read_project.h"

#include "review/sources_file.h"
#include "table/ptf_format.h"

namespace parlix::build_tool {

void ReadProject(const std::string& projectFile, ProjectState& state, PtfTable& translations) {
    PtfTable project;
    const ProjectRecord record = ReadProjectFile(projectFile, project);
    state.ProjectFileName = projectFile;
    DefineTranslationFields(translations);
    TakeProjectRecord(record, state, translations);
    state.TranslationsFileName = TranslationsFileNameFor(projectFile);
    LoadPtfFile(state.TranslationsFileName, translations);
    translations.Open();
}

void ReadMarks(const ProjectState& state, PtfTable& translations, review::SourceMemory& marks,
               std::ostream& err) {
    const std::optional<Fault> fault =
        review::LoadMarks(review::SourcesFileNameFor(state.ProjectFileName), translations, marks);
    if (fault) {
        err << fault->file;
        if (fault->line > 0) {
            err << ':' << fault->line;
        }
        err << ": warning: "
            << (fault->kind == Fault::Kind::Content ? fault->message : fault->Text())
            << "; the review marks are ignored\n";
    }
    translations.SetJournal(&marks);
}

void SaveTranslations(const ProjectState& state, PtfTable& translations,
                      const review::SourceMemory& marks) {
    std::string backupFailure;
    const auto refuse = [&backupFailure](const EFCreateError& failure) {
        backupFailure = failure.GetFault().Text();
        return false;
    };
    const auto declined = [&backupFailure](const std::string& file) {
        return FaultError(Fault::In(
            file,
            "Fehler beim Erstellen der Backup-Dateien - nicht geschrieben: " + backupFailure));
    };
    if (SavePtfFile(state.TranslationsFileName, '"', translations, state.BackupCount, refuse) ==
        Replacement::Declined) {
        throw declined(state.TranslationsFileName);
    }
    const std::string sources = review::SourcesFileNameFor(state.ProjectFileName);
    if (review::SaveMarks(sources, translations, marks, state.BackupCount, refuse) ==
        Replacement::Declined) {
        throw declined(sources);
    }
}

}  // namespace parlix::build_tool
