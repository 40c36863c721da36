// The translation table as the exchange reads it: its five text columns row by row, without a
// copy, and the unit id of every row.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "table/ptf_table.h"

namespace parlix::exchange::detail {

inline constexpr int kTypeColumn = 0;
inline constexpr int kPropertyColumn = 1;
inline constexpr int kNameColumn = 2;
inline constexpr int kSourceColumn = 3;
inline constexpr int kTargetColumn = 4;
inline constexpr int kColumns = 5;

// The rows in the table's current order: Type, Property, StringName, language 1, language 2.
// Texts are Windows-1252 views into the table (empty for null), valid while it does not
// change; reading them copies nothing, so that an import's memory does not grow with the
// table beyond its plan.
class TableRows {
  public:
    // The table must be active, in browse state, with the translation table's five text
    // columns; otherwise throws PtfError.
    explicit TableRows(PtfTable& table);

    int Count() const { return count_; }
    std::string_view Text(int row, int column) const { return table_.TextViewAt(row, column); }
    bool IsNull(int row, int column) const { return table_.IsNullAt(row, column); }
    // No text in the target language (null or empty).
    bool Untranslated(int row) const { return Text(row, kTargetColumn).empty(); }

    // The order of rows that share a key, independent of the table's order: by language 1,
    // Type, StringName and Property. Rows equal in all four are told apart by position only.
    bool SourceSideLess(int a, int b) const;

  private:
    PtfTable& table_;
    int count_;
};

// The id of every row (Windows-1252), unique within the table: the StringName when no other
// row has it; otherwise the Property, when no other such row has it and it is no other row's
// id; otherwise the Property followed by "#" and a number counting the rows of that Property,
// ordered by their language 1 text, Type and StringName and only then by position, so that
// ordering the table by a column keeps every id but those of rows equal in all four. When
// given, `rowOfId` receives every id (a view into the returned strings) with its row.
using RowOfId = std::unordered_map<std::string_view, int>;
std::vector<std::string> UnitIds(const TableRows& rows, RowOfId* rowOfId = nullptr);

}  // namespace parlix::exchange::detail
