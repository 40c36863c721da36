// The binding between a PtfTable and the views that show it (dsTranslations): a Qt table model
// that listens to the table and relays its changes in the form Qt's views expect.
//
// The model keeps its own row and column counts and changes them only between the matching
// begin/end calls, so a view never sees a count that its signals did not announce. Values are
// Windows-1252 bytes in the table and Unicode text in the model. What the user types goes into
// the table's current record at once: the first change starts an edit of the record, and the
// record is stored when the user leaves it (the grid's concern) or posts it.
//
// A row filter hides rows without touching the table: the model then shows the rows the filter
// lets through, in the table's order. A row the user has seen stays until the filter changes,
// even when an edit or a new order would no longer let it through, and a new record stays
// visible once stored. Model rows ("view rows") and table rows differ only while a filter is on.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <vector>

#include "table/ptf_table.h"

namespace parlix {

class TableModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
  public:
    explicit TableModel(PtfTable& table, QObject* parent = nullptr);
    ~TableModel() override;

    PtfTable& Table() const { return table_; }

    // Whether a table row is shown; called for each row when the filter is set and whenever
    // the table's rows were replaced or reordered.
    using RowFilter = std::function<bool(const PtfTable& table, int row)>;
    // An empty filter shows every row.
    void SetRowFilter(RowFilter filter);
    bool Filtered() const { return static_cast<bool>(filter_); }
    // The table row of a view row and back (-1 for a row that is not shown).
    int TableRow(int viewRow) const;
    int ViewRow(int tableRow) const;
    // The view row of the table's current record, or -1 (also while a filter hides it).
    int CurrentRow() const { return ViewRow(table_.IsActive() ? table_.RecNo() : -1); }
    // While the views are told that a row is going: the table is already without it, and
    // view rows after it do not name the records the views think they do.
    bool RemovingRow() const { return removing_ >= 0; }
    // Makes the record of a view row the current one (storing or dropping the one left).
    void MoveToRow(int viewRow);
    // The table rows shown, in order.
    std::vector<int> ShownTableRows() const;

    // Called from within a catch block whenever a table operation started by the model fails
    // (the general error report); without one the failure is only returned as false.
    void SetErrorHandler(std::function<void()> handler) { errorHandler_ = std::move(handler); }

    // The table's columns as they are now (empty while it is closed), which may run ahead of
    // the model's announced column count while the table's controls are disabled.
    QStringList FieldNames() const;
    // The most characters a value of this column can hold (Windows-1252: one byte each).
    int FieldSize(int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Makes the row the current record, starts editing it and sets the value. An unchanged
    // value changes nothing (a null value stays null).
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // Drops the edit or the new record (the grid's Escape).
    void revert() override;

  signals:
    // The table's current row (-1 when there is none) after any change but a value change.
    void currentRowChanged(int row);
    // The table entered or left editing or inserting.
    void stateChanged();

  private:
    void TableChanged(PtfTable& table, TableChange change, int row) override;
    void Reset();
    void ReportFailure() const;
    int TableRowCount() const;
    // Applies the filter to every row; `keepSeen` keeps the rows shown before.
    void Refilter(bool keepSeen);
    void RowInsertedInTable(int row);
    void RowRemovedFromTable(int row);

    PtfTable& table_;
    int rows_ = 0;
    int columns_ = 0;
    int removing_ = -1;  // the row being removed while the views are told it is going
    QStringList names_;  // the header titles, in step with columns_
    std::function<void()> errorHandler_;

    RowFilter filter_;
    std::vector<int> shown_;  // while filtered: the table rows shown, ascending
    // While filtered: the records shown, by identity (identities are small numbers).
    std::vector<bool> seen_;
    bool Seen(RecordId id) const { return id < seen_.size() && seen_[id]; }
    void MarkSeen(RecordId id) {
        if (id >= seen_.size()) {
            seen_.resize(std::max<std::size_t>(id + 1, seen_.size() * 2));
        }
        seen_[id] = true;
    }
    bool showingNewRecord_ = false;  // the record being inserted is shown
};

}  // namespace parlix
