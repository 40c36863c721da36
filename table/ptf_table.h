// PtfTable: the in-memory typed table that holds the project settings and the translations.
//
// A table has editable column definitions (FieldDefs), a built structure taken from them by
// CreateTable, an ordered sequence of records, a cursor and a state. Text is kept byte for byte
// (Windows-1252 in practice); sizes count bytes. Everything runs on one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "table/errors.h"
#include "table/field_type.h"

namespace parlix {

class PtfTable;
namespace detail {
struct TableLoading;
}

// One column definition. Renaming or resizing takes effect on the records when the table is
// next built with CreateTable.
class FieldDef {
  public:
    FieldDef(std::string name, FieldType type, int size)
        : name_(std::move(name)), type_(type), size_(size) {}

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    FieldType DataType() const { return type_; }
    // Setting the type resets Size to the type's default (20 for text, 0 otherwise).
    void SetDataType(FieldType type) {
        type_ = type;
        size_ = DefaultFieldSize(type);
    }

    int Size() const { return size_; }
    void SetSize(int size) { size_ = size; }

  private:
    std::string name_;
    FieldType type_;
    int size_;
};

// The ordered list of a table's column definitions; a definition's position is its column index.
class FieldDefs {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    FieldDef& Items(int index);
    const FieldDef& Items(int index) const;
    FieldDef& operator[](int index) { return Items(index); }
    const FieldDef& operator[](int index) const { return Items(index); }

    FieldDef& Add(std::string name, FieldType type) {
        return Add(std::move(name), type, DefaultFieldSize(type));
    }
    FieldDef& Add(std::string name, FieldType type, int size);
    void Clear() { items_.clear(); }

    // Position of the first definition with this name, compared without regard to case; -1 if none.
    int IndexOf(std::string_view name) const;

  private:
    std::vector<FieldDef> items_;
};

enum class TableState { Inactive, Browse, Edit, Insert };

// What changed in a table, for views bound to it (see TableObserver).
enum class TableChange {
    DataSet,      // anything may have changed: rows, order, structure, activity
    Record,       // the values of `row` changed
    RowInserted,  // a row appeared at `row` (the record being inserted)
    RowRemoved,   // the row at `row` is gone
    State,        // the table's State() changed
    Cursor,       // the current row changed
};

// A view bound to a table (the grid adapter, the navigator). Notifications arrive after the
// change has happened, synchronously, unless the table's controls are disabled.
class TableObserver {
  public:
    virtual ~TableObserver() = default;
    virtual void TableChanged(PtfTable& table, TableChange change, int row) = 0;
};

// A stored record's identity: it stays with the record through edits and reordering, until the
// table is rebuilt (CreateTable, a load).
using RecordId = std::uint64_t;

// A record's values, one per column: nothing for null, otherwise what the record stores (the
// bytes of a text; the eight bytes of a number), so that putting them back is exact.
using RecordValues = std::vector<std::optional<std::string>>;

// A record as it should be: with these values, or, without values, not there.
struct RecordChange {
    RecordId id = 0;
    std::optional<RecordValues> values;
};

// Hears every change of the stored records, with their values before and after: an undo
// history. Loading a file is not an edit; it rebuilds the table as CreateTable does.
class TableJournal {
  public:
    virtual ~TableJournal() = default;
    // A record was stored, added or removed: `before` is empty for a new record, `after` for a
    // removed one.
    virtual void RecordChanged(RecordId id, const std::optional<RecordValues>& before,
                               const std::optional<RecordValues>& after) = 0;
    // Every record was replaced (CreateTable, a load): earlier identities mean nothing now.
    virtual void TableRebuilt() = 0;
};

// Access to one value of the current record (or of the record being edited or inserted).
// A light handle: it stays valid as long as the table keeps its structure.
class Field {
  public:
    int Index() const { return index_; }
    const std::string& FieldName() const;
    FieldType DataType() const;
    int Size() const;

    bool IsNull() const;
    void SetNull();

    // Text for ftString (empty for null), decimal form for the integer types, "True"/"False"
    // for ftBoolean, and for ftFloat the general number format with up to 15 significant
    // digits and a decimal comma, the same in every locale.
    std::string AsString() const;
    // For ftString stores the text cut to Size bytes, with CR and LF removed (a value must
    // never span lines in a table file). For the integer types an empty text makes the value
    // null and any other text must be a decimal integer in the type's range.
    void SetAsString(std::string_view text);

    // The text of an ftString value without a copy; valid until the table changes.
    std::string_view StringView() const;

