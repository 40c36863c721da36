// The binding between a PtfTable and the views that show it (dsTranslations): a Qt table model
// that listens to the table and relays its changes in the form Qt's views expect.
//
// The model keeps its own row and column counts and changes them only between the matching
// begin/end calls, so a view never sees a count that its signals did not announce. Values are
// Windows-1252 bytes in the table and Unicode text in the model. What the user types goes into
// the table's current record at once: the first change starts an edit of the record, and the
// record is stored when the user leaves it (the grid's concern) or posts it.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

#include "table/ptf_table.h"

namespace parlix {

class TableModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
  public:
    explicit TableModel(PtfTable& table, QObject* parent = nullptr);
    ~TableModel() override;

    PtfTable& Table() const { return table_; }

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

    PtfTable& table_;
    int rows_ = 0;
    int columns_ = 0;
    int removing_ = -1;  // the row being removed while the views are told it is going
    QStringList names_;  // the header titles, in step with columns_
    std::function<void()> errorHandler_;
};

}  // namespace parlix
