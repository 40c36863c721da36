#include "exchange/table_rows.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

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

std::vector<std::string> UnitIds(const std::vector<Row>& rows) {
    std::vector<std::string> ids(rows.size());
    std::unordered_map<std::string_view, int> nameCount;
    for (const Row& row : rows) {
        if (!row[kNameColumn].text.empty()) {
            ++nameCount[row[kNameColumn].text];
        }
    }
    std::unordered_set<std::string> taken;
    // Rows without a name of their own, grouped by Property in the order of first appearance.
    std::unordered_map<std::string_view, std::size_t> groupOf;
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::string& name = rows[r][kNameColumn].text;
        if (!name.empty() && nameCount[name] == 1) {
            ids[r] = name;
            taken.insert(name);
            continue;
        }
        auto [it, added] = groupOf.try_emplace(rows[r][kPropertyColumn].text, groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[it->second].push_back(r);
    }
    std::vector<std::vector<std::size_t>*> numbered;
    for (auto& group : groups) {
        const std::string& property = rows[group.front()][kPropertyColumn].text;
        if (group.size() == 1 && !property.empty() && taken.insert(property).second) {
            ids[group.front()] = property;
        } else {
            numbered.push_back(&group);
        }
    }
    for (std::vector<std::size_t>* group : numbered) {
        std::stable_sort(group->begin(), group->end(), [&rows](std::size_t a, std::size_t b) {
            return SourceSideLess(rows[a], rows[b]);
        });
        const std::string& property = rows[group->front()][kPropertyColumn].text;
        int number = 0;
        for (std::size_t r : *group) {
            std::string id;
            do {
                id = property + "#" + std::to_string(++number);
            } while (!taken.insert(id).second);
            ids[r] = std::move(id);
        }
    }
    return ids;
}

}  // namespace parlix::exchange::detail
