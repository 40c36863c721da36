// Reading a project from the command line: the project file and its translation table file,
// as the desktop program opens them, with failures that name the file and the line.
#pragma once

#include <stdexcept>
#include <string>

#include "project/project_files.h"
#include "table/ptf_table.h"

namespace parlix::build_tool {

// A failure of a command; the text names the file (and the line, where there is one) and the
// cause.
class CommandFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a table file into `table` and opens it. A damaged file throws CommandFailure; a file
// that cannot be opened throws EFOpenError, which names the file.
void LoadTable(const std::string& path, PtfTable& table);

// Reads the project file and its translation table file as opening a project does: the
// settings as stored in the record, the language fields named after the record's languages
// and filled by position.
void ReadProject(const std::string& projectFile, ProjectState& state, PtfTable& translations);

}  // namespace parlix::build_tool
