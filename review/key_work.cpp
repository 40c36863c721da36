#include "review/key_work.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "table/text.h"

namespace parlix::review::detail {

namespace {

// A row's name, read where a table of names keeps the row instead.
struct NameOf {
    const KeyFieldsAt& fieldsAt;
    std::string_view operator()(int row) const { return fieldsAt(row, false).name; }
};

// The first bytes of texts as numbers that order as the bytes do, with the texts' lengths up to
// one more than the bytes kept (a longer text is told apart from another only by its bytes).
namespace order_words {

constexpr int kUntold = 2;  // Compare: the bytes kept do not tell

// Keeps the first `count * 8` bytes of `text` in `words` (count up to 4); returns the length.
std::uint8_t Keep(std::string_view text, std::uint64_t* words, std::size_t count) {
    unsigned char bytes[32] = {};
    if (!text.empty()) {  // an empty view may have no data at all
        std::memcpy(bytes, text.data(), std::min(text.size(), count * 8));
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i * 8, 8);
        words[i] = std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
    }
    return static_cast<std::uint8_t>(std::min(text.size(), count * 8 + 1));
}

// -1, 0 or 1 as the texts order, or kUntold.
int Compare(const std::uint64_t* a, std::uint8_t aSize, const std::uint64_t* b, std::uint8_t bSize,
            std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    if (aSize > count * 8 || bSize > count * 8) {
        return kUntold;
    }
    // A shorter text with the same bytes is the first part of the longer one.
    return aSize == bSize ? 0 : aSize < bSize ? -1 : 1;
}

}  // namespace order_words

}  // namespace

// A row of a group, with what orders it in the group as far as it is kept beside it, taken
// while the walk reads the row: most comparisons of a group's rows read no text again.
struct Member {
    static constexpr std::size_t kSourceWords = 3;  // language 1
    static constexpr std::size_t kTypeWords = 2;

    int row = 0;
    int group = 0;
    std::uint64_t source[kSourceWords] = {};
    std::uint64_t type[kTypeWords] = {};
    std::uint8_t sourceSize = 0;
    std::uint8_t typeSize = 0;
    bool named = false;  // with a name that other rows have too

    Member() = default;
    Member(int of, int in, const KeyFields& fields)
        : row(of),
          group(in),
          sourceSize(order_words::Keep(fields.source, source, kSourceWords)),
          typeSize(order_words::Keep(fields.type, type, kTypeWords)),
          named(!fields.name.empty()) {}

