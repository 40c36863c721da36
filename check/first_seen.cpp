#include "check/first_seen.h"

#include <cstring>

namespace parlix::check {

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
