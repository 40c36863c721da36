// The work behind the row keys (row_keys.h). One walk over the table counts the names: a name
// that one row has alone is that row's key. The other rows fall into groups by Property, which
// are worked out for the Properties of interest only, so that a few keys of a large table cost
// little more than that walk.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "review/row_keys.h"
#include "review/text_tables.h"

namespace parlix::review::detail {

// A key of the form "P#n", n written as keys write numbers (1 to 999999999, no leading zero).
struct Numbered {
    std::string_view base;
    int number = 0;  // 0: not of that form
};
Numbered SplitNumbered(std::string_view key);

// The Properties whose groups are worked out: all, or some, with the groups that could take a
// number from theirs: a Property "P#n" alone in its group is that row's key, and the group of
// P numbers its rows around it.
class Interest {
  public:
    static Interest Everything();

    bool All() const { return everything_; }
    // The text must outlive the interest.
    void Add(std::string_view property);
    // Whether the group of this Property (and its hash, HashText) is worked out.
    bool Group(std::string_view property, std::uint64_t hash) const;

  private:
    bool Listed(std::string_view property, std::uint64_t hash) const;

    bool everything_ = false;
    TextMap<char> properties_{64};
    std::vector<std::uint64_t> bits_ = std::vector<std::uint64_t>(1 << 12);  // a quick no
};

// A key as it is worked out: a name or Property (a view into the table), with a number for a
// numbered Property.
struct Key {
    std::string_view base;
    int number = 0;
    std::string Text() const;
};

struct Member;  // a row of a group, with what orders it in the group

class KeyWork {
  public:
    // Walks the table. The rows of the groups of interest are kept, to be numbered (Number),
    // unless `ranked` rows are given: then only their places in their groups are counted as
    // the walk passes the other rows (KeyOfRanked), which keeps no row and sorts none.
    KeyWork(int rowCount, const KeyFieldsAt& fieldsAt, const Interest& interest,
            const std::vector<int>* ranked = nullptr);
    KeyWork(const KeyWork&) = delete;
    KeyWork& operator=(const KeyWork&) = delete;
    ~KeyWork();

    // The one row that has this name, whose key it is; -1 when none or several have it.
    int UniqueRow(std::string_view name) const;

    int GroupCount() const { return static_cast<int>(properties_.size()); }
    // The group of a Property of interest; -1 when no group has it.
    int GroupOf(std::string_view property) const;
    // Whether the group's one row has the Property as its key.
    bool Lone(int group) const { return lone_[static_cast<std::size_t>(group)]; }
    // The first row of a group whose rows are kept.
    int FirstRow(int group) const;

    // Gives the key of every row of a group whose rows are kept to `visit(row, key)`: the lone
    // Property, or the Property numbered by the rows' texts.
    void Number(int group, const std::function<void(int row, const Key& key)>& visit);

    // The key of the ranked row `rows[i]`, which has no name of its own.
    Key KeyOfRanked(std::size_t i) const;

  private:
    void Join(int row, std::string_view property);
    void Settle();
    // The numbers taken in the group's numbering, ascending (null: none).
    const std::vector<int>* Taken(std::size_t group) const;
    // The number of the row that has `before` rows before it in its group.
    static int NumberAfter(int before, const std::vector<int>* taken);

    const KeyFieldsAt& fieldsAt_;
    const Interest& interest_;
    const bool keep_;  // the rows of the groups, else only the ranked rows' places
    NameRows names_;
    std::vector<int> hashNamed_;  // rows whose name holds '#' (a numbered key perhaps)
    // The groups of interest: Property, rows (members_[start_[g]] to before start_[g + 1]).
    TextMap<int> groupOf_{1024};
    std::vector<std::string_view> properties_;
    std::vector<int> sizes_;
    std::vector<Member> joined_;  // in the order they joined, until Settle
    std::vector<std::size_t> start_;
    std::vector<Member> members_;
    std::vector<bool> lone_;
    // The numbers of each base that unique names and lone Properties "P#n" hold, ascending.
    TextMap<std::vector<int>> taken_{64};
    // The ranked rows, the groups of which rank them, and how many rows come before each.
    std::vector<Member> ranked_;
    std::vector<std::vector<std::size_t>> rankedOf_;
    std::vector<int> before_;
};

}  // namespace parlix::review::detail
