// PtfTable's lifecycle, cursor, states and events (Open, moves, Append/Edit/Post, views).
#include "table/ptf_table.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "table/ptf_records.h"

namespace parlix {

// ---------------------------------------------------------------------------------------------
// PtfTable

PtfTable::PtfTable() : arena_(std::make_unique<RecordArena>()) {}
PtfTable::~PtfTable() = default;

void PtfTable::CheckActive() const {
    if (state_ == TableState::Inactive) {
        throw PtfError("Die Tabelle ist nicht geöffnet");
    }
}

void PtfTable::CheckColumn(int column) const {
    if (column < 0 || column >= FieldCount()) {
        throw PtfError("Feld " + std::to_string(column) + " existiert nicht");
    }
}

void PtfTable::Notify(TableChange change, int row) {
    if (!Observed()) {
        return;
    }
    std::vector<TableObserver*> observers = observers_;  // an observer may unsubscribe
    for (TableObserver* observer : observers) {
        observer->TableChanged(*this, change, row);
    }
}

void PtfTable::NotifyRecordChanged() {
    if (Observed()) {
        Notify(TableChange::Record, RecNo());
    }
}

void PtfTable::AddObserver(TableObserver* observer) {
    observers_.push_back(observer);
}

void PtfTable::RemoveObserver(TableObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void PtfTable::DisableControls() {
    ++controlsDisabled_;
}

void PtfTable::EnableControls() {
    if (controlsDisabled_ > 0 && --controlsDisabled_ == 0) {
        Notify(TableChange::DataSet);
    }
}

void PtfTable::ReserveRecords(std::size_t count, std::size_t valueBytes) {
    rows_.reserve(rows_.size() + count);
    arena_->Reserve(count * Record::Overhead(fields_.size()) + valueBytes);
}

void PtfTable::Open() {
    if (IsActive()) {
        return;
    }
    if (fields_.empty()) {
        throw PtfError("Die Tabelle wurde noch nicht erstellt");
    }
    state_ = TableState::Browse;
    EnsureOrdered();
    pos_ = 0;
    atBegin_ = true;
    atEnd_ = rows_.empty();
    Notify(TableChange::DataSet);
    if (AfterOpen) {
        AfterOpen(*this);
    }
}

void PtfTable::Close() {
    if (!IsActive()) {
        return;
    }
    state_ = TableState::Inactive;
    modified_ = false;
    Notify(TableChange::DataSet);
}

void PtfTable::CreateTable() {
    if (IsActive()) {
        throw PtfError("Die Tabelle ist geöffnet und kann nicht neu erstellt werden");
    }
    if (defs_.Count() == 0) {
        throw PtfError("Die Tabelle hat keine Felddefinitionen");
    }
    fields_.clear();
    fileColumnNames_.reset();
    for (int i = 0; i < defs_.Count(); ++i) {
        const FieldDef& def = defs_[i];
        fields_.push_back({def.Name(), def.DataType(), std::max(def.Size(), 0)});
    }
    rows_.clear();
    arena_->Clear();
    sortedCount_ = 0;
    pos_ = 0;
    nextSequence_ = 0;
    buffer_.assign(fields_.size(), Value{});
    ResolveIndexColumn();
    if (journal_ != nullptr) {
        journal_->TableRebuilt();
    }
    Open();
}

const PtfTable::Record* PtfTable::CurrentRecord() const {
    if (!IsActive() || rows_.empty()) {
        return nullptr;
    }
    EnsureOrdered();
    if (pos_ < 0 || static_cast<std::size_t>(pos_) >= rows_.size()) {
        return nullptr;
    }
    return rows_[static_cast<std::size_t>(pos_)];
}

void PtfTable::CheckBrowseMode() {
    CheckActive();
    EndEdit();
}

void PtfTable::EndEdit() {
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        if (modified_) {
            Post();
        } else {
            Cancel();
        }
    }
}

void PtfTable::First() {
    CheckBrowseMode();
    EnsureOrdered();
    pos_ = 0;
    atBegin_ = true;
    atEnd_ = rows_.empty();
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::Next() {
    CheckBrowseMode();
    EnsureOrdered();
    if (static_cast<std::size_t>(pos_) + 1 < rows_.size()) {
        ++pos_;
        atEnd_ = false;
    } else {
        atEnd_ = true;
    }
    atBegin_ = false;
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::Prior() {
    CheckBrowseMode();
    EnsureOrdered();
    if (pos_ > 0) {
        --pos_;
        atBegin_ = false;
    } else {
        atBegin_ = true;
    }
    atEnd_ = rows_.empty();
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::Last() {
    CheckBrowseMode();
    EnsureOrdered();
    pos_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
    atEnd_ = true;
    atBegin_ = rows_.empty();
    Notify(TableChange::Cursor, RecNo());
}

void PtfTable::MoveTo(int row) {
    CheckBrowseMode();
    EnsureOrdered();
    if (rows_.empty()) {
        atBegin_ = atEnd_ = true;
        return;
    }
    pos_ = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
    atBegin_ = false;
    atEnd_ = false;
    Notify(TableChange::Cursor, RecNo());
}

bool PtfTable::AtEnd() const {
    return !IsActive() || rows_.empty() || atEnd_;
}
bool PtfTable::AtBegin() const {
    return !IsActive() || rows_.empty() || atBegin_;
}

int PtfTable::RecNo() const {
    if (!IsActive()) {
        return -1;
    }
    if (state_ == TableState::Insert) {
        return static_cast<int>(rows_.size());
    }
    if (rows_.empty()) {
        return -1;
    }
    EnsureOrdered();
    return pos_;
}

int PtfTable::RecordCount() const {
    return static_cast<int>(rows_.size());
}

int PtfTable::RowCount() const {
    return RecordCount() + (state_ == TableState::Insert ? 1 : 0);
}

void PtfTable::StartInsert() {
    if (BeforeInsert) {
        BeforeInsert(*this);  // may throw EAbort: nothing has changed yet
    }
    for (Value& value : buffer_) {
        value.Reset();
    }
    // pos_ keeps pointing at the record that was current, for Cancel; the new record is
    // presented as the last row until it is stored.
    state_ = TableState::Insert;
    modified_ = false;
    Notify(TableChange::RowInserted, static_cast<int>(rows_.size()));
    Notify(TableChange::State);
}

void PtfTable::Append() {
    CheckBrowseMode();
    StartInsert();
}

void PtfTable::Edit() {
    CheckActive();
    if (state_ == TableState::Edit || state_ == TableState::Insert) {
        return;
    }
    if (rows_.empty()) {
        StartInsert();
        return;
    }
    CurrentRecord()->Unpack(buffer_, fields_);
    state_ = TableState::Edit;
    modified_ = false;
    Notify(TableChange::State);
}

void PtfTable::Post() {
    if (state_ != TableState::Edit && state_ != TableState::Insert) {
        throw PtfError("Es wird kein Datensatz bearbeitet oder eingefügt");
    }
    const bool inserting = state_ == TableState::Insert;
    int viewRow = RecNo();  // where views show the record now
    const bool journaling = journal_ != nullptr && !loading_;
    std::optional<RecordValues> before;
    if (inserting) {
        rows_.push_back(Record::Create(*arena_, nextSequence_++, buffer_, fields_));
        const std::size_t last = rows_.size() - 1;
        if (sortedCount_ == last && (last == 0 || InOrder(*rows_[last - 1], *rows_[last]))) {
            sortedCount_ = rows_.size();
        }
        pos_ = static_cast<int>(last);
    } else {
        const std::size_t at = static_cast<std::size_t>(pos_);
        if (journaling) {
            before = Snapshot(*rows_[at]);
        }
        rows_[at] = Record::Create(*arena_, rows_[at]->Sequence(), buffer_, fields_);
        // A changed key may move the record: take it out of the ordered part if it no longer
        // fits between its neighbours, and let the next read merge it back in.
        if (indexColumn_ >= 0 && at < sortedCount_) {
            bool fits = (at == 0 || InOrder(*rows_[at - 1], *rows_[at])) &&
                        (at + 1 >= sortedCount_ || InOrder(*rows_[at], *rows_[at + 1]));
            if (!fits) {
                Record* moved = rows_[at];
                rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(at));
                --sortedCount_;
                rows_.push_back(moved);
                pos_ = static_cast<int>(rows_.size()) - 1;
            }
        }
    }
    state_ = TableState::Browse;
    modified_ = false;
    atBegin_ = false;
    atEnd_ = false;
    if (journaling) {
        const Record& stored = *rows_[static_cast<std::size_t>(pos_)];
        TellJournal(stored.Sequence(), before, Snapshot(stored));
    }
    if (Observed()) {
        if (RecNo() == viewRow) {
            Notify(TableChange::Record, viewRow);
            Notify(TableChange::State);
        } else {
            Notify(TableChange::DataSet);
        }
    }
    if (AfterPost) {
        AfterPost(*this);
    }
}

void PtfTable::Cancel() {
    if (state_ == TableState::Insert) {
        const int row = static_cast<int>(rows_.size());
        state_ = TableState::Browse;
        modified_ = false;
        atEnd_ = rows_.empty();
        Notify(TableChange::RowRemoved, row);
        Notify(TableChange::State);
        Notify(TableChange::Cursor, RecNo());
    } else if (state_ == TableState::Edit) {
        state_ = TableState::Browse;
        modified_ = false;
        Notify(TableChange::Record, RecNo());
        Notify(TableChange::State);
    }
}

void PtfTable::Delete() {
    CheckActive();
    if (state_ == TableState::Insert) {
        Cancel();
        return;
    }
    if (rows_.empty()) {
        throw PtfError("Die Tabelle ist leer");
    }
    CheckBrowseMode();
    if (BeforeDelete) {
        BeforeDelete(*this);  // may throw EAbort
    }
    EnsureOrdered();
    const int row = pos_;
    if (journal_ != nullptr) {
        const Record& removed = *rows_[static_cast<std::size_t>(row)];
        TellJournal(removed.Sequence(), Snapshot(removed), std::nullopt);
    }
    rows_.erase(rows_.begin() + row);
    sortedCount_ = rows_.size();
    pos_ = std::min(pos_, std::max(0, static_cast<int>(rows_.size()) - 1));
    atEnd_ = rows_.empty();
    atBegin_ = rows_.empty();
    Notify(TableChange::RowRemoved, row);
    Notify(TableChange::Cursor, RecNo());
    if (AfterDelete) {
        AfterDelete(*this);
    }
}

}  // namespace parlix
