#include "review/row_keys.h"

#include <algorithm>
#include <cstring>

#include "project/project_files.h"
#include "review/text_tables.h"
#include "table/text.h"

namespace parlix::review {

namespace {

using detail::NameCounter;
using detail::TextMap;

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

// The texts whose keys are wanted: all, or the groups of some Properties and the rows of some
// names. A group is complete (every row of that Property is looked at), and so are the rows
// whose name or Property could take a key the group would otherwise give ("P#n").
class Interest {
  public:
    bool everything = true;

    void AddProperty(std::string_view property) { Add(properties_, property); }
    void AddName(std::string_view name) { Add(names_, name); }

    // Whether the group of this Property is worked out.
    bool Group(std::string_view property, std::uint64_t hash) const {
        if (everything) {
            return true;
        }
        if (Listed(properties_, property, hash)) {
            return true;
        }
        const Numbered numbered = SplitNumbered(property);
        return numbered.number > 0 && Listed(properties_, numbered.base, HashText(numbered.base));
    }

    // Whether a row with a name of its own is looked at: its key is wanted, or takes a key
    // a group of interest would give.
    bool Named(std::string_view name, std::uint64_t hash) const {
        return everything || Listed(names_, name, hash) || Group(name, hash);
    }

    // Quick answers from a hash alone: false means that Group or Named is false for every
    // text of that hash that holds no '#'.
    bool MayBeGroup(std::uint64_t hash) const { return everything || MayBe(properties_, hash); }
    bool MayBeNamed(std::uint64_t hash) const {
        return everything || MayBe(names_, hash) || MayBe(properties_, hash);
    }

  private:
    struct Texts {
        TextMap<char> texts{16};
        std::vector<std::uint64_t> bits = std::vector<std::uint64_t>(1 << 12);  // a quick no
    };

    void Add(Texts& set, std::string_view text) {
        const std::uint64_t hash = HashText(text);
        set.texts.At(text, hash);
        const std::uint64_t bit = hash >> 40;
        set.bits[bit / 64 % set.bits.size()] |= std::uint64_t{1} << (bit % 64);
    }

    static bool MayBe(const Texts& set, std::uint64_t hash) {
        const std::uint64_t bit = hash >> 40;
        return (set.bits[bit / 64 % set.bits.size()] & (std::uint64_t{1} << (bit % 64))) != 0;
    }

    static bool Listed(const Texts& set, std::string_view text, std::uint64_t hash) {
        return MayBe(set, hash) && set.texts.Find(text, hash) != nullptr;
    }

