// PtfTable's record identities, value snapshots and changes of many records at once.
#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <unordered_set>

#include "table/ptf_records.h"

namespace parlix {

using detail::StoresNumber;
using detail::StoresText;

std::string_view PtfTable::TextViewAt(int row, int column) const {
    CheckColumn(column);
    const bool buffered = (state_ == TableState::Insert && row == RecordCount()) ||
                          (state_ == TableState::Edit && row == RecNo());
    if (buffered) {
        const Value& value = buffer_[static_cast<std::size_t>(column)];
        return value.isNull ? std::string_view() : value.Text();
    }
    EnsureOrdered();
    if (row < 0 || row >= RecordCount()) {
        throw PtfError("Zeile " + std::to_string(row) + " existiert nicht");
    }
    const Record& record = *rows_[static_cast<std::size_t>(row)];
    if (!StoresText(fields_[static_cast<std::size_t>(column)].type) || record.IsNull(column)) {
        return {};
    }
    return record.Bytes(column);
}

RecordId PtfTable::IdAt(int row) const {
    EnsureOrdered();
    if (row < 0 || row >= RecordCount()) {
        throw PtfError("Zeile " + std::to_string(row) + " existiert nicht");
    }
    return rows_[static_cast<std::size_t>(row)]->Sequence();
}

int PtfTable::RowOf(RecordId id) const {
    EnsureOrdered();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i]->Sequence() == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

RecordValues PtfTable::ValuesAt(int row) const {
    EnsureOrdered();
    if (row < 0 || row >= RecordCount()) {
        throw PtfError("Zeile " + std::to_string(row) + " existiert nicht");
    }
    return Snapshot(*rows_[static_cast<std::size_t>(row)]);
}

RecordValues PtfTable::Snapshot(const Record& record) const {
    RecordValues values(fields_.size());
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const int column = static_cast<int>(i);
        if (!record.IsNull(column)) {
            values[i].emplace(record.Bytes(column));
        }
    }
    return values;
}

void PtfTable::Restore(const RecordValues& values) {
    if (values.size() != fields_.size()) {
        throw PtfError("Die Werte passen nicht zu den Feldern der Tabelle");
    }
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        Value& value = buffer_[i];
        value.Reset();
        if (!values[i]) {
            continue;
        }
        const std::string& bytes = *values[i];
        const FieldType type = fields_[i].type;
        value.isNull = false;
        if (StoresText(type)) {
            value.text = bytes;
        } else if (bytes.size() == 8 && type == FieldType::ftFloat) {
            std::memcpy(&value.number, bytes.data(), sizeof value.number);
        } else if (bytes.size() == 8 && StoresNumber(type)) {
            std::memcpy(&value.integer, bytes.data(), sizeof value.integer);
        }
    }
}

void PtfTable::ApplyChanges(const std::vector<RecordChange>& changes) {
    CheckBrowseMode();
    EnsureOrdered();
    std::unordered_map<RecordId, std::size_t> where;  // identity -> index in rows_
    where.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        where.emplace(rows_[i]->Sequence(), i);
    }
    bool adds = false;
    bool removes = false;
    for (const RecordChange& change : changes) {
        const bool stored = where.count(change.id) != 0;
        adds = adds || (!stored && change.values);
        removes = removes || (stored && !change.values);
    }
    // Both may refuse; nothing has changed yet.
    if (adds && BeforeInsert) {
        BeforeInsert(*this);
    }
    if (removes && BeforeDelete) {
        BeforeDelete(*this);
    }

    std::unordered_set<RecordId> removed;
    std::vector<Record*> added;
    std::size_t stored = 0;
    bool reorder = false;
    for (const RecordChange& change : changes) {
        auto found = where.find(change.id);
        std::optional<RecordValues> before;
        if (found != where.end() && rows_[found->second] != nullptr) {
            before = Snapshot(*rows_[found->second]);
        }
        if (!change.values) {
            if (before) {
                rows_[found->second] = nullptr;
                removed.insert(change.id);
                TellJournal(change.id, before, std::nullopt);
            }
            continue;
        }
        Restore(*change.values);
        Record* record = Record::Create(*arena_, change.id, buffer_, fields_);
        ++stored;
        if (before) {
            rows_[found->second] = record;
            const auto key = static_cast<std::size_t>(indexColumn_);
            reorder = reorder || (indexColumn_ >= 0 && (*before)[key] != (*change.values)[key]);
        } else {
            added.push_back(record);
            nextSequence_ = std::max(nextSequence_, change.id + 1);
        }
        TellJournal(change.id, before, Snapshot(*record));
    }
    for (Value& value : buffer_) {
        value.Reset();
    }

    rows_.erase(std::remove(rows_.begin(), rows_.end(), nullptr), rows_.end());
    rows_.insert(rows_.end(), added.begin(), added.end());
    // Changed keys and added records are put in their places on the next read.
    sortedCount_ = reorder ? 0 : std::min(sortedCount_, rows_.size() - added.size());
    pos_ = 0;
    EnsureOrdered();
    for (const RecordChange& change : changes) {
        if (change.values) {
            pos_ = std::max(RowOf(change.id), 0);
            break;
        }
    }
    atBegin_ = rows_.empty();
    atEnd_ = rows_.empty();
    Notify(TableChange::DataSet);
    if (stored > 0 && AfterPost) {
        AfterPost(*this);
    }
    if (!removed.empty() && AfterDelete) {
        AfterDelete(*this);
    }
}

}  // namespace parlix
