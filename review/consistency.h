// Consistent translations: one language 1 text should have one translation throughout the
// table. The checks warn where a text is translated in two ways; filling takes a text's
// translation over into the rows that have none yet.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "review/source_memory.h"
#include "table/ptf_table.h"

namespace parlix::review {

// The text as the consistency check compares it: without its accelerator marks ("&Datei" is
// "Datei"; "&&" stays one "&") and without the blanks at its edges, so that a menu entry and a
// button with the same words count as one text. A view into `text`, or into `scratch` when a
// mark had to go.
std::string_view ComparableText(std::string_view text, std::string& scratch);
// The same for a text without blanks at its edges (TrimView), which needs no copy unless it
// holds a '&'.
inline std::string_view ComparableTrimmedText(std::string_view trimmed, std::string& scratch) {
    return trimmed.find('&') == std::string_view::npos ? trimmed : ComparableText(trimmed, scratch);
}

// What filling from the table would write: each row without a translation whose language 1
// text (exactly as it stands, and not empty) is translated elsewhere gets the most frequent of
// those translations, the first in the table's order among equally frequent ones. A translation
// that needs review (when `marks` is given) is no model.
struct FillPlan {
    std::vector<RecordChange> changes;  // the rows to fill, with language 2 set
    int Count() const { return static_cast<int>(changes.size()); }
};
FillPlan PlanFill(const PtfTable& table, const SourceMemory* marks = nullptr);

}  // namespace parlix::review