    std::int32_t AsInteger() const;
    void SetAsInteger(std::int64_t value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    double AsFloat() const;
    void SetAsFloat(double value);

  private:
    friend class PtfTable;
    friend struct detail::TableLoading;
    Field(PtfTable* table, int index) : table_(table), index_(index) {}
    // The index into the table's fields and edit buffer.
    std::size_t Slot() const { return static_cast<std::size_t>(index_); }
    PtfTable* table_;
    int index_;
};

class PtfTable {
  public:
    using Event = std::function<void(PtfTable&)>;

    PtfTable();
    ~PtfTable();
    PtfTable(const PtfTable&) = delete;
    PtfTable& operator=(const PtfTable&) = delete;

    // Events, called synchronously by the operations. BeforeInsert and BeforeDelete may throw
    // EAbort to refuse: nothing changes and the EAbort travels to the caller.
    Event AfterOpen;     // each time the table has become open
    Event BeforeInsert;  // before Append, or Edit on an empty table, starts a new record
    Event AfterPost;     // after Post has stored a record
    Event BeforeDelete;  // before the current record is deleted
    Event AfterDelete;   // after a record has been deleted

    parlix::FieldDefs& FieldDefs() { return defs_; }
    const parlix::FieldDefs& FieldDefs() const { return defs_; }

    // --- Lifecycle ------------------------------------------------------------------------
    // Makes an inactive table active with the cursor on the first record, then AfterOpen.
    void Open();
    // Makes the table inactive, dropping an unstored edit; records and definitions stay.
    void Close();
    // Builds a new, empty table from the current FieldDefs and opens it. Requires an inactive
    // table and at least one definition.
    void CreateTable();
    bool IsActive() const { return state_ != TableState::Inactive; }
    TableState State() const { return state_; }
    // The column titles of the file the table was last read from or written to, as the file
    // has them; nothing when the table was built otherwise (CreateTable clears them).
    const std::optional<std::vector<std::string>>& FileColumnNames() const {
        return fileColumnNames_;
    }
    void SetFileColumnNames(std::vector<std::string> names) { fileColumnNames_ = std::move(names); }

    // --- Cursor ---------------------------------------------------------------------------
    // Every move first ends a pending edit: a changed record is posted, an unchanged one dropped.
    void First();
    void Next();
    void Prior();
    void Last();
    void MoveTo(int row);
    bool AtEnd() const;    // past the last record (always on an empty or inactive table)
    bool AtBegin() const;  // before the first record
    // The current row in presentation order; the inserted record counts as the last row.
    // -1 on an empty or inactive table.
    int RecNo() const;
    int RecordCount() const;  // stored records
    int RowCount() const;     // stored records plus the record being inserted, if any

    // --- Editing --------------------------------------------------------------------------
    // Calls BeforeInsert, then starts a new all-null record at the end (state Insert).
    void Append();
    // Starts editing the current record; on an empty table starts a new record like Append.
    // No effect while already editing or inserting.
    void Edit();
    // Stores the record being edited or inserted, returns to browse, then AfterPost.
    void Post();
    // Drops the edit or the new record.
    void Cancel();
    // Deletes the current record (BeforeDelete, AfterDelete); on the new record it cancels it.
    void Delete();
    // Whether a value of the record being edited or inserted was assigned.
    bool Modified() const { return modified_; }
    // Ends a pending edit as a move does: a changed record is posted, an unchanged one
    // dropped. Nothing happens in browse state or on a closed table.
    void EndEdit();

    // --- Fields ---------------------------------------------------------------------------
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    parlix::Field Field(int index);
    parlix::Field FieldByName(std::string_view name);
    // Column of the built table with this name (without regard to case); -1 if none.
    int FieldIndex(std::string_view name) const;

    // --- Ordering -------------------------------------------------------------------------
    // One column name, or empty for the order in which records were added. Records are
    // presented ascending by that column (bytewise, case-sensitive; nulls first; ties in the
    // order of adding). A name the built table does not have means the order of adding.
    const std::string& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(std::string name);

    // --- Random read access for views (rows in presentation order) -------------------------
    bool IsNullAt(int row, int column) const;
    std::string TextAt(int row, int column) const;

    // The text of an ftString value without a copy (empty for null); valid until the table
    // changes. The record being edited or inserted shows its edited values.
    std::string_view TextViewAt(int row, int column) const;

