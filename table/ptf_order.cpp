// PtfTable's ordering by IndexFieldNames: comparing, sorting and merging records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "table/page_memory.h"
#include "table/ptf_records.h"

namespace parlix {

using detail::StoresText;
using detail::ValueView;

namespace {

int CompareViews(const ValueView& a, const ValueView& b, FieldType type) {
    if (a.isNull || b.isNull) {
        return static_cast<int>(b.isNull) - static_cast<int>(a.isNull);
    }
    if (StoresText(type)) {
        int c = a.text.compare(b.text);  // bytewise: char_traits<char> compares as unsigned
        return (c > 0) - (c < 0);
    }
    if (type == FieldType::ftFloat) {
        return (a.number > b.number) - (a.number < b.number);
    }
    return (a.integer > b.integer) - (a.integer < b.integer);
}

}  // namespace

void PtfTable::ResolveIndexColumn() {
    indexColumn_ = indexFieldNames_.empty() ? -1 : FieldIndex(indexFieldNames_);
}

bool PtfTable::InOrder(const Record& a, const Record& b) const {
    if (indexColumn_ >= 0) {
        const FieldType type = fields_[static_cast<std::size_t>(indexColumn_)].type;
        int c = CompareViews(a.View(indexColumn_), b.View(indexColumn_), type);
        if (c != 0) {
            return c < 0;
        }
    }
    return a.Sequence() < b.Sequence();
}

// A record's text key, eight bytes at a time, for sorting many records by a text column
// without visiting two records for every comparison.
struct PtfTable::KeyEntry {
    std::uint64_t chunk;  // key bytes [depth, depth + 8) as a number, missing bytes as zero
    PtfTable::Record* record;
    std::uint64_t sequence;  // the record's, kept here to order equal keys without visiting it
    const char* key;         // the key's bytes: in the record, later in a copy of all keys
    std::uint32_t length;
    std::uint8_t rest;  // key bytes from depth on, 9 meaning more than eight
    bool isNull;
};

namespace {

using KeyEntry = PtfTable::KeyEntry;

// Orders like the texts do: bytes compared unsigned, a text before any longer one it begins.
constexpr auto kChunkLess = [](const KeyEntry& a, const KeyEntry& b) {
    if (a.isNull != b.isNull) {
        return a.isNull;
    }
    if (a.chunk != b.chunk) {
        return a.chunk < b.chunk;
    }
    return a.rest < b.rest;
};

// Sets the entry's chunk to its key bytes [depth, depth + 8).
void SetChunk(KeyEntry& entry, std::size_t depth) {
    const std::size_t left = entry.length > depth ? entry.length - depth : 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(entry.key) + depth;
    std::uint64_t chunk = 0;
    if (left >= 8) {
        std::memcpy(&chunk, bytes, 8);
        chunk = __builtin_bswap64(chunk);  // the first byte counts most
    } else {
        for (std::size_t i = 0; i < left; ++i) {
            chunk |= std::uint64_t{bytes[i]} << (56 - 8 * i);
        }
    }
    entry.chunk = chunk;
    entry.rest = static_cast<std::uint8_t>(std::min<std::size_t>(left, 9));
}

// One entry's sort key and place, for a radix sort that moves 16 bytes per entry, not 40.
struct SortProxy {
    std::uint64_t chunk;
    std::uint32_t order;  // 0 for null, else 1 + rest: null first, a shorter text first
    std::uint32_t index;
};

// Sorts entries as kChunkLess does (entries with equal keys in any order), byte by byte from
// the least significant: a pass whose byte is the same for all entries is skipped.
void RadixSortByChunk(KeyEntry* first, KeyEntry* last) {
    const std::size_t count = static_cast<std::size_t>(last - first);
    std::unique_ptr<SortProxy[]> from(new SortProxy[count]);  // not initialised: all written
    std::unique_ptr<SortProxy[]> to(new SortProxy[count]);
    // Pass 0 orders by `order`, passes 1 to 8 by the chunk's bytes, lowest first.
    std::vector<std::uint32_t> counts(9 * 256, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const KeyEntry& entry = first[i];
        const std::uint32_t order = entry.isNull ? 0u : 1u + entry.rest;
        from[i] = {entry.chunk, order, static_cast<std::uint32_t>(i)};
        ++counts[order];
        for (unsigned byte = 0; byte < 8; ++byte) {
            ++counts[(1 + byte) * 256 + ((entry.chunk >> (8 * byte)) & 0xFF)];
        }
    }
    for (unsigned pass = 0; pass < 9; ++pass) {
        std::uint32_t* const slots = counts.data() + pass * 256;
        if (std::find(slots, slots + 256, static_cast<std::uint32_t>(count)) != slots + 256) {
            continue;  // every entry has the same byte here
        }
        std::uint32_t start = 0;
        for (unsigned b = 0; b < 256; ++b) {
            const std::uint32_t n = slots[b];
            slots[b] = start;
            start += n;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const SortProxy& proxy = from[i];
            const unsigned b = pass == 0 ? proxy.order : (proxy.chunk >> (8 * (pass - 1))) & 0xFF;
            to[slots[b]++] = proxy;
        }
        from.swap(to);
    }
    std::unique_ptr<KeyEntry[]> sorted(new KeyEntry[count]);
    for (std::size_t i = 0; i < count; ++i) {
        sorted[i] = first[from[i].index];
    }
    std::copy(sorted.get(), sorted.get() + count, first);
}

// Below this many entries a comparison sort is quicker than the radix passes.
constexpr std::ptrdiff_t kRadixFrom = 64;

void SortGroupByChunk(KeyEntry* first, KeyEntry* last) {
    if (last - first < kRadixFrom) {
        std::sort(first, last, kChunkLess);
    } else {
        RadixSortByChunk(first, last);
    }
}

std::size_t Bucket(const KeyEntry& entry) {
    return static_cast<std::size_t>((entry.isNull ? 0 : 1) + (entry.chunk >> 56));
}

// Puts the entries [first, last) into `to` sorted by chunk. They are distributed by their
// chunk's top byte first, so that each part is sorted within the processor's caches rather
// than across the whole array.
void SortByChunkInto(const KeyEntry* first, const KeyEntry* last, KeyEntry* to) {
    std::vector<std::size_t> starts(258, 0);
    for (const KeyEntry* entry = first; entry != last; ++entry) {
        ++starts[Bucket(*entry) + 1];
    }
    for (std::size_t b = 1; b < starts.size(); ++b) {
        starts[b] += starts[b - 1];
    }
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    for (const KeyEntry* entry = first; entry != last; ++entry) {
        to[next[Bucket(*entry)]++] = *entry;
    }
    for (std::size_t b = 0; b + 1 < starts.size(); ++b) {
        SortGroupByChunk(to + starts[b], to + starts[b + 1]);
    }
}

constexpr std::size_t kDistributeFrom = std::size_t{1} << 16;

void SortByChunk(KeyEntry* first, KeyEntry* last) {
    const std::size_t count = static_cast<std::size_t>(last - first);
    if (count < kDistributeFrom) {
        SortGroupByChunk(first, last);
        return;
    }
    std::unique_ptr<KeyEntry[]> sorted(new KeyEntry[count]);
    SortByChunkInto(first, last, sorted.get());
    std::copy(sorted.get(), sorted.get() + count, first);
}

bool SameChunk(const KeyEntry& a, const KeyEntry& b) {
    return a.isNull == b.isNull && a.chunk == b.chunk && a.rest == b.rest;
}

void SortByTextKey(KeyEntry* first, KeyEntry* last, std::size_t depth);

// Entries sorted by their chunk at `depth`: sorts each run of equal chunks by the bytes after
// them, and equal keys by sequence.
void SortRuns(KeyEntry* first, KeyEntry* last, std::size_t depth) {
    for (KeyEntry* run = first; run != last;) {
        KeyEntry* runEnd = run + 1;
        while (runEnd != last && SameChunk(*run, *runEnd)) {
            ++runEnd;
        }
        if (runEnd - run > 1) {
            if (run->rest == 9 && !run->isNull) {
                SortByTextKey(run, runEnd, depth + 8);
            } else {  // equal keys
                std::sort(run, runEnd, [](const KeyEntry& a, const KeyEntry& b) {
                    return a.sequence < b.sequence;
                });
            }
        }
        run = runEnd;
    }
}

// Sorts entries whose keys agree on their first `depth` bytes.
void SortByTextKey(KeyEntry* first, KeyEntry* last, std::size_t depth) {
    for (KeyEntry* entry = first; entry != last; ++entry) {
        SetChunk(*entry, depth);
    }
    SortByChunk(first, last);
    SortRuns(first, last, depth);
}

}  // namespace

void PtfTable::SortRecords(std::vector<Record*>::iterator first,
                           std::vector<Record*>::iterator last) const {
    const bool textKey =
        indexColumn_ >= 0 &&
        fields_[static_cast<std::size_t>(indexColumn_)].type == FieldType::ftString;
    if (!textKey || last - first < 64) {
        // Keys tie-break on the sequence, so the order is strict and total.
        std::sort(first, last,
                  [this](const Record* a, const Record* b) { return InOrder(*a, *b); });
        return;
    }
    // Every record is visited once, in the order the records lie in memory, for its first
    // eight key bytes. The big arrays come straight from the system, without a page fault each.
    const std::size_t count = static_cast<std::size_t>(last - first);
    detail::PageMemory built = detail::AllocatePages(count * sizeof(KeyEntry), true);
    KeyEntry* const entries = reinterpret_cast<KeyEntry*>(built.get());
    std::uninitialized_default_construct_n(entries, count);
    std::size_t keyBytes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const Record* record = first[static_cast<std::ptrdiff_t>(i)];
        const std::string_view key = record->Bytes(indexColumn_);
        entries[i] = {0,
                      first[static_cast<std::ptrdiff_t>(i)],
                      record->Sequence(),
                      key.data(),
                      static_cast<std::uint32_t>(key.size()),
                      0,
                      record->IsNull(indexColumn_)};
        SetChunk(entries[i], 0);
        keyBytes += key.size();
    }
    const detail::PageMemory sorted = detail::AllocatePages(count * sizeof(KeyEntry), true);
    KeyEntry* const ordered = reinterpret_cast<KeyEntry*>(sorted.get());
    std::uninitialized_default_construct_n(ordered, count);
    SortByChunkInto(entries, entries + count, ordered);
    built.reset();
    // The deeper bytes are needed run by run: a copy of the keys in this order keeps the keys
    // of one run side by side, instead of spread over all records.
    const detail::PageMemory keys = detail::AllocatePages(keyBytes, true);
    char* to = keys.get();
    constexpr std::size_t kAhead = 16;  // keys asked for early, so that their loads overlap
    for (std::size_t i = 0; i < count; ++i) {
        if (i + kAhead < count) {
            __builtin_prefetch(ordered[i + kAhead].key);
        }
        std::memcpy(to, ordered[i].key, ordered[i].length);
        ordered[i].key = to;
        to += ordered[i].length;
    }
    SortRuns(ordered, ordered + count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        *first++ = ordered[i].record;
    }
}

