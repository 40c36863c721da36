// Reading a project from the command line: the project file and its translation table file,
// as the desktop program opens them, with failures that name the file and the line.
#pragma once

#include <string>

#include "project/project_files.h"
#include "table/ptf_table.h"

namespace parlix::build_tool {

// Reads the project file and its translation table file as opening a project does: the
// settings as stored in the record, the language fields named after the record's languages
// and filled by position; both tables open. Throws FaultError (EFOpenError when a file cannot
// be read), naming the file and, for a damaged one, the line.
void ReadProject(const std::string& projectFile, ProjectState& state, PtfTable& translations);

}  // namespace parlix::build_tool
