#include "check/first_seen.h"

#include <cstring>

namespace parlix::check {

std::uint64_t FirstSeen::Hash(std::string_view key) {
    // Eight bytes at a time, each step multiplied and folded; then MurmurHash3's finalizer,
    // so that the low bits, which pick the slot, depend on every byte.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;
    std::uint64_t hash = 0x2545F4914F6CDD1Du ^ key.size();
    std::size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, key.data() + i, 8);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 32;
    }
    std::uint64_t tail = 0;
    for (std::size_t k = key.size(); k > i; --k) {
        tail = tail << 8 | static_cast<unsigned char>(key[k - 1]);
    }
    hash = (hash ^ tail) * kMultiplier;
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53u;
    return hash ^ (hash >> 33);
}

std::size_t FirstSeen::Slot(std::string_view key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const Slot_& probe = slots_[slot];
        if (probe.number == 0) {
            return slot;
        }
        if (probe.tag == tag) {
            const Stored& stored = entries_[probe.number - 1];
            if (stored.length == key.size() &&
                std::memcmp(keys_.data() + stored.offset, key.data(), key.size()) == 0) {
                return slot;
            }
        }
    }
}

void FirstSeen::Grow() {
    slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, Slot_{});
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t number = 0; number < entries_.size(); ++number) {
        const std::uint64_t hash = entries_[number].hash;
        std::size_t slot = hash & mask;
        while (slots_[slot].number != 0) {
            slot = (slot + 1) & mask;
        }
        slots_[slot] = {static_cast<std::uint32_t>(hash >> 32),
                        static_cast<std::uint32_t>(number + 1)};
    }
}

FirstSeen::Entry FirstSeen::Add(std::string_view key, std::uint64_t hash, int row, int extra,
                                bool& isNew) {
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        Grow();
    }
    Slot_& slot = slots_[Slot(key, hash)];
    isNew = slot.number == 0;
    if (!isNew) {
        return entries_[slot.number - 1].entry;
    }
    entries_.push_back({{row, extra, static_cast<int>(entries_.size())},
                        hash,
                        static_cast<std::uint32_t>(keys_.size()),
                        static_cast<std::uint32_t>(key.size())});
    keys_.append(key);
    slot = {static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(entries_.size())};
    return entries_.back().entry;
}

const FirstSeen::Entry* FirstSeen::Find(std::string_view key) const {
    if (slots_.empty()) {
        return nullptr;
    }
    const std::uint32_t number = slots_[Slot(key, Hash(key))].number;
    return number == 0 ? nullptr : &entries_[number - 1].entry;
}

std::string_view FirstSeen::Key(int number) const {
    const Stored& stored = entries_[static_cast<std::size_t>(number)];
    return std::string_view(keys_).substr(stored.offset, stored.length);
}

}  // namespace parlix::check