    Texts properties_;
    Texts names_;
};

// A key as it is worked out: a name or Property (a view into the table), with a number for a
// numbered Property. Unsettled: no base and no number (no key is empty).
struct Key {
    std::string_view base;
    int number = 0;
    bool Settled() const { return number > 0 || !base.empty(); }
    std::string Text() const {
        std::string text(base);
        if (number > 0) {
            text.append("#").append(std::to_string(number));
        }
        return text;
    }
};

// The keys of the rows an Interest covers: `rows` ascending, `keys` beside them.
struct Work {
    std::vector<int> rows;
    std::vector<KeyFields> fields;
    std::vector<Key> keys;
};

// The first eight bytes of a text as a number that orders as the bytes do.
std::uint64_t OrderPrefix(std::string_view text) {
    unsigned char bytes[8] = {};
    if (!text.empty()) {  // an empty view may have no data at all
        std::memcpy(bytes, text.data(), std::min<std::size_t>(text.size(), 8));
    }
    std::uint64_t prefix = 0;
    for (const unsigned char byte : bytes) {
        prefix = prefix << 8 | byte;
    }
    return prefix;
}

Work MakeKeys(int rowCount, const KeyFieldsAt& fieldsAt, const Interest& interest) {
    const auto count = static_cast<std::size_t>(rowCount);
    // Every name counted. Kept for the next walk, so that it reads only the rows it needs:
    // the hashes of each row's name and Property, its name's number (-1: none), and whether
    // either holds a '#' (and so may be a numbered key).
    struct Seen {
        std::uint64_t nameHash;
        std::uint64_t propertyHash;
        int name;
        bool hashMark;
    };
    std::vector<Seen> seen(count);
    NameCounter names(count);
    constexpr int kBlock = 16;  // hashes made, and their slots fetched, a block ahead
    std::string_view blockNames[kBlock];
    for (int start = 0; start < rowCount; start += kBlock) {
        const int end = std::min(rowCount, start + kBlock);
        for (int row = start; row < end; ++row) {
            const KeyFields fields = fieldsAt(row, false);
            Seen& at = seen[static_cast<std::size_t>(row)];
            at.nameHash = HashText(fields.name);
            at.propertyHash = HashText(fields.property);
            at.hashMark = fields.name.find('#') != std::string_view::npos ||
                          fields.property.find('#') != std::string_view::npos;
            blockNames[row - start] = fields.name;
            names.Prefetch(at.nameHash);
        }
        for (int row = start; row < end; ++row) {
            Seen& at = seen[static_cast<std::size_t>(row)];
            const std::string_view name = blockNames[row - start];
            at.name = name.empty() ? -1 : names.Add(name, at.nameHash);
        }
    }
    auto uniqueName = [&names](std::string_view name) {
        return !name.empty() && names.Count(name, HashText(name)) == 1;
    };

    // The rows looked at: those with a name of their own that matters, and the rows of the
    // groups of interest. A unique name is the row's key; the others wait in their group.
    Work work;
    TextMap<int> groupOf(interest.everything ? count : 1024);  // Property -> group
    std::vector<std::string_view> groupProperty;
    std::vector<std::vector<std::size_t>> members;  // indices into work
    for (int row = 0; row < rowCount; ++row) {
        const Seen& at = seen[static_cast<std::size_t>(row)];
        const bool named = at.name >= 0 && names.Count(at.name) == 1;
        if (!at.hashMark &&
            !(named ? interest.MayBeNamed(at.nameHash) : interest.MayBeGroup(at.propertyHash))) {
            continue;
        }
        const KeyFields fields = fieldsAt(row, true);
        if (named ? !interest.Named(fields.name, at.nameHash)
                  : !interest.Group(fields.property, at.propertyHash)) {
            continue;
        }
        const std::size_t index = work.rows.size();
        work.rows.push_back(row);
        work.fields.push_back(fields);
        work.keys.emplace_back();
        if (named) {
            work.keys[index].base = fields.name;
            continue;
        }
        bool added = false;
        int& group = groupOf.At(fields.property, at.propertyHash, &added);
        if (added) {
            group = static_cast<int>(groupProperty.size());
            groupProperty.push_back(fields.property);
            members.emplace_back();
        }
        members[static_cast<std::size_t>(group)].push_back(index);
    }

    // A Property alone in its group is the key, unless a unique name took it.
    for (std::size_t g = 0; g < members.size(); ++g) {
        const std::string_view property = groupProperty[g];
        if (members[g].size() == 1 && !property.empty() && !uniqueName(property)) {
            work.keys[members[g].front()].base = property;
        }
    }
    // "P#n" keys taken already, by unique names and by lone Properties: numbering skips them.
    // Numbers of two groups never meet ("P#n" = "Q#m" only for P = Q, n and m being digits).
    TextMap<std::vector<int>> taken(64);
    for (const Key& key : work.keys) {
        if (const Numbered numbered = SplitNumbered(key.base); numbered.number > 0) {
            taken.At(numbered.base, HashText(numbered.base)).push_back(numbered.number);
        }
    }
    // The other groups numbered by their rows' texts: compared by the first bytes of language
    // 1 where these differ, so that most comparisons touch no text.
    std::vector<std::pair<std::uint64_t, std::size_t>> order;
    for (std::size_t g = 0; g < members.size(); ++g) {
        if (work.keys[members[g].front()].Settled()) {
            continue;  // a lone Property
        }
        order.clear();
        for (const std::size_t i : members[g]) {
            order.emplace_back(OrderPrefix(work.fields[i].source), i);
        }
        std::sort(order.begin(), order.end(), [&work](const auto& a, const auto& b) {
            if (a.first != b.first) {
                return a.first < b.first;
            }
            if (SourceSideLess(work.fields[a.second], work.fields[b.second])) {
                return true;
            }
            return !SourceSideLess(work.fields[b.second], work.fields[a.second]) &&
                   a.second < b.second;
        });
        const std::string_view property = groupProperty[g];
        const std::vector<int>* skip = taken.Find(property, HashText(property));
        int number = 0;
        for (const auto& [prefix, i] : order) {
            do {
                ++number;
            } while (skip != nullptr &&
                     std::find(skip->begin(), skip->end(), number) != skip->end());
            work.keys[i] = {property, number};
        }
    }
    return work;
}

}  // namespace

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
    const Work work = MakeKeys(rowCount, fields, Interest{});
    std::vector<std::string> keys;
    keys.reserve(work.keys.size());
    for (const Key& key : work.keys) {
        keys.push_back(key.Text());
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

std::vector<std::string> KeysOfRows(int rowCount, const KeyFieldsAt& fields,
                                    const std::vector<int>& rows) {
    Interest interest;
    interest.everything = false;
    for (const int row : rows) {
        const KeyFields wanted = fields(row, false);
        interest.AddProperty(wanted.property);
        interest.AddName(wanted.name);
    }
    Work work = MakeKeys(rowCount, fields, interest);
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const int row : rows) {
        const auto at = std::lower_bound(work.rows.begin(), work.rows.end(), row);
        keys.push_back(work.keys[static_cast<std::size_t>(at - work.rows.begin())].Text());
    }
    return keys;
}

std::vector<int> RowsOfKeys(int rowCount, const KeyFieldsAt& fields,
                            const std::vector<std::string>& keys) {
    Interest interest;
    interest.everything = false;
    for (const std::string& key : keys) {
        interest.AddProperty(key);
        interest.AddName(key);
        if (const Numbered numbered = SplitNumbered(key); numbered.number > 0) {
            interest.AddProperty(numbered.base);
        }
    }
    const Work work = MakeKeys(rowCount, fields, interest);
    // The rows by key: a name or lone Property by its text, a numbered one by its base's text
    // and the number, so that no key of the many rows looked at is written out.
    TextMap<int> rowOfText(work.rows.size());
    TextMap<std::vector<std::pair<int, int>>> rowsOfBase(64);  // base -> (number, row)
    for (std::size_t i = 0; i < work.keys.size(); ++i) {
        const Key& key = work.keys[i];
        if (key.number > 0) {
            rowsOfBase.At(key.base, HashText(key.base)).emplace_back(key.number, work.rows[i]);
        } else if (!key.base.empty()) {
            rowOfText.At(key.base, HashText(key.base)) = work.rows[i];
        }
    }
    std::vector<int> rows;
    rows.reserve(keys.size());
    for (const std::string& key : keys) {
        int row = -1;
        if (const int* found = rowOfText.Find(key, HashText(key))) {
            row = *found;
        } else if (const Numbered numbered = SplitNumbered(key); numbered.number > 0) {
            if (const auto* numbers = rowsOfBase.Find(numbered.base, HashText(numbered.base))) {
                for (const auto& [number, numberedRow] : *numbers) {
                    row = number == numbered.number ? numberedRow : row;
                }
            }
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace parlix::review
