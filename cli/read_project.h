// Reading a project from the command line: the project file and its translation table file,
// as the desktop program opens them, with failures that name the file and the line.
#pragma once

#include <ostream>
#include <string>

#include "project/project_files.h"
#include "review/source_memory.h"
#include "table/ptf_table.h"

namespace parlix::build_tool {

// Reads the project file and its translation table file as opening a project does: the
// settings as stored in the record, the language fields named after the record's languages
// and filled by position; both tables open. Throws FaultError (EFOpenError when a file cannot
// be read), naming the file and, for a damaged one, the line.
void ReadProject(const std::string& projectFile, ProjectState& state, PtfTable& translations);

// Reads the review marks of the translation table just read (ReadProject) from the project's
// sources file, and makes them follow the table (its journal). A damaged file counts as
// missing: "<file>:<line>: warning: ..." on `err` says so.
void ReadMarks(const ProjectState& state, PtfTable& translations, review::SourceMemory& marks,
               std::ostream& err);

// Writes the translation table and its sources file as the desktop program's Save does: one
// replacement each with the project's numbered backups, nothing for a file whose bytes are the
// same. A failed backup writes neither file (throws FaultError); a file that cannot be written
// throws EFCreateError.
void SaveTranslations(const ProjectState& state, PtfTable& translations,
                      const review::SourceMemory& marks);

}  // namespace parlix::build_tool
