#include "cli/read_project.h"

#include "table/ptf_format.h"

namespace parlix::build_tool {

void LoadTable(const std::string& path, PtfTable& table) {
    PtfLoadFault fault;
    if (LoadPtfFile(path, table, Notifier{}, &fault)) {
        table.Open();
        return;
    }
    if (fault.line == 0 && fault.cause.empty()) {
        throw CommandFailure(path + ": keine Tabellendatei (weniger als 4 Zeilen)");
    }
    if (fault.line > 0) {
        throw CommandFailure(path + ":" + std::to_string(fault.line) + ": " + fault.cause);
    }
    throw CommandFailure(path + ": " + fault.cause);
}

void ReadProject(const std::string& projectFile, ProjectState& state, PtfTable& translations) {
    PtfTable project;
    DefineProjectFields(project);
    LoadTable(projectFile, project);
    if (project.RecordCount() == 0) {
        throw CommandFailure(projectFile + ": enthält keinen Projektdatensatz");
    }
    const ProjectRecord record = ReadProjectRecord(project);
    state.ProjectFileName = projectFile;
    state.SourceFileName = record.SourceFile;
    state.BackupCount = record.Backups;
    state.UsesList = record.Uses;
    state.LanguageNames[1] = record.Language1;
    state.LanguageNames[2] = record.Language2;

    DefineTranslationFields(translations);
    RenameLanguageFields(translations, record.Language1, record.Language2);
    state.TranslationsFileName = TranslationsFileNameFor(projectFile);
    LoadTable(state.TranslationsFileName, translations);
}

}  // namespace parlix::build_tool
