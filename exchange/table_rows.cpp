#include "exchange/table_rows.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "table/errors.h"

namespace parlix::exchange::detail {

std::vector<Row> ReadRows(PtfTable& table) {
    if (!table.IsActive()) {
        throw PtfError("Die Übersetzungstabelle ist nicht geöffnet");
    }
    if (table.State() != TableState::Browse) {
        throw PtfError("Ein Datensatz der Übersetzungstabelle wird gerade bearbeitet");
    }
    if (table.FieldCount() != static_cast<int>(Row().size())) {
        throw PtfError("Die Tabelle hat nicht die fünf Spalten einer Übersetzungstabelle");
    }
    for (int column = 0; column < table.FieldCount(); ++column) {
        if (table.Field(column).DataType() != FieldType::ftString) {
            throw PtfError("Spalte " + table.Field(column).FieldName() + " ist keine Textspalte");
        }
    }
    std::vector<Row> rows(static_cast<std::size_t>(table.RecordCount()));
    for (int r = 0; r < table.RecordCount(); ++r) {
        Row& row = rows[static_cast<std::size_t>(r)];
        for (int column = 0; column < static_cast<int>(row.size()); ++column) {
            TextValue& value = row[static_cast<std::size_t>(column)];
            value.isNull = table.IsNullAt(r, column);
            if (!value.isNull) {
                value.text = table.TextAt(r, column);
            }
        }
    }
    return rows;
}

bool SourceSideLess(const Row& a, const Row& b) {
    for (int column : {kSourceColumn, kTypeColumn, kNameColumn, kPropertyColumn}) {
        const int c = a[column].text.compare(b[column].text);
        if (c != 0) {
            return c < 0;
        }
    }
    return false;
}

std::vector<std::string> UnitIds(const std::vector<Row>& rows, RowOfId* rowOfId) {
    // Views into `rows` and into `ids`, whose strings stay where they are: the vector is never
    // resized.
    std::vector<std::string> ids(rows.size());
    std::unordered_map<std::string_view, int> nameCount;
    nameCount.reserve(rows.size());
    for (const Row& row : rows) {
        if (!row[kNameColumn].text.empty()) {
            ++nameCount[row[kNameColumn].text];
        }
    }
    // Every id given so far, with its row.
    RowOfId own;
    RowOfId& taken = rowOfId != nullptr ? *rowOfId : own;
    taken.reserve(rows.size());
    // The rows with a name of their own; the others grouped by Property, with each group's
    // number (in the order of first appearance) and size.
    std::vector<bool> named(rows.size(), false);
    struct Group {
        std::size_t number;
        std::size_t size;
    };
    std::unordered_map<std::string_view, Group> groupOf;
    groupOf.reserve(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string& name = rows[r][kNameColumn].text;
        if (!name.empty() && nameCount[name] == 1) {
            ids[r] = name;
            taken.emplace(name, static_cast<int>(r));
            named[r] = true;
            continue;
        }
        auto [it, added] =
            groupOf.try_emplace(rows[r][kPropertyColumn].text, Group{groupOf.size(), 0});
        ++it->second.size;
    }
    // A Property alone where it is unique; the others numbered in groups.
    std::vector<std::pair<std::size_t, std::size_t>> numbered;  // group number, row
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (named[r]) {
            continue;
        }
        const std::string& property = rows[r][kPropertyColumn].text;
        const Group& group = groupOf.find(property)->second;
        if (group.size == 1 && !property.empty() &&
            taken.emplace(property, static_cast<int>(r)).second) {
            ids[r] = property;
        } else {
            numbered.emplace_back(group.number, r);
        }
    }
    std::stable_sort(numbered.begin(), numbered.end(), [&rows](const auto& a, const auto& b) {
        if (a.first != b.first) {
            return a.first < b.first;
        }
        return SourceSideLess(rows[a.second], rows[b.second]);
    });
    int number = 0;
    for (std::size_t i = 0; i < numbered.size(); ++i) {
        number = i > 0 && numbered[i - 1].first == numbered[i].first ? number : 0;
        const std::size_t r = numbered[i].second;
        const std::string& property = rows[r][kPropertyColumn].text;
        std::string& id = ids[r];
        do {
            id.assign(property).append("#").append(std::to_string(++number));
        } while (!taken.emplace(id, static_cast<int>(r)).second);
    }
    return ids;
}

}  // namespace parlix::exchange::detail
