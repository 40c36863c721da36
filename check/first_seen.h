// The first record of every key seen in a walk: which name, path or letter came before.
// A flat table (keys in one buffer, open addressing over a power of two), since the checks
// look up several keys for each of up to a million records.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table/text.h"

namespace parlix::check {

class FirstSeen {
  public:
    struct Entry {
        int row;     // the record that brought the key first
        int extra;   // what that record stored with it
        int number;  // keys are numbered from 0 in the order they were added
    };

    static std::uint64_t Hash(std::string_view key);

    // Room for this many keys of this many bytes in all, so that a walk that expects many
    // keys does not copy them again and again as it grows. Memory not filled costs nothing.
    void Reserve(std::size_t keys, std::size_t bytes) {
        entries_.reserve(keys);
        keys_.reserve(bytes);
    }

    // The entry of `key` (whose Hash is `hash`): the existing one, or a new one holding
    // `row` and `extra`, with `isNew` telling which.
    Entry Add(std::string_view key, std::uint64_t hash, int row, int extra, bool& isNew);
    Entry Add(std::string_view key, int row, int extra, bool& isNew) {
        return Add(key, Hash(key), row, extra, isNew);
    }

    // Asks the processor to fetch the slot of `hash` ahead of its Add: a walk that prepares
    // a batch of keys first waits for memory once for the batch, not once for every key.
    void Prefetch(std::uint64_t hash) const {
        if (!slots_.empty()) {
            __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
        }
    }

    // The entry of `key`, or null.
    const Entry* Find(std::string_view key) const;

    int Count() const { return static_cast<int>(entries_.size()); }
    std::string_view Key(int number) const;

  private:
    struct Stored {
        Entry entry;
        std::uint64_t hash;
        std::uint32_t offset;
        std::uint32_t length;
    };
    // The slot where `key` is, or the empty slot where it would go.
    std::size_t Slot(std::string_view key, std::uint64_t hash) const;
    void Grow();

    std::vector<Stored> entries_;
    struct Slot_ {
        std::uint32_t tag = 0;     // the hash's upper half
        std::uint32_t number = 0;  // 0: empty; else the entry's number plus 1
    };
    std::vector<Slot_> slots_;
    std::string keys_;
};

inline std::uint64_t FirstSeen::Hash(std::string_view key) {
    return HashText(key);
}

}  // namespace parlix::check
