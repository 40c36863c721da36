#include "cli/read_project.h"

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

}  // namespace parlix::build_tool