    // --- Identity and changes of many records at once ----------------------------------------
    // The identity of the stored record at `row` (presentation order).
    RecordId IdAt(int row) const;
    // The row of the stored record with this identity, or -1.
    int RowOf(RecordId id) const;
    // The stored values of the record at `row`.
    RecordValues ValuesAt(int row) const;
    // Makes each record as the change says: updates a stored record, adds one that is not
    // there under its identity (so that a removed record comes back at its place), removes
    // one without values. A pending edit is ended first. BeforeInsert is asked once when
    // records are added and BeforeDelete once when records are removed; either may refuse
    // with EAbort, and then nothing changes. Afterwards the cursor is on the first changed
    // record that is there, views hear one DataSet, the journal every change, and AfterPost
    // (records stored or added) and AfterDelete (records removed) are called once each.
    void ApplyChanges(const std::vector<RecordChange>& changes);
    // The journal that hears every change (none by default); the table does not own it.
    void SetJournal(TableJournal* journal) { journal_ = journal; }

    // --- Views ----------------------------------------------------------------------------
    void AddObserver(TableObserver* observer);
    void RemoveObserver(TableObserver* observer);
    // While disabled (calls nest), observers hear nothing; re-enabling sends one DataSet.
    void DisableControls();
    void EnableControls();

    // Room for `count` more records holding `valueBytes` in all (texts' bytes, 8 per number),
    // so that a bulk load neither grows the row list repeatedly nor takes record memory in
    // pieces.
    void ReserveRecords(std::size_t count, std::size_t valueBytes = 0);

    struct Value;       // one value of the edit buffer (internal)
    class Record;       // one stored record (internal)
    class RecordArena;  // memory of the stored records (internal)
    struct KeyEntry;    // a record in a sort by a text key (internal)

  private:
    friend class parlix::Field;
    friend struct detail::TableLoading;
    struct BuiltField {
        std::string name;
        FieldType type;
        int size;
    };

    void CheckActive() const;
    void CheckBrowseMode();  // ends a pending edit: post if modified, cancel otherwise
    void CheckColumn(int column) const;
    // Merges records stored since the last read into the presentation order.
    void EnsureOrdered() const {
        if (sortedCount_ < rows_.size()) {
            OrderPendingRecords();
        }
    }
    void OrderPendingRecords() const;
    void SortRecords(std::vector<Record*>::iterator first,
                     std::vector<Record*>::iterator last) const;
    bool InOrder(const Record& a, const Record& b) const;
    void ResolveIndexColumn();
    void StartInsert();
    void Notify(TableChange change, int row = -1);
    void NotifyRecordChanged();  // the values of the current row changed
    bool Observed() const { return controlsDisabled_ == 0 && !observers_.empty(); }
    const Record* CurrentRecord() const;
    Value& WritableValue(int column);
    void AssignString(int column, std::string_view text);
    // The file reader's way of setting a text value: the bytes are not copied but referred to
    // until the record is stored, so they must stay where they are until Post or Cancel. They
    // come from one line of a file and so hold no line break; they are cut to the field's size.
    void LoadText(int column, std::string_view text);
    RecordValues Snapshot(const Record& record) const;
    void Restore(const RecordValues& values);  // into the edit buffer
    void TellJournal(RecordId id, const std::optional<RecordValues>& before,
                     const std::optional<RecordValues>& after) {
        if (journal_ != nullptr && !loading_) {
            journal_->RecordChanged(id, before, after);
        }
    }

    parlix::FieldDefs defs_;
    std::vector<BuiltField> fields_;
    std::optional<std::vector<std::string>> fileColumnNames_;
    // Stored records. rows_[0, sortedCount_) is in presentation order; rows after it were
    // stored since and are merged in lazily (so that bulk loads stay n log n).
    mutable std::vector<Record*> rows_;
    std::unique_ptr<RecordArena> arena_;  // owns the records
    mutable std::size_t sortedCount_ = 0;
    // Index into rows_ of the current record; while inserting, of the record current before.
    mutable int pos_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::string indexFieldNames_;
    int indexColumn_ = -1;

    TableState state_ = TableState::Inactive;
    bool atEnd_ = true;
    bool atBegin_ = true;
    std::vector<Value> buffer_;  // the record being edited or inserted
    bool modified_ = false;

    std::vector<TableObserver*> observers_;
    int controlsDisabled_ = 0;

    TableJournal* journal_ = nullptr;
    bool loading_ = false;  // a file is being read into the table: no edits to journal
};

// Keeps a table's views quiet for the length of a scope and tells them once at its end.
class ControlsDisabled {
  public:
    explicit ControlsDisabled(PtfTable& table) : table_(table) { table_.DisableControls(); }
    ~ControlsDisabled() { table_.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

  private:
    PtfTable& table_;
};

}  // namespace parlix
