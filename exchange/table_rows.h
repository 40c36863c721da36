// The translation table as the exchange reads it: its five text columns row by row, and the
// unit id of every row.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "table/ptf_table.h"

namespace parlix::exchange::detail {

struct TextValue {
    std::string text;  // Windows-1252; empty for null
    bool isNull = true;
};

// Type, Property, StringName, language 1, language 2.
using Row = std::array<TextValue, 5>;

inline constexpr int kTypeColumn = 0;
inline constexpr int kPropertyColumn = 1;
inline constexpr int kNameColumn = 2;
inline constexpr int kSourceColumn = 3;
inline constexpr int kTargetColumn = 4;

// The rows in the table's current order. The table must be active, in browse state, with the
// translation table's five text columns; otherwise throws PtfError.
std::vector<Row> ReadRows(PtfTable& table);

// The id of every row (Windows-1252), unique within the table: the StringName when no other
// row has it; otherwise the Property, when no other such row has it and it is no other row's
// id; otherwise the Property followed by "#" and a number counting the rows of that Property,
// ordered by their language 1 text, Type and StringName and only then by position, so that
// ordering the table by a column keeps every id but those of rows equal in all four. When
// given, `rowOfId` receives every id (a view into the returned strings) with its row.
using RowOfId = std::unordered_map<std::string_view, int>;
std::vector<std::string> UnitIds(const std::vector<Row>& rows, RowOfId* rowOfId = nullptr);

// The order of rows that share a key, independent of the table's order: by language 1, Type,
// StringName and Property. Rows equal in all four are told apart by position only.
bool SourceSideLess(const Row& a, const Row& b);

// Whether a value holds no text (null or empty).
inline bool Untranslated(const TextValue& value) {
    return value.text.empty();
}

}  // namespace parlix::exchange::detail