void PtfTable::OrderPendingRecords() const {
    const Record* current = pos_ >= 0 && static_cast<std::size_t>(pos_) < rows_.size()
                                ? rows_[static_cast<std::size_t>(pos_)]
                                : nullptr;
    auto middle = rows_.begin() + static_cast<std::ptrdiff_t>(sortedCount_);
    if (sortedCount_ < rows_.size() - sortedCount_) {
        SortRecords(rows_.begin(), rows_.end());  // mostly new records: sort them all at once
    } else {
        SortRecords(middle, rows_.end());
        std::inplace_merge(rows_.begin(), middle, rows_.end(),
                           [this](const Record* a, const Record* b) { return InOrder(*a, *b); });
    }
    sortedCount_ = rows_.size();
    if (current != nullptr) {
        auto it =
            std::lower_bound(rows_.begin(), rows_.end(), current,
                             [this](const Record* a, const Record* b) { return InOrder(*a, *b); });
        pos_ = static_cast<int>(it - rows_.begin());
    }
}

void PtfTable::SetIndexFieldNames(std::string name) {
    if (IsActive()) {
        CheckBrowseMode();
    }
    indexFieldNames_ = std::move(name);
    ResolveIndexColumn();
    sortedCount_ = 0;  // everything is re-ordered on the next read
    if (IsActive()) {
        EnsureOrdered();
        Notify(TableChange::DataSet);
    }
}

}  // namespace parlix
