#include "history/edit_history.h"

#include <unordered_map>
#include <utility>

namespace parlix {

namespace {

// Below this many records a step finds its records one by one; above it, all at once.
constexpr std::size_t kFewRecords = 16;

}  // namespace

EditHistory::EditHistory(PtfTable& table, review::SourceMemory* marks)
    : table_(table), marks_(marks) {
    table_.SetJournal(this);
    if (marks_ != nullptr) {
        marks_->MarkChanged = [this](RecordId id, const std::optional<review::Mark>& before,
                                     const std::optional<review::Mark>& after) {
            MarkChanged(id, before, after);
        };
    }
}

EditHistory::~EditHistory() {
    table_.SetJournal(nullptr);
    if (marks_ != nullptr) {
        marks_->MarkChanged = nullptr;
    }
}

void EditHistory::Clear() {
    undo_.clear();
    redo_.clear();
    open_ = {};
    saved_ = 0;
    Tell();
}

void EditHistory::MarkSaved() {
    saved_ = undo_.size();
    Tell();
}

void EditHistory::RecordChanged(RecordId id, const std::optional<RecordValues>& before,
                                const std::optional<RecordValues>& after) {
    if (replaying_) {
        return;
    }
    Entry entry{id, std::nullopt, std::nullopt, {}, before.has_value(), after.has_value()};
    if (before && after) {
        for (std::size_t i = 0; i < before->size() && i < after->size(); ++i) {
            if ((*before)[i] != (*after)[i]) {
                entry.columns.push_back({static_cast<int>(i), (*before)[i], (*after)[i]});
            }
        }
        if (entry.columns.empty()) {
            return;  // stored unchanged: nothing to undo
        }
    } else if (before) {
        entry.before = before;
    } else if (after) {
        entry.after = after;
    } else {
        return;
    }
    BeginStep();  // with the marks the change sets or clears
    open_.records.push_back(std::move(entry));
    if (marks_ != nullptr) {
        marks_->RecordChanged(id, before, after);
    }
    EndStep();
}

void EditHistory::MarkChanged(RecordId id, const std::optional<review::Mark>& before,
                              const std::optional<review::Mark>& after) {
    open_.marks.push_back({id, before, after});
    if (grouping_ == 0) {
        CloseStep();
    }
}

void EditHistory::TableRebuilt() {
    Clear();
    if (marks_ != nullptr) {
        marks_->TableRebuilt();
    }
}

void EditHistory::EndStep() {
    if (grouping_ > 0 && --grouping_ == 0) {
        CloseStep();
    }
}

void EditHistory::CloseStep() {
    if (open_.empty()) {
        return;
    }
    if (saved_ && *saved_ > undo_.size()) {
        saved_.reset();  // the saved state was among the steps undone, which are gone now
    }
    redo_.clear();
    undo_.push_back(std::move(open_));
    open_ = {};
    Tell();
}

void EditHistory::EndPendingEdit() {
    const TableState state = table_.State();
    if (state == TableState::Edit || state == TableState::Insert) {
        if (table_.Modified()) {
            table_.Post();  // becomes a step of its own
        } else {
            table_.Cancel();
        }
    }
}

void EditHistory::Undo() {
    EndPendingEdit();
    if (undo_.empty()) {
        return;
    }
    Replay(undo_.back(), true);  // a refusal leaves everything as it was
    redo_.push_back(std::move(undo_.back()));
    undo_.pop_back();
    Tell();
}

void EditHistory::Redo() {
    EndPendingEdit();
    if (redo_.empty()) {
        return;
    }
    Replay(redo_.back(), false);
    undo_.push_back(std::move(redo_.back()));
    redo_.pop_back();
    Tell();
}

void EditHistory::Replay(Step& step, bool undo) {
    ReplayRecords(step.records, undo);  // a refusal throws before any mark is touched
    if (marks_ == nullptr || step.marks.empty()) {
        return;
    }
    // Each record's mark as it was before the step's first change of it, or after its last.
    std::unordered_map<RecordId, std::optional<review::Mark>> wanted;
    if (undo) {
        for (auto entry = step.marks.rbegin(); entry != step.marks.rend(); ++entry) {
            wanted.insert_or_assign(entry->id, entry->before);
        }
    } else {
        for (const MarkEntry& entry : step.marks) {
            wanted.insert_or_assign(entry.id, entry.after);
        }
    }
    for (const auto& [id, mark] : wanted) {
        marks_->Restore(id, mark);
    }
}

void EditHistory::ReplayRecords(std::vector<Entry>& step, bool undo) {
    if (step.empty()) {
        return;
    }
    // The values each record of the step must have afterwards, starting from what it holds now.
    std::unordered_map<RecordId, int> rows;
    if (step.size() > kFewRecords) {
        rows.reserve(static_cast<std::size_t>(table_.RecordCount()));
        for (int row = 0; row < table_.RecordCount(); ++row) {
            rows.emplace(table_.IdAt(row), row);
        }
    }
    auto currentValues = [&](RecordId id) -> std::optional<RecordValues> {
        int row = -1;
        if (step.size() > kFewRecords) {
            auto found = rows.find(id);
            row = found != rows.end() ? found->second : -1;
        } else {
            row = table_.RowOf(id);
        }
        if (row < 0) {
            return std::nullopt;
        }
        return table_.ValuesAt(row);
    };

    std::unordered_map<RecordId, std::optional<RecordValues>> wanted;
    std::vector<RecordId> order;
    auto apply = [&](const Entry& entry) {
        auto [it, fresh] = wanted.try_emplace(entry.id);
        if (fresh) {
            order.push_back(entry.id);
            it->second = currentValues(entry.id);
        }
        const bool exists = undo ? entry.existedBefore : entry.existsAfter;
        if (!exists) {
            it->second.reset();
        } else if (!entry.columns.empty()) {
            if (!it->second) {
                return;  // the record is not there to be updated: nothing to put back
            }
            for (const ColumnChange& change : entry.columns) {
                (*it->second)[static_cast<std::size_t>(change.column)] =
                    undo ? change.before : change.after;
            }
        } else {
            it->second = undo ? entry.before : entry.after;
        }
    };
    if (undo) {
        for (auto entry = step.rbegin(); entry != step.rend(); ++entry) {
            apply(*entry);
        }
    } else {
        for (const Entry& entry : step) {
            apply(entry);
        }
    }

    std::vector<RecordChange> changes;
    changes.reserve(order.size());
    for (RecordId id : order) {
        changes.push_back({id, std::move(wanted[id])});
    }
    replaying_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{replaying_};
    table_.ApplyChanges(changes);
}

}  // namespace parlix
