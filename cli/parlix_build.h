// parlix-build: generates a project's translated unit without the desktop program, for build
// scripts and continuous integration.
//
//   parlix-build [--check] [--strict] [--define 1|2] [--encoding utf8|cp1252] [--output FILE]
//                PROJECT.ppr
//
// Reads the project file and its translation table file as opening the project does,
// generates the unit as Build does and writes it over the project's source unit after
// numbered backups, or to FILE, or with "--output -" to standard output, in the encoding of
// the unit it replaces unless --encoding says otherwise. The table's findings
// (check/) go to standard error first; --strict makes any finding a failure, and --check only
// prints the findings (cli/check_command.h).
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace parlix::build_tool {

// The usage line, printed after a wrong call and at the top of the help.
extern const char* const kUsage;

// Runs the tool with the command-line arguments that follow the program name. The unit goes
// to `out` for "--output -", and so does the help; every failure is one line on `err`,
// "parlix-build: " followed by the file and the cause. Returns the exit status.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace parlix::build_tool
