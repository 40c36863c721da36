// Flat tables of texts for the keys of a large table: a map from texts to values and a counter
// of names. Views into the table, found by a hash: no node per entry, and a table of a million
// rows fits in a few small tables.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>
#include <vector>

#include "table/page_memory.h"

namespace parlix::review::detail {

// Texts (views that outlive the map) with a value each, found by their hash: open addressing
// over a power of two, at most half full. A table of a million rows makes several of these,
// and the standard map's node per entry would cost more than the rest of the work.
template <typename Value>
class TextMap {
  public:
    explicit TextMap(std::size_t expected)
        : slots_(std::bit_ceil(std::max<std::size_t>(expected * 2, 16))) {}

    // The value of `text`; a new one is value-initialised, and `added` says so.
    Value& At(std::string_view text, std::uint64_t hash, bool* added = nullptr) {
        if ((count_ + 1) * 2 > slots_.size()) {
            Grow();
        }
        Slot& slot = slots_[Place(text, hash)];
        if (added != nullptr) {
            *added = !slot.used;
        }
        if (!slot.used) {
            slot = {hash, text, Value{}, true};
            ++count_;
        }
        return slot.value;
    }

    const Value* Find(std::string_view text, std::uint64_t hash) const {
        const Slot& slot = slots_[Place(text, hash)];
        return slot.used ? &slot.value : nullptr;
    }

    void Prefetch(std::uint64_t hash) const {
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }

  private:
    struct Slot {
        std::uint64_t hash = 0;
        std::string_view text;
        Value value{};
        bool used = false;
    };

    // Where `text` is, or the empty slot where it would go.
    std::size_t Place(std::string_view text, std::uint64_t hash) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot& slot = slots_[at];
            if (!slot.used || (slot.hash == hash && slot.text == text)) {
                return at;
            }
        }
    }

    void Grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (Slot& slot : old) {
            if (slot.used) {
                slots_[Place(slot.text, slot.hash)] = std::move(slot);
            }
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// How many rows have each name: a slot of eight bytes per name (a tag of its hash and the
// name's number), in huge pages where the system offers them, so that counting the names of a
// million rows stays in a small table that lookups find quickly.
class NameCounter {
  public:
    explicit NameCounter(std::size_t expected) {
        Allocate(std::bit_ceil(std::max<std::size_t>(expected * 2, 16)));
        names_.reserve(expected);
    }

    void Prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }

    // Counts a name; returns its number.
    int Add(std::string_view name, std::uint64_t hash) {
        if ((names_.size() + 1) * 2 > mask_ + 1) {
            Grow();
        }
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.number == 0) {
                names_.push_back({name, hash, 1});
                slot = {tag, static_cast<std::uint32_t>(names_.size())};
                return static_cast<int>(names_.size() - 1);
            }
            Name& known = names_[slot.number - 1];
            if (slot.tag == tag && known.text == name) {
                ++known.count;
                return static_cast<int>(slot.number - 1);
            }
        }
    }

    int Count(int number) const { return names_[static_cast<std::size_t>(number)].count; }

    // How many rows have this name (0: none).
    int Count(std::string_view name, std::uint64_t hash) const {
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.number == 0) {
                return 0;
            }
            const Name& known = names_[slot.number - 1];
            if (slot.tag == tag && known.text == name) {
                return known.count;
            }
        }
    }

  private:
    struct Slot {
        std::uint32_t tag;
        std::uint32_t number;  // 0: empty; else the name's number plus 1
    };
    struct Name {
        std::string_view text;
        std::uint64_t hash;
        int count;
    };

    void Allocate(std::size_t slots) {
        memory_ = parlix::detail::AllocateZeroedTable(slots * sizeof(Slot));
        slots_ = reinterpret_cast<Slot*>(memory_.get());
        mask_ = slots - 1;
    }

    void Grow() {
        Allocate((mask_ + 1) * 2);
        for (std::size_t number = 0; number < names_.size(); ++number) {
            const std::uint64_t hash = names_[number].hash;
            std::size_t at = hash & mask_;
            while (slots_[at].number != 0) {
                at = (at + 1) & mask_;
            }
            slots_[at] = {static_cast<std::uint32_t>(hash >> 32),
                          static_cast<std::uint32_t>(number + 1)};
        }
    }

    parlix::detail::PageMemory memory_;
    Slot* slots_ = nullptr;
    std::size_t mask_ = 0;
    std::vector<Name> names_;
};

}  // namespace parlix::review::detail
