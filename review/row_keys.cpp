#include "review/row_keys.h"

#include <algorithm>
#include <unordered_set>

#include "project/project_files.h"

namespace parlix::review {

namespace {

// A key of the form "P#n", n written as keys write numbers (1 to 999999999, no leading zero).
struct Numbered {
    std::string_view base;
    int number = 0;  // 0: not of that form
};

Numbered SplitNumbered(std::string_view key) {
    const std::size_t mark = key.rfind('#');
    if (mark == std::string_view::npos) {
        return {};
    }
    const std::string_view digits = key.substr(mark + 1);
    if (digits.empty() || digits.size() > 9 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {};
    }
    int number = 0;
    for (const char c : digits) {
        number = number * 10 + (c - '0');
    }
    return {key.substr(0, mark), number};
}

// The rows whose keys are worked out: all of them, or the groups of some Properties and the
// rows of some names. A group is complete (every row of that Property is looked at), and so
// are the rows whose name or Property could take a key the group would otherwise give.
struct Interest {
    bool everything = true;
    std::unordered_set<std::string_view> properties;
    std::unordered_set<std::string_view> names;

    bool Group(std::string_view property) const {
        return everything || properties.contains(property) ||
               (SplitNumbered(property).number > 0 &&
                properties.contains(SplitNumbered(property).base));
    }
    bool Row(const KeyFields& fields) const {
        return Group(fields.property) || names.contains(fields.name) ||
               properties.contains(fields.name) ||
               (SplitNumbered(fields.name).number > 0 &&
                properties.contains(SplitNumbered(fields.name).base));
    }
};

// The keys of the rows an Interest covers: `rows` ascending, `keys` beside them; a key is
// empty where the Interest does not settle it (no key is empty).
struct Work {
    std::vector<int> rows;
    std::vector<KeyFields> fields;
    std::vector<std::string> keys;
};

Work MakeKeys(int rowCount, const KeyFieldsAt& fieldsAt, const Interest& interest) {
    Work work;
    for (int row = 0; row < rowCount; ++row) {
        const KeyFields fields = fieldsAt(row);
        if (interest.everything || interest.Row(fields)) {
            work.rows.push_back(row);
            work.fields.push_back(fields);
        }
    }
    const std::size_t count = work.rows.size();
    work.keys.resize(count);

    // How many rows have each name that matters here: the names of the rows looked at, and
    // the Properties of their groups, which a unique name takes.
    std::unordered_map<std::string_view, int> nameCount;
    nameCount.reserve(count * 2);
    if (interest.everything) {
        for (const KeyFields& fields : work.fields) {
            if (!fields.name.empty()) {
                ++nameCount[fields.name];
            }
        }
    } else {
        for (const KeyFields& fields : work.fields) {
            nameCount.try_emplace(fields.name, 0);
            nameCount.try_emplace(fields.property, 0);
        }
        for (int row = 0; row < rowCount; ++row) {
            const std::string_view name = fieldsAt(row).name;
            if (!name.empty()) {
                if (auto found = nameCount.find(name); found != nameCount.end()) {
                    ++found->second;
                }
            }
        }
    }
    auto uniqueName = [&nameCount](std::string_view name) {
        const auto found = nameCount.find(name);
        return !name.empty() && found != nameCount.end() && found->second == 1;
    };

    // A unique name is the row's key; the other rows of a complete group wait in it.
    std::unordered_map<std::string_view, std::vector<std::size_t>> groups;
    std::vector<std::string_view> groupOrder;
    for (std::size_t i = 0; i < count; ++i) {
        const KeyFields& fields = work.fields[i];
        if (uniqueName(fields.name)) {
            work.keys[i] = fields.name;
        } else if (interest.Group(fields.property)) {
            auto [group, added] = groups.try_emplace(fields.property);
            if (added) {
                groupOrder.push_back(fields.property);
            }
            group->second.push_back(i);
        }
    }
    // A Property alone in its group is the key, unless a unique name took it.
    for (const std::string_view property : groupOrder) {
        const std::vector<std::size_t>& members = groups[property];
        if (members.size() == 1 && !property.empty() && !uniqueName(property)) {
            work.keys[members.front()] = property;
        }
    }
    // "P#n" keys taken already, by unique names and by lone Properties: numbering skips them.
    // Numbers of two groups never meet ("P#n" = "Q#m" only for P = Q, n and m being digits).
    std::unordered_map<std::string_view, std::unordered_set<int>> taken;
    for (std::size_t i = 0; i < count; ++i) {
        if (const Numbered numbered = SplitNumbered(work.keys[i]); numbered.number > 0) {
            taken[numbered.base].insert(numbered.number);
        }
    }
    for (const std::string_view property : groupOrder) {
        std::vector<std::size_t>& members = groups[property];
        if (!work.keys[members.front()].empty()) {
            continue;  // a lone Property
        }
        std::stable_sort(members.begin(), members.end(), [&work](std::size_t a, std::size_t b) {
            return SourceSideLess(work.fields[a], work.fields[b]);
        });
        const auto skip = taken.find(property);
        int number = 0;
        for (const std::size_t i : members) {
            do {
                ++number;
            } while (skip != taken.end() && skip->second.contains(number));
            std::string& key = work.keys[i];
            key.reserve(property.size() + 8);
            key.assign(property).append("#").append(std::to_string(number));
        }
    }
    return work;
}

}  // namespace

KeyFieldsAt TableKeyFields(const PtfTable& table) {
    using namespace translation_field;
    return [&table](int row) {
        return KeyFields{table.TextViewAt(row, kTypeColumn), table.TextViewAt(row, kPropertyColumn),
                         table.TextViewAt(row, kStringNameColumn),
                         table.TextViewAt(row, LanguageColumn(1))};
    };
}

bool SourceSideLess(const KeyFields& a, const KeyFields& b) {
    if (const int c = a.source.compare(b.source); c != 0) {
        return c < 0;
    }
    if (const int c = a.type.compare(b.type); c != 0) {
        return c < 0;
    }
    if (const int c = a.name.compare(b.name); c != 0) {
        return c < 0;
    }
    return a.property < b.property;
}

std::vector<std::string> RowKeys(int rowCount, const KeyFieldsAt& fields, RowOfKey* rowOfKey) {
    Work work = MakeKeys(rowCount, fields, Interest{});
    if (rowOfKey != nullptr) {
        rowOfKey->clear();
        rowOfKey->reserve(work.keys.size());
        for (std::size_t i = 0; i < work.keys.size(); ++i) {
            rowOfKey->emplace(work.keys[i], static_cast<int>(i));
        }
    }
    return std::move(work.keys);
}

std::vector<std::string> KeysOfRows(int rowCount, const KeyFieldsAt& fields,
                                    const std::vector<int>& rows) {
    Interest interest;
    interest.everything = false;
    for (const int row : rows) {
        const KeyFields wanted = fields(row);
        interest.properties.insert(wanted.property);
        interest.names.insert(wanted.name);
    }
    Work work = MakeKeys(rowCount, fields, interest);
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const int row : rows) {
        const auto at = std::lower_bound(work.rows.begin(), work.rows.end(), row);
        keys.push_back(work.keys[static_cast<std::size_t>(at - work.rows.begin())]);
    }
    return keys;
}

std::vector<int> RowsOfKeys(int rowCount, const KeyFieldsAt& fields,
                            const std::vector<std::string>& keys) {
    Interest interest;
    interest.everything = false;
    for (const std::string& key : keys) {
        interest.properties.insert(key);
        interest.names.insert(key);
        if (const Numbered numbered = SplitNumbered(key); numbered.number > 0) {
            interest.properties.insert(numbered.base);
        }
    }
    const Work work = MakeKeys(rowCount, fields, interest);
    std::unordered_map<std::string_view, int> rowOfKey;
    rowOfKey.reserve(work.keys.size());
    for (std::size_t i = 0; i < work.keys.size(); ++i) {
        if (!work.keys[i].empty()) {
            rowOfKey.emplace(work.keys[i], work.rows[i]);
        }
    }
    std::vector<int> rows;
    rows.reserve(keys.size());
    for (const std::string& key : keys) {
        const auto found = rowOfKey.find(key);
        rows.push_back(found != rowOfKey.end() ? found->second : -1);
    }
    return rows;
}

}  // namespace parlix::review
