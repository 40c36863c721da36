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

bool TableRows::SourceSideLess(int a, int b) const {
    for (int column : {kSourceColumn, kTypeColumn, kNameColumn, kPropertyColumn}) {
        const int c = Text(a, column).compare(Text(b, column));
        if (c != 0) {
            return c < 0;
        }
    }
    return false;
}

std::vector<std::string> UnitIds(const TableRows& rows, RowOfId* rowOfId) {
    // Views into the table and into `ids`, whose strings stay where they are: the vector is
    // never resized.
    const auto count = static_cast<std::size_t>(rows.Count());
    std::vector<std::string> ids(count);
    std::unordered_map<std::string_view, int> nameCount;
    nameCount.reserve(count);
    for (int r = 0; r < rows.Count(); ++r) {
        if (const std::string_view name = rows.Text(r, kNameColumn); !name.empty()) {
            ++nameCount[name];
        }
    }
    // Every id given so far, with its row.
    RowOfId own;
    RowOfId& taken = rowOfId != nullptr ? *rowOfId : own;
    taken.reserve(count);
    // The rows with a name of their own; the others grouped by Property, with each group's
    // number (in the order of first appearance) and size.
    std::vector<bool> named(count, false);
    struct Group {
        std::size_t number;
        std::size_t size;
    };
    std::unordered_map<std::string_view, Group> groupOf;
    groupOf.reserve(count);
    for (std::size_t r = 0; r < count; ++r) {
        const std::string_view name = rows.Text(static_cast<int>(r), kNameColumn);
        if (!name.empty() && nameCount[name] == 1) {
            ids[r] = name;
            taken.emplace(name, static_cast<int>(r));
            named[r] = true;
            continue;
        }
        auto [it, added] = groupOf.try_emplace(rows.Text(static_cast<int>(r), kPropertyColumn),
                                               Group{groupOf.size(), 0});
        ++it->second.size;
    }
    // A Property alone where it is unique; the others numbered in groups.
    std::vector<std::pair<std::size_t, std::size_t>> numbered;  // group number, row
    for (std::size_t r = 0; r < count; ++r) {
        if (named[r]) {
            continue;
        }
        const std::string_view property = rows.Text(static_cast<int>(r), kPropertyColumn);
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
        return rows.SourceSideLess(static_cast<int>(a.second), static_cast<int>(b.second));
    });
    int number = 0;
    for (std::size_t i = 0; i < numbered.size(); ++i) {
        number = i > 0 && numbered[i - 1].first == numbered[i].first ? number : 0;
        const std::size_t r = numbered[i].second;
        const std::string_view property = rows.Text(static_cast<int>(r), kPropertyColumn);
        std::string& id = ids[r];
        do {
            id.assign(property).append("#").append(std::to_string(++number));
        } while (!taken.emplace(id, static_cast<int>(r)).second);
    }
    return ids;
}

}  // namespace parlix::exchange::detail
