// parlix-build's exchange with translators:
//
//   parlix-build --export DATEI.xlf|DATEI.csv [--languages CODE1,CODE2] [--delimiter ,|;]
//                [--untranslated] PROJEKT.ppr
//   parlix-build --import DATEI.xlf|DATEI.csv [--languages CODE1,CODE2] [--delimiter ,|;]
//                [--dry-run] PROJEKT.ppr
//
// Export writes the translation table as XLIFF 1.2 or CSV. Import writes the target language's
// column of the translation table from such a file, with numbered backups as Save does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace parlix::build_tool {

extern const char* const kExchangeUsage;
extern const char* const kExchangeHelp;

// Whether the arguments ask for an export or an import (before a "--").
bool IsExchangeCall(const std::vector<std::string>& args);

// Runs an export or import; the exit statuses are parlix-build's. Import writes its report to
// `out`: one line of counts. Every unit it does not take is a line on `err`,
// "FILE:LINE: warning: ..." for unknown units and "FILE:LINE: error: ..." for refused ones.
int RunExchange(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace parlix::build_tool
