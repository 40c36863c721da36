#include "history/edit_history.h"

#include <unordered_map>
#include <utility>

namespace parlix {

namespace {

// Below this many records a step finds its records one by one; above it, all at once.
constexpr std::size_t kFewRecords = 16;

}  // namespace

EditHistory::EditHistory(PtfTable& table) : table_(table) {
    table_.SetJournal(this);
}

EditHistory::~EditHistory() {
    table_.SetJournal(nullptr);
}

void EditHistory::Clear() {
    undo_.clear();
    redo_.clear();
    open_.clear();
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
    open_.push_back(std::move(entry));
    if (grouping_ == 0) {
        CloseStep();
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
    open_.clear();
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
