// Flat tables of texts for the keys of a large table: a map from texts to values and the rows
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
    Value* Find(std::string_view text, std::uint64_t hash) {
        Slot& slot = slots_[Place(text, hash)];
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

// The rows of names: for each name the first row that has it, and whether another row has it
// too. A slot of eight bytes per name (a tag of its hash and the row), in huge pages where the
// system offers them, so that the names of a million rows fit a small table that lookups find
// quickly. The names stay in the rows; `nameOf(row)` reads a row's name where a tag matches.
class NameRows {
  public:
    static constexpr int kNew = -1;     // Add: no row had the name
    static constexpr int kShared = -2;  // Add: two rows or more had it already

    // Room for the names of `rows` rows.
    explicit NameRows(std::size_t rows) {
        const std::size_t slots = std::bit_ceil(std::max<std::size_t>(rows * 2, 16));
        memory_ = parlix::detail::AllocateZeroedTable(slots * sizeof(Slot));
        slots_ = reinterpret_cast<Slot*>(memory_.get());
        mask_ = slots - 1;
    }

    void Prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & mask_]); }

    // Adds the name of `row`: kNew, kShared, or the one row that had it until now.
    template <typename NameOf>
    int Add(std::string_view name, std::uint64_t hash, int row, const NameOf& nameOf) {
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            Slot& slot = slots_[at];
            if (slot.row == 0) {
                slot = {tag, static_cast<std::uint32_t>(row) + 1};
                return kNew;
            }
            if (slot.tag == tag && nameOf(slot.Row()) == name) {
                if ((slot.row & kSharedBit) != 0) {
                    return kShared;
                }
                slot.row |= kSharedBit;
                return slot.Row();
            }
        }
    }

    // The one row that has this name; -1 when none or several have it.
    template <typename NameOf>
    int UniqueRow(std::string_view name, std::uint64_t hash, const NameOf& nameOf) const {
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.row == 0) {
                return -1;
            }
            if (slot.tag == tag && nameOf(slot.Row()) == name) {
                return (slot.row & kSharedBit) != 0 ? -1 : slot.Row();
            }
        }
    }

  private:
    static constexpr std::uint32_t kSharedBit = std::uint32_t{1} << 31;
    struct Slot {
        std::uint32_t tag;
        std::uint32_t row;  // 0: empty; else the first row plus 1, and kSharedBit
        int Row() const { return static_cast<int>((row & ~kSharedBit) - 1); }
    };

    parlix::detail::PageMemory memory_;
    Slot* slots_ = nullptr;
    std::size_t mask_ = 0;
};

}  // namespace parlix::review::detail
