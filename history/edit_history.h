// The undo history of a table's edits: every posted change, insert and delete is one step, and
// a bulk change (replace all, an import) grouped with HistoryStep is one step as well. Undo
// and redo put back the exact stored bytes, null and empty text apart, and the review marks
// with them: a step holds the marks its changes set or cleared, and a confirmation, which
// changes only a mark, is a step of its own. Rebuilding the table (CreateTable, loading a
// file) clears the history, since its records are new ones.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "review/source_memory.h"
#include "table/ptf_table.h"

namespace parlix {

class EditHistory : private TableJournal {
  public:
    // Becomes the table's journal until it goes, and hands every change on to the review
    // marks, when given, whose own changes it keeps from then on.
    explicit EditHistory(PtfTable& table, review::SourceMemory* marks = nullptr);
    ~EditHistory() override;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // Puts the records of the last step back as they were before it; an edit still pending in
    // the table is stored first and so is the step undone. The table may refuse
    // (its BeforeInsert or BeforeDelete throws EAbort); then nothing changes, the step stays.
    void Undo();
    void Redo();
    void Clear();

    // The table's state now is the one in its file.
    void MarkSaved();
    // Whether the table is in the state it was last saved in (true before any edit).
    bool AtSavedState() const { return saved_ && *saved_ == undo_.size(); }

    // Steps held, for tests and the status of the menu.
    std::size_t UndoCount() const { return undo_.size(); }
    std::size_t RedoCount() const { return redo_.size(); }

    // Called after every change of what can be undone or redone.
    std::function<void()> Changed;

  private:
    friend class HistoryStep;

    // What one column of a stored record held before and after.
    struct ColumnChange {
        int column;
        std::optional<std::string> before;
        std::optional<std::string> after;
    };
    // One record's change: added (no `before`), removed (no `after`) or updated (only the
    // columns that changed).
    struct Entry {
        RecordId id;
        std::optional<RecordValues> before;  // added or removed records: all values
        std::optional<RecordValues> after;
        std::vector<ColumnChange> columns;  // updated records
        bool existedBefore;
        bool existsAfter;
    };
    // A change of a record's review mark.
    struct MarkEntry {
        RecordId id;
        std::optional<review::Mark> before;
        std::optional<review::Mark> after;
    };
    struct Step {
        std::vector<Entry> records;
        std::vector<MarkEntry> marks;
        bool empty() const { return records.empty() && marks.empty(); }
    };

    void RecordChanged(RecordId id, const std::optional<RecordValues>& before,
                       const std::optional<RecordValues>& after) override;
    void TableRebuilt() override;
    void MarkChanged(RecordId id, const std::optional<review::Mark>& before,
                     const std::optional<review::Mark>& after);
    void EndPendingEdit();
    void Replay(Step& step, bool undo);
    void ReplayRecords(std::vector<Entry>& step, bool undo);
    void BeginStep() { ++grouping_; }
    void EndStep();
    void CloseStep();  // the open step becomes the last one to undo
    void Tell() const {
        if (Changed) {
            Changed();
        }
    }

    PtfTable& table_;
    review::SourceMemory* marks_;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    Step open_;  // the step being grouped
    int grouping_ = 0;
    bool replaying_ = false;
    // The number of undo steps at the last save; nothing when that state cannot come back.
    std::optional<std::size_t> saved_ = 0;
};

// Groups every change made while it lives into one step of the history (scopes nest).
class HistoryStep {
  public:
    explicit HistoryStep(EditHistory& history) : history_(history) { history_.BeginStep(); }
    ~HistoryStep() { history_.EndStep(); }
    HistoryStep(const HistoryStep&) = delete;
    HistoryStep& operator=(const HistoryStep&) = delete;

  private:
    EditHistory& history_;
};

}  // namespace parlix
