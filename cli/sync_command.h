// parlix-build's sync with the application's forms:
//
//   parlix-build --sync-forms [--dry-run] [--forms PFAD]... PROJEKT.ppr
//
// Reads the project's forms (formsync/form_sync.h), plans the sync of its translation table
// and writes the new rows and the changed language-1 texts into the table file, with numbered
// backups as Save does, when something changes. Rows whose component is gone are listed, never
// deleted: that is the user's choice in the window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace parlix::build_tool {

extern const char* const kSyncUsage;
extern const char* const kSyncHelp;

// Whether the arguments ask for the sync (before a "--").
bool IsSyncCall(const std::vector<std::string>& args);

// Runs the sync; the exit statuses are parlix-build's. One line of counts goes to `out`
// ("3 neu, 1 geändert, 12 unverändert, 1 verschwunden, 0 abgelehnt"); every new, changed,
// vanished and refused text is a line on `err`, "FILE:LINE: note: ..." for new and changed
// texts (the form's file and line), "FILE:LINE: warning: ..." for vanished paths (the table
// file's line) and refused texts.
int RunSync(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace parlix::build_tool
