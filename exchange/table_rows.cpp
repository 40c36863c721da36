#include "exchange/table_rows.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "table/errors.h"

namespace parlix::exchange::detail {

TableRows::TableRows(PtfTable& table) : table_(table), count_(0) {
    if (!table.IsActive()) {
        throw PtfError("Die Übersetzungstabelle ist nicht geöffnet");
    }
    if (table.State() != TableState::Browse) {
        throw PtfError("Ein Datensatz der Übersetzungstabelle wird gerade bearbeitet");
    }
    if (table.FieldCount() != kColumns) {
        throw PtfError("Die Tabelle hat nicht die fünf Spalten einer Übersetzungstabelle");
    }
    for (int column = 0; column < table.FieldCount(); ++column) {
        if (table.Field(column).DataType() != FieldType::ftString) {
            throw PtfError("Spalte " + table.Field(column).FieldName() + " ist keine Textspalte");
        }
    }
    count_ = table.RecordCount();
}

review::KeyFields TableRows::KeyFieldsOf(int row) const {
    return {Text(row, kTypeColumn), Text(row, kPropertyColumn), Text(row, kNameColumn),
            Text(row, kSourceColumn)};
}

bool TableRows::SourceSideLess(int a, int b) const {
    return review::SourceSideLess(KeyFieldsOf(a), KeyFieldsOf(b));
}

std::vector<std::string> UnitIds(const TableRows& rows, RowOfId* rowOfId) {
    return review::RowKeys(
        rows.Count(), [&rows](int row, bool) { return rows.KeyFieldsOf(row); }, rowOfId);
}

}  // namespace parlix::exchange::detail
