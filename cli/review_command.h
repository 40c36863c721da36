// parlix-build's filling from the table:
//
//   parlix-build --fill-from-table [--dry-run] PROJEKT.ppr
//
// Every untranslated row whose language 1 text is translated elsewhere in the table gets that
// translation (the most frequent one, see review/consistency.h), and the table is written
// with its numbered backups as Save does; --dry-run only counts. What the desktop program's
// "Bearbeiten" -> "Übersetzungen übernehmen..." does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace parlix::build_tool {

extern const char* const kFillUsage;
extern const char* const kFillHelp;

// Whether the arguments ask for filling from the table (before a "--").
bool IsFillCall(const std::vector<std::string>& args);

// Fills, or with --dry-run counts; `out` gets one line, "<n> Übersetzungen übernommen" (or "zu
// übernehmen"). The exit statuses are parlix-build's.
int RunFill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace parlix::build_tool
