// The review marks as the sources file holds them: the key of each row that needs review (see
// row_keys.h) with the language 1 text its translation was made from. Every other translated
// row was translated from its language 1 text as it stands, so a file without entries, or no
// file at all, means that nothing needs review.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "review/source_memory.h"
#include "table/ptf_table.h"

namespace parlix::review {

struct SourceEntry {
    std::string key;
    // The remembered language 1 text (Windows-1252); nothing for a draft.
    std::optional<std::string> source;
    friend bool operator==(const SourceEntry&, const SourceEntry&) = default;
};

// The entries of the memory's marks, in the table's current order. The table must not be
// being edited.
std::vector<SourceEntry> MarkEntries(const PtfTable& table, const SourceMemory& memory);

// Replaces the memory's marks by those of the entries. An entry whose key no row has, whose row
// has no translation or whose text is its row's language 1 text gives no mark. Returns the
// number of marks.
int ReadMarks(const PtfTable& table, SourceMemory& memory, const std::vector<SourceEntry>& entries);

}  // namespace parlix::review