    // Whether the row comes before another one of its group (SourceSideLess, then position);
    // `fieldsAt` reads the rows' texts where the bytes kept do not tell.
    bool Before(const Member& other, const KeyFieldsAt& fieldsAt) const {
        int order =
            order_words::Compare(source, sourceSize, other.source, other.sourceSize, kSourceWords);
        if (order == 0) {
            order = order_words::Compare(type, typeSize, other.type, other.typeSize, kTypeWords);
        }
        if (order == 0 && (named || other.named)) {
            order = named && other.named ? order_words::kUntold : named ? 1 : -1;
        }
        if (order == order_words::kUntold) {
            const KeyFields mine = fieldsAt(row, true);
            const KeyFields others = fieldsAt(other.row, true);
            order = SourceSideLess(mine, others) ? -1 : SourceSideLess(others, mine) ? 1 : 0;
        }
        return order != 0 ? order < 0 : row < other.row;
    }
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

Interest Interest::Everything() {
    Interest interest;
    interest.everything_ = true;
    return interest;
}

void Interest::Add(std::string_view property) {
    const std::uint64_t hash = HashText(property);
    properties_.At(property, hash);
    const std::uint64_t bit = hash >> 40;
    bits_[bit / 64 % bits_.size()] |= std::uint64_t{1} << (bit % 64);
}

bool Interest::Group(std::string_view property, std::uint64_t hash) const {
    if (everything_ || Listed(property, hash)) {
        return true;
    }
    const Numbered numbered = SplitNumbered(property);
    return numbered.number > 0 && Listed(numbered.base, HashText(numbered.base));
}

bool Interest::Listed(std::string_view property, std::uint64_t hash) const {
    const std::uint64_t bit = hash >> 40;
    return (bits_[bit / 64 % bits_.size()] & (std::uint64_t{1} << (bit % 64))) != 0 &&
           properties_.Find(property, hash) != nullptr;
}

std::string Key::Text() const {
    std::string text(base);
    if (number > 0) {
        text.append("#").append(std::to_string(number));
    }
    return text;
}

KeyWork::KeyWork(int rowCount, const KeyFieldsAt& fieldsAt, const Interest& interest,
                 const std::vector<int>* ranked)
    : fieldsAt_(fieldsAt),
      interest_(interest),
      keep_(ranked == nullptr),
      names_(static_cast<std::size_t>(rowCount)) {
    if (ranked != nullptr) {
        // Their groups first, so that the walk finds them (a row with a name of its own
        // counts nothing, and has a group only if other rows make one).
        for (const int row : *ranked) {
            const KeyFields fields = fieldsAt(row, true);
            const std::uint64_t hash = HashText(fields.property);
            bool added = false;
            int& group = groupOf_.At(fields.property, hash, &added);
            if (added) {
                group = GroupCount();
                properties_.push_back(fields.property);
                sizes_.push_back(0);
                rankedOf_.emplace_back();
            }
            rankedOf_[static_cast<std::size_t>(group)].push_back(ranked_.size());
            ranked_.emplace_back(row, group, fields);
        }
        before_.assign(ranked_.size(), 0);
    }
    if (keep_) {
        joined_.reserve(static_cast<std::size_t>(rowCount));
    }
    // The walk reads each row once and in order; the rows of a group are kept or counted as
    // it passes them, while the row is at hand.
    constexpr int kBlock = 16;  // hashes made, and their slots fetched, a block ahead
    KeyFields fields[kBlock];
    std::uint64_t hashes[kBlock] = {};
    std::vector<int> shared;  // rows whose name another row has too
    for (int start = 0; start < rowCount; start += kBlock) {
        const int end = std::min(rowCount, start + kBlock);
        for (int row = start; row < end; ++row) {
            KeyFields& at = fields[row - start];
            at = fieldsAt(row, false);
            if (!at.name.empty()) {
                hashes[row - start] = HashText(at.name);
                names_.Prefetch(hashes[row - start]);
            }
        }
        for (int row = start; row < end; ++row) {
            const KeyFields& at = fields[row - start];
            if (at.name.empty()) {
                Join(row, at.property);
                continue;
            }
            const int had = names_.Add(at.name, hashes[row - start], row, NameOf{fieldsAt});
            if (had >= 0) {
                shared.push_back(had);  // no longer alone with its name
            }
            if (had != NameRows::kNew) {
                shared.push_back(row);
            } else if (at.name.find('#') != std::string_view::npos) {
                hashNamed_.push_back(row);
            }
        }
    }
    for (const int row : shared) {
        Join(row, fieldsAt(row, false).property);
    }
    Settle();
}

KeyWork::~KeyWork() = default;

int KeyWork::UniqueRow(std::string_view name) const {
    return name.empty() ? -1 : names_.UniqueRow(name, HashText(name), NameOf{fieldsAt_});
}

int KeyWork::GroupOf(std::string_view property) const {
    const int* group = groupOf_.Find(property, HashText(property));
    return group != nullptr ? *group : -1;
}

int KeyWork::FirstRow(int group) const {
    return members_[start_[static_cast<std::size_t>(group)]].row;
}

// A row without a name of its own joins the group of its Property, if that is of interest.
void KeyWork::Join(int row, std::string_view property) {
    const std::uint64_t hash = HashText(property);
    const int* known = groupOf_.Find(property, hash);
    if (known == nullptr && !interest_.Group(property, hash)) {
        return;
    }
    const int group = known != nullptr ? *known : GroupCount();
    const auto g = static_cast<std::size_t>(group);
    if (known == nullptr) {
        groupOf_.At(property, hash) = group;
        properties_.push_back(property);
        sizes_.push_back(0);
    }
    ++sizes_[g];
    if (keep_) {
        joined_.emplace_back(row, group, fieldsAt_(row, true));
    } else if (g < rankedOf_.size() && !rankedOf_[g].empty()) {
        const Member member(row, group, fieldsAt_(row, true));
        for (const std::size_t i : rankedOf_[g]) {
            before_[i] += member.Before(ranked_[i], fieldsAt_) ? 1 : 0;
        }
    }
}

// The kept rows of each group together, the lone Properties, and the numbers these and the
// unique names of the form "P#n" take from the numbering of P.
void KeyWork::Settle() {
    const std::size_t groups = properties_.size();
    if (keep_) {
        start_.assign(groups + 1, 0);
        for (std::size_t g = 0; g < groups; ++g) {
            start_[g + 1] = start_[g] + static_cast<std::size_t>(sizes_[g]);
        }
        members_.resize(joined_.size());
        std::vector<std::size_t> next(start_.begin(), start_.end() - 1);
        for (const Member& member : joined_) {
            members_[next[static_cast<std::size_t>(member.group)]++] = member;
        }
        joined_ = {};
    }
    lone_.assign(groups, false);
    for (std::size_t g = 0; g < groups; ++g) {
        lone_[g] = sizes_[g] == 1 && !properties_[g].empty() && UniqueRow(properties_[g]) < 0;
    }
    // Numbers of two groups never meet ("P#n" = "Q#m" only for P = Q).
    auto take = [this](std::string_view key) {
        if (const Numbered numbered = SplitNumbered(key); numbered.number > 0) {
            taken_.At(numbered.base, HashText(numbered.base)).push_back(numbered.number);
        }
    };
    for (const int row : hashNamed_) {
        const std::string_view name = fieldsAt_(row, false).name;
        if (UniqueRow(name) == row) {
            take(name);
        }
    }
    for (std::size_t g = 0; g < groups; ++g) {
        if (lone_[g]) {
            take(properties_[g]);
        }
    }
    for (const std::string_view property : properties_) {
        if (std::vector<int>* numbers = taken_.Find(property, HashText(property))) {
            std::sort(numbers->begin(), numbers->end());
            numbers->erase(std::unique(numbers->begin(), numbers->end()), numbers->end());
        }
    }
}

const std::vector<int>* KeyWork::Taken(std::size_t group) const {
    const std::string_view property = properties_[group];
    return taken_.Find(property, HashText(property));
}

int KeyWork::NumberAfter(int before, const std::vector<int>* taken) {
    int number = before + 1;
    if (taken != nullptr) {
        for (const int held : *taken) {
            number += held <= number ? 1 : 0;
        }
    }
    return number;
}

void KeyWork::Number(int group, const std::function<void(int row, const Key& key)>& visit) {
    const auto g = static_cast<std::size_t>(group);
    const std::string_view property = properties_[g];
    if (lone_[g]) {
        visit(FirstRow(group), Key{property, 0});
        return;
    }
    const auto first = members_.begin() + static_cast<std::ptrdiff_t>(start_[g]);
    const auto last = members_.begin() + static_cast<std::ptrdiff_t>(start_[g + 1]);
    std::sort(first, last,
              [this](const Member& a, const Member& b) { return a.Before(b, fieldsAt_); });
    const std::vector<int>* taken = Taken(g);
    int before = 0;
    for (auto member = first; member != last; ++member) {
        visit(member->row, Key{property, NumberAfter(before++, taken)});
    }
}

Key KeyWork::KeyOfRanked(std::size_t i) const {
    const auto g = static_cast<std::size_t>(ranked_[i].group);
    if (lone_[g]) {
        return {properties_[g], 0};
    }
    return {properties_[g], NumberAfter(before_[i], Taken(g))};
}

}  // namespace parlix::review::detail
