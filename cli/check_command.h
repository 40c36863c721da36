// The checks on the command line: parlix-build --check, --strict, and the findings a build
// reports. Every finding is one English line that editors and CI jump to,
//
//   app/Demo_translations.ptf:5: error: "begin" is a reserved word and cannot name a constant
//
// with the translation table file's path as the project file's path gives it and the line of
// the record in that file. The unit name, the uses list and the language names are the
// project record's: their findings name the project file and the record's line. A column
// title names the table file's names line. When the project's forms are found, the paths are
// checked against them too (check/form_checks.h).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "project/project_files.h"
#include "review/source_memory.h"
#include "table/ptf_table.h"

namespace parlix::build_tool {

// parlix-build --check: reads the project and its review marks, prints every finding and then
// a summary line ("<path>: 1 error, 2 warnings in 10 records, 1 to review") to `out`, and
// writes nothing. Returns 1 when the table holds an error, or with `strict` any finding; else
// 0. Files that cannot be read throw as ReadProject does; a damaged sources file is a warning
// on `err` (see ReadMarks). `forms` are more form files or folders besides those the uses list
// names (--forms).
int RunCheck(const std::string& projectFile, bool strict, std::ostream& out, std::ostream& err,
             const std::vector<std::string>& forms = {});

// Before a build from the project's tables and review marks: prints every finding to `err`. On
// an error, or with `strict` on any finding (a translation to review among them), throws
// FaultError with the summary, so that nothing is written.
void CheckBeforeBuild(const ProjectState& state, PtfTable& translations,
                      const review::SourceMemory& marks, bool strict, std::ostream& err,
                      const std::vector<std::string>& forms = {});

}  // namespace parlix::build_tool
