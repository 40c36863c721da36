// Review marks: for each row of the translation table, Parlix remembers the language 1 text
// that its language 2 text was made from. A row needs review when its language 2 has a text
// and its language 1 text differs from the remembered one, or when its translation was taken
// over as a draft and nobody has confirmed it yet.
//
// Only the rows that need review are kept (their mark); every other translated row was
// translated from its language 1 text as it is now. So a mark cannot go stale by itself:
// changing language 1 back to the remembered text clears it.
//
// The memory follows the table through its journal. Language 2 given a new text (typed,
// replaced, imported as finished, filled in) records the current language 1; language 1
// changed under a translation marks the row with the text it had before; a row without a
// translation, and a removed row, has no mark. The undo history keeps every change of a mark
// with the change of the record that caused it (see EditHistory), and without a history the
// memory is the table's journal itself (SetJournal).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "table/ptf_table.h"

namespace parlix::review {

// What is remembered of a row that needs review.
struct Mark {
    // The language 1 text the translation was made from (Windows-1252); nothing for a draft,
    // a translation taken over unconfirmed, which was never checked against any text.
    std::optional<std::string> source;
    friend bool operator==(const Mark&, const Mark&) = default;
};

// Whether a language 2 text counts as a translation: it holds more than blanks.
bool HasTranslation(std::string_view language2);

class SourceMemory : public TableJournal {
  public:
    explicit SourceMemory(const PtfTable& table) : table_(table) {}
    SourceMemory(const SourceMemory&) = delete;
    SourceMemory& operator=(const SourceMemory&) = delete;

    // The mark of a record, or null when its translation needs no review.
    const Mark* MarkOf(RecordId id) const;
    bool Marked(RecordId id) const { return id < marked_.size() && marked_[id]; }
    // Whether the row (in the table's current order; a stored record) needs review.
    bool NeedsReview(int row) const;
    int Count() const { return static_cast<int>(marks_.size()); }
    const std::unordered_map<RecordId, Mark>& Marks() const { return marks_; }

    // The translation of the record was checked and stays: its mark goes.
    void Confirm(RecordId id);
    // The record's translation was taken over as a draft: it needs review until confirmed. A
    // record without a translation gets no mark, and one to review already keeps its own.
    void MarkDraft(RecordId id);

    // Replaces every mark without telling anyone: the marks read with the table.
    void Reset(std::unordered_map<RecordId, Mark> marks);
    // Puts a record's mark back as it was (undo and redo), without telling anyone.
    void Restore(RecordId id, const std::optional<Mark>& mark);

    // Called with every change of a mark that the memory makes itself (not Reset or Restore),
    // with the mark before and after: the undo history keeps them.
    std::function<void(RecordId id, const std::optional<Mark>& before,
                       const std::optional<Mark>& after)>
        MarkChanged;

    // The table's journal: follows every stored, added and removed record.
    void RecordChanged(RecordId id, const std::optional<RecordValues>& before,
                       const std::optional<RecordValues>& after) override;
    // New records: no marks until they are read (Reset).
    void TableRebuilt() override { Reset({}); }

  private:
    void Set(RecordId id, std::optional<Mark> mark);  // and tell MarkChanged
    void Put(RecordId id, const std::optional<Mark>& mark);

    const PtfTable& table_;
    std::unordered_map<RecordId, Mark> marks_;
    std::vector<bool> marked_;  // by identity, which are small numbers: a quick look for walks
};

// A record's values with its language 1 text replaced, for ApplyChanges: what a sync that plans
// first and then applies gives the table to set language 1 and mark the row for review.
RecordChange WithSource(const PtfTable& table, int row, std::string_view language1);

}  // namespace parlix::review
