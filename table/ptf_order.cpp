// PtfTable's ordering by IndexFieldNames: comparing, sorting and merging records.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

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
    std::uint8_t rest;       // key bytes from depth on, 9 meaning more than eight
    bool isNull;
};

namespace {

using KeyEntry = PtfTable::KeyEntry;

// Orders like the texts do: bytes compared unsigned, a text before any longer one it begins.
bool ChunkLess(const KeyEntry& a, const KeyEntry& b) {
    if (a.isNull != b.isNull) {
        return a.isNull;
    }
    if (a.chunk != b.chunk) {
        return a.chunk < b.chunk;
    }
    return a.rest < b.rest;
}

// Sorts by chunk. Many entries are first distributed by their chunk's top byte, so that each
// part is sorted within the processor's caches rather than across the whole array.
void SortByChunk(KeyEntry* first, KeyEntry* last) {
    const std::size_t count = static_cast<std::size_t>(last - first);
    if (count < (std::size_t{1} << 16)) {
        std::sort(first, last, ChunkLess);
        return;
    }
    auto bucket = [](const KeyEntry& entry) {
        return static_cast<std::size_t>((entry.isNull ? 0 : 1) + (entry.chunk >> 56));
    };
    std::vector<std::size_t> starts(258, 0);
    for (const KeyEntry* entry = first; entry != last; ++entry) {
        ++starts[bucket(*entry) + 1];
    }
    for (std::size_t b = 1; b < starts.size(); ++b) {
        starts[b] += starts[b - 1];
    }
    std::vector<KeyEntry> sorted(count);
    std::vector<std::size_t> next(starts.begin(), starts.end() - 1);
    for (const KeyEntry* entry = first; entry != last; ++entry) {
        sorted[next[bucket(*entry)]++] = *entry;
    }
    for (std::size_t b = 0; b + 1 < starts.size(); ++b) {
        std::sort(sorted.data() + starts[b], sorted.data() + starts[b + 1], ChunkLess);
    }
    std::copy(sorted.begin(), sorted.end(), first);
}

bool SameChunk(const KeyEntry& a, const KeyEntry& b) {
    return a.isNull == b.isNull && a.chunk == b.chunk && a.rest == b.rest;
}

}  // namespace

// Sorts entries whose keys agree on their first `depth` bytes: by the next eight bytes, then
// each run that agrees on those too by the bytes after them; equal keys by sequence.
void PtfTable::SortByTextKey(KeyEntry* first, KeyEntry* last, std::size_t depth) const {
    for (KeyEntry* entry = first; entry != last; ++entry) {
        const std::string_view key = entry->record->Bytes(indexColumn_);
        const std::string_view part = key.size() > depth ? key.substr(depth) : std::string_view{};
        std::uint64_t chunk = 0;
        for (std::size_t i = 0; i < 8; ++i) {
            chunk = (chunk << 8) | (i < part.size() ? static_cast<unsigned char>(part[i]) : 0u);
        }
        entry->chunk = chunk;
        entry->rest = static_cast<std::uint8_t>(std::min<std::size_t>(part.size(), 9));
    }
    SortByChunk(first, last);
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
    std::vector<KeyEntry> entries;
    entries.reserve(static_cast<std::size_t>(last - first));
    for (auto it = first; it != last; ++it) {
        entries.push_back({0, *it, (*it)->Sequence(), 0, (*it)->IsNull(indexColumn_)});
    }
    SortByTextKey(entries.data(), entries.data() + entries.size(), 0);
    for (const KeyEntry& entry : entries) {
        *first++ = entry.record;
    }
}

void PtfTable::OrderPendingRecords() const {
    const Record* current =
        pos_ >= 0 && static_cast<std::size_t>(pos_) < rows_.size() ? rows_[pos_] : nullptr;
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
