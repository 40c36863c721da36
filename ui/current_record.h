// Keeps a table's current record, by its identity, across work that walks the whole table (a
// save, a build): the walk leaves the cursor past the last record, and the user's row would
// jump there.
#pragma once

#include "table/ptf_table.h"

namespace parlix {

class CurrentRecordKept {
  public:
    // Ends an edit as the walk would (a changed record is stored, an unchanged one dropped) and
    // notes the record the cursor is on.
    explicit CurrentRecordKept(PtfTable& table) : table_(table) {
        if (!table.IsActive()) {
            return;
        }
        table.EndEdit();
        const int row = table.RecNo();
        if (row >= 0 && row < table.RecordCount()) {
            id_ = table.IdAt(row);
            kept_ = true;
        }
    }

    // Puts the cursor back on the record, wherever the walk (or an order) has put it.
    ~CurrentRecordKept() {
        if (!kept_ || !table_.IsActive() || table_.State() != TableState::Browse) {
            return;
        }
        const int row = table_.RowOf(id_);
        if (row >= 0) {
            table_.MoveTo(row);  // in browse state a move only moves
        }
    }

    CurrentRecordKept(const CurrentRecordKept&) = delete;
    CurrentRecordKept& operator=(const CurrentRecordKept&) = delete;

  private:
    PtfTable& table_;
    RecordId id_ = 0;
    bool kept_ = false;
};

}  // namespace parlix
