// A grid bound to a table through a TableModel, behaving as a data-aware grid does: one column
// per field titled with the field's name, a record indicator at the left, typing that edits the
// current record, leaving a row stores it, Escape drops it, Insert or moving down past the last
// row appends a record, Ctrl+Delete deletes after a confirmation, and the current cell of a
// flagged column shows an ellipsis button. The title of the column the rows are ordered by
// shows the sort mark.
//
// The grid keeps its own list of columns (width, visibility, ellipsis button) for the fields of
// the open table: every opening of the table gives them their default look, while reordering
// rows or rebuilding them with the same fields keeps what the columns are.
#pragma once

#include <QPersistentModelIndex>
#include <QStringList>
#include <QTableView>
#include <vector>

#include "ui/table_model.h"

namespace parlix {

class Dialogs;

class DataGrid : public QTableView {
    Q_OBJECT
  public:
    static constexpr int kDefaultColumnWidth = 64;

    explicit DataGrid(Dialogs& dialogs, QWidget* parent = nullptr);

    void SetDataSource(TableModel* source);
    TableModel* DataSource() const { return source_; }

    // --- Columns: one per field of the open table, in field order ---
    int ColumnCount();
    // The width in pixels, or -1 while the column is hidden.
    int ColumnWidth(int column);
    void SetColumnWidth(int column, int width);
    bool ColumnVisible(int column);
    void SetColumnVisible(int column, bool visible);
    bool ColumnButton(int column);
    void SetColumnButton(int column, bool button);
    QString ColumnFieldName(int column);
    // Gives every column of the table as it is now the default look: default width, visible,
    // no ellipsis button. Called whenever the table has been opened.
    void RebuildColumns();
    // The width inside the grid's border, the record indicator included, without a vertical
    // scroll bar.
    int ClientWidth() const;

    // --- The user's record commands (also bound to keys) ---
    // Appends a record, storing a changed one first; a new record without any entry stays as
    // it is. The table may refuse silently.
    void AppendRecord();
    // Asks "Datensatz löschen?" and deletes the current record on OK; nothing while a filter
    // hides the current record.
    void DeleteRecord();
    // Drops the edit or the new record.
    void CancelRecord();

    // The sort mark on the title of the column the table is ordered by, ascending; none while
    // the table keeps the order of adding.
    void ShowOrder();

    // Whether the cell shows the ellipsis button, and where.
    bool ShowsEditButton(const QModelIndex& index) const;
    QRect EditButtonRect(const QModelIndex& index) const;
    bool EditButtonDown(const QModelIndex& index) const {
        return index.isValid() && index == buttonPressed_;
    }

  signals:
    void titleClick(int column);
    void editButtonClick();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Tab from the last cell of the last row goes on to a new record, as Down does.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool focusNextPrevChild(bool next) override;

  private:
    struct Column {
        int width = kDefaultColumnWidth;
        bool visible = true;
        bool button = false;
    };

    void SyncColumns();
    void RebuildColumns(const QStringList& names);
    void ApplyColumns();
    void ColumnResized(int column, int newWidth);
    void FollowCursor(int row);
    void CloseEditorAfterEdit();
    int FirstVisibleColumn();
    bool ValidColumn(int column) const {
        return column >= 0 && column < static_cast<int>(columns_.size());
    }
    template <typename Body>
    void Run(Body&& body);

    Dialogs& dialogs_;
    TableModel* source_ = nullptr;
    std::vector<Column> columns_;
    QStringList columnNames_;
    bool applying_ = false;       // the grid itself is changing the header
    bool following_ = false;      // the grid follows the table's cursor
    int columnBeforeReset_ = -1;  // the current cell's column when the model was last reset
    QPersistentModelIndex buttonPressed_;
};

}  // namespace parlix
