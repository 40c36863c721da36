#include "review/row_keys.h"

#include <algorithm>

#include "project/project_files.h"
#include "review/key_work.h"

namespace parlix::review {

using detail::Interest;
using detail::Key;
using detail::KeyWork;
using detail::Numbered;
using detail::SplitNumbered;

KeyFieldsAt TableKeyFields(const PtfTable& table) {
    using namespace translation_field;
    return [&table](int row, bool all) {
        KeyFields fields;
        fields.property = table.TextViewAt(row, kPropertyColumn);
        fields.name = table.TextViewAt(row, kStringNameColumn);
        if (all) {
            fields.type = table.TextViewAt(row, kTypeColumn);
            fields.source = table.TextViewAt(row, LanguageColumn(1));
        }
        return fields;
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
    const Interest everything = Interest::Everything();
    KeyWork work(rowCount, fields, everything);
    std::vector<std::string> keys(static_cast<std::size_t>(rowCount));
    for (int group = 0; group < work.GroupCount(); ++group) {
        work.Number(group, [&keys](int row, const Key& key) {
            keys[static_cast<std::size_t>(row)] = key.Text();
        });
    }
    for (int row = 0; row < rowCount; ++row) {
        std::string& key = keys[static_cast<std::size_t>(row)];
        if (key.empty()) {  // no key is empty: the row has a name of its own
            key = fields(row, false).name;
        }
    }
    if (rowOfKey != nullptr) {
        // Views into `keys`, whose strings stay where they are when the vector is moved.
        rowOfKey->clear();
        rowOfKey->reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            rowOfKey->emplace(keys[i], static_cast<int>(i));
        }
    }
    return keys;
}

namespace {

// Some of the rows whose keys are wanted, without a name of their own, to be ranked in their
// groups by one walk.
struct RankedRows {
    std::vector<int> rows;
    std::vector<std::size_t> keys;  // where their keys go
    Interest interest;

    RankedRows(const std::vector<int>& all, const std::vector<std::size_t>& which,
               const KeyFieldsAt& fields)
        : keys(which) {
        for (const std::size_t i : which) {
            rows.push_back(all[i]);
            interest.Add(fields(all[i], false).property);
        }
    }

    void GiveKeys(const KeyWork& work, std::vector<std::string>& to) const {
        for (std::size_t j = 0; j < rows.size(); ++j) {
            to[keys[j]] = work.KeyOfRanked(j).Text();
        }
    }
};

}  // namespace

std::vector<std::string> KeysOfRows(int rowCount, const KeyFieldsAt& fields,
                                    const std::vector<int>& rows) {
    std::vector<std::string> keys(rows.size());
    std::vector<std::size_t> unnamed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (fields(rows[i], false).name.empty()) {
            unnamed.push_back(i);
        }
    }
    // The rows without a name are ranked by the walk that counts the names; a row whose name
    // other rows have too (a fault the checks report) takes one more walk.
    std::vector<std::size_t> shared;
    {
        const RankedRows ranked(rows, unnamed, fields);
        const KeyWork work(rowCount, fields, ranked.interest, &ranked.rows);
        ranked.GiveKeys(work, keys);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string_view name = fields(rows[i], false).name;
            if (name.empty()) {
                continue;
            }
            if (work.UniqueRow(name) == rows[i]) {
                keys[i] = name;
            } else {
                shared.push_back(i);
            }
        }
    }
    if (!shared.empty()) {
        const RankedRows ranked(rows, shared, fields);
        const KeyWork work(rowCount, fields, ranked.interest, &ranked.rows);
        ranked.GiveKeys(work, keys);
    }
    return keys;
}

std::vector<int> RowsOfKeys(int rowCount, const KeyFieldsAt& fields,
                            const std::vector<std::string>& keys) {
    Interest interest;
    for (const std::string& key : keys) {
        interest.Add(key);
        if (const Numbered numbered = SplitNumbered(key); numbered.number > 0) {
            interest.Add(numbered.base);
        }
    }
    KeyWork work(rowCount, fields, interest);
    // A unique name, a lone Property, or a numbered one, wanted by group and number.
    struct Wanted {
        int group;
        int number;
        std::size_t key;
        bool operator<(const Wanted& other) const {
            return group != other.group ? group < other.group : number < other.number;
        }
    };
    std::vector<Wanted> numbered;
    std::vector<int> rows(keys.size(), -1);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (const int row = work.UniqueRow(keys[i]); row >= 0) {
            rows[i] = row;
        } else if (const int group = work.GroupOf(keys[i]); group >= 0 && work.Lone(group)) {
            rows[i] = work.FirstRow(group);
        } else if (const Numbered key = SplitNumbered(keys[i]); key.number > 0) {
            if (const int base = work.GroupOf(key.base); base >= 0 && !work.Lone(base)) {
                numbered.push_back({base, key.number, i});
            }
        }
    }
    std::sort(numbered.begin(), numbered.end());
    for (auto first = numbered.begin(); first != numbered.end();) {
        const int group = first->group;
        const auto last = std::find_if(first, numbered.end(),
                                       [group](const Wanted& w) { return w.group != group; });
        work.Number(group, [&](int row, const Key& key) {
            const auto [from, to] = std::equal_range(first, last, Wanted{group, key.number, 0});
            for (auto at = from; at != to; ++at) {
                rows[at->key] = row;
            }
        });
        first = last;
    }
    return rows;
}

}  // namespace parlix::review
