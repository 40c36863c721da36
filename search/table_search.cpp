#include "search/table_search.h"

#include <algorithm>

#include "project/project_files.h"
#include "table/text.h"

namespace parlix {

bool RowContains(const PtfTable& table, int row, const std::vector<int>& columns,
                 const TextPattern& pattern) {
    if (pattern.Empty()) {
        return true;
    }
    for (int column : columns) {
        if (pattern.FoundIn(table.TextViewAt(row, column))) {
            return true;
        }
    }
    return false;
}

bool RowUntranslated(const PtfTable& table, int row) {
    for (int language = 1; language <= 2; ++language) {
        const int column = translation_field::LanguageColumn(language);
        if (column < table.FieldCount() && TrimView(table.TextViewAt(row, column)).empty()) {
            return true;
        }
    }
    return false;
}

namespace {

// The match in one cell at or after `offset` (forward) or before it (backward).
std::size_t FindInCell(std::string_view text, const TextPattern& pattern, std::size_t offset,
                       bool forward) {
    return forward ? pattern.Find(text, offset) : pattern.FindLast(text, offset);
}

}  // namespace

std::optional<CellMatch> FindMatch(const PtfTable& table, const SearchScope& scope,
                                   const TextPattern& pattern, CellPosition from, bool forward,
                                   bool* wrapped) {
    if (wrapped != nullptr) {
        *wrapped = false;
    }
    const std::vector<int>& rows = scope.rows;
    const std::vector<int>& columns = scope.columns;
    if (pattern.Empty() || rows.empty() || columns.empty()) {
        return std::nullopt;
    }
    const auto rowAt = std::find(rows.begin(), rows.end(), from.row);
    const auto columnAt = std::find(columns.begin(), columns.end(), from.column);
    std::size_t r = 0;
    std::size_t c = 0;
    std::size_t offset = from.offset;
    if (rowAt == rows.end() || columnAt == columns.end()) {
        // Outside the scope: from the start (or end) of the row, or of the scope.
        r = rowAt != rows.end() ? static_cast<std::size_t>(rowAt - rows.begin())
                                : (forward ? 0 : rows.size() - 1);
        c = forward ? 0 : columns.size() - 1;
        offset = forward ? 0 : TextPattern::npos;
    } else {
        r = static_cast<std::size_t>(rowAt - rows.begin());
        c = static_cast<std::size_t>(columnAt - columns.begin());
    }
    const std::size_t cells = rows.size() * columns.size();
    const std::size_t start = r * columns.size() + c;
    // One more cell than the scope holds: the start cell again, for the part before `from`.
    for (std::size_t step = 0; step <= cells; ++step) {
        const std::size_t cell = forward ? (start + step) % cells : (start + cells - step) % cells;
        if (step > 0 && cell == (forward ? 0 : cells - 1) && wrapped != nullptr) {
            *wrapped = true;
        }
        const int row = rows[cell / columns.size()];
        const int column = columns[cell % columns.size()];
        const std::string_view text = table.TextViewAt(row, column);
        std::size_t at = TextPattern::npos;
        if (step == 0) {
            at = FindInCell(text, pattern, offset, forward);
        } else if (step == cells) {
            // Back at the start cell: what lies on the other side of `from`.
            at = forward ? pattern.Find(text, 0) : pattern.FindLast(text, TextPattern::npos);
            if (at != TextPattern::npos && (forward ? at >= offset : at < offset)) {
                at = TextPattern::npos;
            }
        } else {
            at = forward ? pattern.Find(text, 0) : pattern.FindLast(text, TextPattern::npos);
        }
        if (at != TextPattern::npos) {
            return CellMatch{{row, column, at}, pattern.Size()};
        }
    }
    return std::nullopt;
}

ReplacePlan PlanReplaceAll(PtfTable& table, const SearchScope& scope, const TextPattern& pattern,
                           std::string_view replacement) {
    ReplacePlan plan;
    if (pattern.Empty()) {
        return plan;
    }
    for (int row : scope.rows) {
        std::optional<RecordValues> values;
        for (int column : scope.columns) {
            const std::string_view text = table.TextViewAt(row, column);
            int count = 0;
            std::string replaced = pattern.ReplaceAll(text, replacement, count);
            if (count == 0) {
                continue;
            }
            if (replaced.size() > static_cast<std::size_t>(table.Field(column).Size())) {
                plan.tooLong.push_back({row, column, 0});
                continue;
            }
            if (!values) {
                values = table.ValuesAt(row);
            }
            (*values)[static_cast<std::size_t>(column)] = std::move(replaced);
            plan.replacements += count;
        }
        if (values) {
            plan.changes.push_back({table.IdAt(row), std::move(values)});
        }
    }
    return plan;
}

}  // namespace parlix
