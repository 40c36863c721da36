// The translation table as the exchange reads it: its five text columns row by row, without a
// copy, and the unit id of every row.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "review/row_keys.h"
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

    // What the row's key is made of (see review/row_keys.h).
    review::KeyFields KeyFieldsOf(int row) const;
    // The order of rows that share a key, independent of the table's order: by language 1,
    // Type, StringName and Property. Rows equal in all four are told apart by position only.
    bool SourceSideLess(int a, int b) const;

  private:
    PtfTable& table_;
    int count_;
};

// The id of every row (Windows-1252): its key, as review/row_keys.h defines it for every file
// beside the table. When given, `rowOfId` receives every id (a view into the returned strings)
// with its row.
using RowOfId = review::RowOfKey;
std::vector<std::string> UnitIds(const TableRows& rows, RowOfId* rowOfId = nullptr);

}  // namespace parlix::exchange::detail
