// The key of a translation table row: the one name of a row that files beside the table use,
// the exchange files (the XLIFF unit id) and the sources file of the review marks alike.
//
// A row's key is its StringName when no other row has that name; otherwise its Property, when
// no other such row has it and it is no other row's key; otherwise the Property followed by
// "#" and a number counting the rows of that Property, ordered by their language 1 text, Type
// and StringName and only then by position. Ordering the table by a column keeps every key but
// those of rows equal in all four, and a key depends on the rows' texts, never on the grid.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "table/ptf_table.h"

namespace parlix::review {

// What a row's key is made of (Windows-1252 bytes; null counts as empty).
struct KeyFields {
    std::string_view type;
    std::string_view property;
    std::string_view name;
    std::string_view source;  // the language 1 text
};

// The fields of a row, by its number from 0; the views stay valid while the keys are made.
// Without `all`, only the Property and the StringName are needed.
using KeyFieldsAt = std::function<KeyFields(int row, bool all)>;

// The fields of a translation table's rows in its current order: views into the table, valid
// while it does not change.
KeyFieldsAt TableKeyFields(const PtfTable& table);

// The order of rows that share a Property: by language 1, Type, StringName and Property.
bool SourceSideLess(const KeyFields& a, const KeyFields& b);

// The key of every row. When given, `rowOfKey` receives every key (a view into the returned
// strings) with its row.
using RowOfKey = std::unordered_map<std::string_view, int>;
std::vector<std::string> RowKeys(int rowCount, const KeyFieldsAt& fields,
                                 RowOfKey* rowOfKey = nullptr);

// The keys of some rows only, each as RowKeys gives it. Only the rows that can bear on them are
// looked at closely, so a few keys of a large table cost one quick walk over it (two when some
// of those rows share a name with another row).
std::vector<std::string> KeysOfRows(int rowCount, const KeyFieldsAt& fields,
                                    const std::vector<int>& rows);

// The row that has each key, or -1 where no row has it; as quick as KeysOfRows.
std::vector<int> RowsOfKeys(int rowCount, const KeyFieldsAt& fields,
                            const std::vector<std::string>& keys);

}  // namespace parlix::review
