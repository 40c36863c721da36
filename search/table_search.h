// Looking through the translation table: which rows a filter lets through, where the next
// match is, and what replacing every match would change.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "search/text_pattern.h"
#include "table/ptf_table.h"

namespace parlix {

// Whether any of `columns` of the row holds the pattern (an empty pattern: every row).
bool RowContains(const PtfTable& table, int row, const std::vector<int>& columns,
                 const TextPattern& pattern);

// Whether the record lacks a translation: its language 1 or language 2 text is empty, blanks
// and other characters the unit trims away counting as nothing.
bool RowUntranslated(const PtfTable& table, int row);

// A place in the table: a row in presentation order, a column and a byte offset in its text.
struct CellPosition {
    int row = 0;
    int column = 0;
    std::size_t offset = 0;
};

struct CellMatch {
    CellPosition at;
    std::size_t length = 0;
};

// Where and how to look: the rows in the order they are walked (the rows the grid shows) and
// the columns of each row in order.
struct SearchScope {
    std::vector<int> rows;
    std::vector<int> columns;
};

// The first match at or after `from` (forward) or the last one that begins before it
// (backward), walking the scope's rows and columns; past the end it goes on from the other
// end once, and `wrapped` says so. `from.row` that is not in the scope starts at its first
// (forward) or last (backward) row.
std::optional<CellMatch> FindMatch(const PtfTable& table, const SearchScope& scope,
                                   const TextPattern& pattern, CellPosition from, bool forward,
                                   bool* wrapped = nullptr);

// What replacing every match in the scope would do: the changed records (for ApplyChanges),
// the number of replacements, and the cells left alone because their new text would be longer
// than the field holds.
struct ReplacePlan {
    std::vector<RecordChange> changes;
    int replacements = 0;
    std::vector<CellPosition> tooLong;
};

ReplacePlan PlanReplaceAll(PtfTable& table, const SearchScope& scope, const TextPattern& pattern,
                           std::string_view replacement);

}  // namespace parlix
