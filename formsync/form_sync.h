// Keeping the translation table in step with the application's forms: a plan, then an apply,
// as the import does.
//
// PlanFormSync compares every text of the project's forms with the rows that assign its path
// (a row with several paths is matched by each) and sorts it: new (no row assigns the path),
// changed (language 1 differs from the form's text), unchanged, or refused (a text the table
// cannot hold). A path of a row that names a scanned form without such a component has
// vanished: the unit would not compile. Rows whose paths name no scanned form are left alone.
// ApplyFormSync then writes language 1 of the changed rows, appends the new ones and, only
// when asked, takes the vanished paths out of their rows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "forms/project_forms.h"
#include "project/project_files.h"
#include "table/ptf_table.h"

namespace parlix::formsync {

// Where the project's forms are found: its uses list beside its source unit and its project
// file, and the extra form files or folders.
forms::ProjectFormsSource FormsSourceOf(const ProjectState& state,
                                        std::vector<std::string> extras = {});

// Where a text of a form stands.
struct FormSpot {
    std::string file;
    forms::FormPlace place;
    bool binary = false;
    // "file:line" or "file: Byte N" (UTF-8), as the command line and the window name it.
    std::string Text() const;
};

// A form's text that no row assigns: the row proposed for it.
struct NewRow {
    std::string path;  // Windows-1252 (the names of a form are ASCII)
    std::string type;  // the component's class without its T, or "Hint" for a hint
    std::string text;  // language 1, Windows-1252; StringName stays empty, language 2 null
    FormSpot spot;
};

// A row's path whose form text differs from the row's language 1.
struct ChangedText {
    RecordId id = 0;
    int row = -1;                       // in the table's order when the plan was made
    std::string path;                   // the row's path as it writes it (Windows-1252)
    std::optional<std::string> before;  // language 1 of the row; nothing for null
    std::string after;                  // the form's text, Windows-1252
    FormSpot spot;
};

// A row's path that names a scanned form without such a component.
struct VanishedPath {
    RecordId id = 0;
    int row = -1;
    std::string path;     // as the row writes it (Windows-1252)
    std::string missing;  // the name that is no component (UTF-8)
    std::string form;     // the form file searched
    // Taking the path out leaves the row nothing to assign and no constant: the row goes.
    bool wholeRow = false;
};

// A form's text the table cannot take.
struct RefusedText {
    int row = -1;        // the row it would change; -1 for a new one
    std::string path;    // UTF-8
    std::string reason;  // UTF-8, German ("Zeichen, die Windows-1252 nicht kennt: ...")
    FormSpot spot;
};

struct SyncPlan {
    int tableRows = 0;  // the table's record count when the plan was made
    std::vector<NewRow> added;
    std::vector<ChangedText> changed;
    int unchanged = 0;
    std::vector<VanishedPath> vanished;
    std::vector<RefusedText> refused;

    bool HasChanges() const { return !added.empty() || !changed.empty(); }
};

// Plans the sync of `table` (the translation table; active, not being edited; only read)
// with the project's forms.
SyncPlan PlanFormSync(const forms::ProjectForms& forms, PtfTable& table);

struct SyncResult {
    int added = 0;
    int changed = 0;  // rows whose language 1 was written
    int pathsRemoved = 0;
    int rowsDeleted = 0;
};

// Applies the plan: language 1 of the changed rows and the vanished paths ticked in
// `removeVanished` (one flag per plan.vanished; empty: none) through one ApplyChanges, then
// the new rows appended with Append and Post, so that the table's journal hears every change.
// The cursor stays on its record. Throws PtfError, before changing anything, when the plan no
// longer fits the table.
SyncResult ApplyFormSync(const SyncPlan& plan, PtfTable& table,
                         const std::vector<bool>& removeVanished = {});

}  // namespace parlix::formsync
