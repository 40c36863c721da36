#include "ui/table_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>
#include <numeric>

#include "ui/text_input_rules.h"

namespace parlix {

namespace {

// The record indicator at the left of the current row.
const QString kBrowseMark = QStringLiteral("▶");
const QString kEditMark = QStringLiteral("✎");
const QString kInsertMark = QStringLiteral("✱");
// The tint of a cell with a note: a pale amber that reads as "look here" on a white grid.
const QColor kNoteTint(255, 229, 160);

}  // namespace

TableModel::TableModel(PtfTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
    rows_ = TableRowCount();
    names_ = FieldNames();
    columns_ = static_cast<int>(names_.size());
    table_.AddObserver(this);
}

TableModel::~TableModel() {
    table_.RemoveObserver(this);
}

int TableModel::TableRowCount() const {
    return table_.IsActive() ? table_.RowCount() : 0;
}

QStringList TableModel::FieldNames() const {
    QStringList names;
    if (table_.IsActive()) {
        for (int i = 0; i < table_.FieldCount(); ++i) {
            names << FromCp1252(table_.Field(i).FieldName());
        }
    }
    return names;
}

int TableModel::FieldSize(int column) const {
    if (!table_.IsActive() || column < 0 || column >= table_.FieldCount()) {
        return 0;
    }
    return table_.Field(column).Size();
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    const bool noteRole = role == Qt::BackgroundRole || role == Qt::ToolTipRole;
    if (role != Qt::DisplayRole && role != Qt::EditRole && !(noteRole && note_)) {
        return {};
    }
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || !table_.IsActive()) {
        return {};
    }
    int row = index.row();
    if (removing_ >= 0 && row >= removing_) {
        // The table is already without the row the views are told about: show them the rows
        // as they were until the removal is announced.
        if (row == removing_) {
            return {};
        }
        --row;
    }
    row = TableRow(row);
    if (row < 0 || row >= table_.RowCount() || index.column() >= table_.FieldCount()) {
        return {};  // the table ran ahead of the announced counts (controls disabled)
    }
    if (noteRole) {
        const QString note = note_(row, index.column());
        if (note.isEmpty()) {
            return {};
        }
        return role == Qt::ToolTipRole ? QVariant(note) : QVariant(QBrush(kNoteTint));
    }
    return FromCp1252(table_.TextViewAt(row, index.column()));
}

void TableModel::NotesChanged() {
    if (rows_ > 0 && columns_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Horizontal) {
        return section >= 0 && section < names_.size() ? names_[section] : QVariant();
    }
    if (section != CurrentRow()) {
        return QString();
    }
    switch (table_.State()) {
        case TableState::Edit:
            return kEditMark;
        case TableState::Insert:
            return kInsertMark;
        default:
            return kBrowseMark;
    }
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return false;
    }
    try {
        const std::string bytes = ToCp1252(value.toString());
        const int row = TableRow(index.row());
        const int column = index.column();
        if (!table_.IsActive() || row < 0 || row >= table_.RowCount() ||
            column >= table_.FieldCount()) {
            return false;
        }
        const bool same =
            table_.TextAt(row, column) == bytes && (!bytes.empty() || table_.IsNullAt(row, column));
        if (same) {
            return true;
        }
        if (row != table_.RecNo()) {
            table_.MoveTo(row);  // stores or drops the record the user leaves
        }
        table_.Edit();
        table_.Field(column).SetAsString(bytes);
        return true;
    } catch (...) {
        ReportFailure();
        return false;
    }
}

void TableModel::revert() {
    if (table_.State() == TableState::Edit || table_.State() == TableState::Insert) {
        table_.Cancel();
    }
}

void TableModel::ReportFailure() const {
    if (errorHandler_) {
        errorHandler_();
    }
}

int TableModel::TableRow(int viewRow) const {
    if (!filter_) {
        return viewRow;
    }
    return viewRow >= 0 && static_cast<std::size_t>(viewRow) < shown_.size()
               ? shown_[static_cast<std::size_t>(viewRow)]
               : -1;
}

int TableModel::ViewRow(int tableRow) const {
    if (!filter_ || tableRow < 0) {
        return tableRow;
    }
    const auto found = std::lower_bound(shown_.begin(), shown_.end(), tableRow);
    return found != shown_.end() && *found == tableRow ? static_cast<int>(found - shown_.begin())
                                                       : -1;
}

void TableModel::MoveToRow(int viewRow) {
    const int row = TableRow(viewRow);
    if (table_.IsActive() && row >= 0 && row != table_.RecNo()) {
        table_.MoveTo(row);
    }
}

std::vector<int> TableModel::ShownTableRows() const {
    const int records = table_.IsActive() ? table_.RecordCount() : 0;
    if (filter_) {
        std::vector<int> rows = shown_;
        rows.erase(
            std::remove_if(rows.begin(), rows.end(), [records](int row) { return row >= records; }),
            rows.end());
        return rows;
    }
    std::vector<int> rows(static_cast<std::size_t>(records));
    std::iota(rows.begin(), rows.end(), 0);
    return rows;
}

void TableModel::SetRowFilter(RowFilter filter) {
    beginResetModel();
    filter_ = std::move(filter);
    Refilter(false);
    rows_ = filter_ ? static_cast<int>(shown_.size()) : TableRowCount();
    endResetModel();
    emit currentRowChanged(CurrentRow());
}

void TableModel::Refilter(bool keepSeen) {
    if (!keepSeen) {
        seen_.assign(seen_.size(), false);
    }
    shown_.clear();
    if (!filter_ || !table_.IsActive()) {
        showingNewRecord_ = false;
        return;
    }
    const bool inserting = table_.State() == TableState::Insert;
    if (showingNewRecord_ && !inserting && table_.RecNo() >= 0) {
        MarkSeen(table_.IdAt(table_.RecNo()));  // the new record, stored in its place
    }
    showingNewRecord_ = inserting;
    const int records = table_.RecordCount();
    for (int row = 0; row < records; ++row) {
        const RecordId id = table_.IdAt(row);
        if (Seen(id) || filter_(table_, row)) {
            shown_.push_back(row);
            MarkSeen(id);
        }
    }
    if (inserting) {
        shown_.push_back(records);
    }
}

void TableModel::RowInsertedInTable(int row) {
    if (!filter_) {
        beginInsertRows(QModelIndex(), row, row);
        ++rows_;
        endInsertRows();
        return;
    }
    // Only the record being inserted appears this way, as the last row.
    shown_.push_back(row);
    showingNewRecord_ = true;
    beginInsertRows(QModelIndex(), rows_, rows_);
    ++rows_;
    endInsertRows();
}

void TableModel::RowRemovedFromTable(int row) {
    int viewRow = row;
    if (filter_) {
        viewRow = ViewRow(row);
        if (viewRow >= 0) {
            shown_.erase(shown_.begin() + viewRow);
        }
        for (int& shown : shown_) {
            shown -= shown > row ? 1 : 0;
        }
        if (row >= table_.RecordCount()) {
            showingNewRecord_ = false;  // the new record was dropped
        }
        if (viewRow < 0) {
            return;
        }
    }
    removing_ = viewRow;
    beginRemoveRows(QModelIndex(), viewRow, viewRow);
    removing_ = -1;
    --rows_;
    endRemoveRows();
}

void TableModel::Reset() {
    beginResetModel();
    Refilter(true);
    rows_ = filter_ ? static_cast<int>(shown_.size()) : TableRowCount();
    names_ = FieldNames();
    columns_ = static_cast<int>(names_.size());
    endResetModel();
}

void TableModel::TableChanged(PtfTable& /*table*/, TableChange change, int row) {
    switch (change) {
        case TableChange::DataSet:
            Reset();
            break;
        case TableChange::RowInserted:
            if (filter_ ? row == table_.RecordCount() && table_.State() == TableState::Insert
                        : row >= 0 && row <= rows_ && TableRowCount() == rows_ + 1) {
                RowInsertedInTable(row);
            } else {
                Reset();
            }
            break;
        case TableChange::RowRemoved:
            if (row >= 0 && (filter_ || (row < rows_ && TableRowCount() == rows_ - 1))) {
                RowRemovedFromTable(row);
            } else {
                Reset();
            }
            break;
        case TableChange::Record: {
            if (filter_ && row >= 0 && row < table_.RecordCount()) {
                MarkSeen(table_.IdAt(row));  // an edited record stays until the filter changes
                showingNewRecord_ = showingNewRecord_ && table_.State() == TableState::Insert;
            }
            const int viewRow = ViewRow(row);
            if (viewRow >= 0 && viewRow < rows_ && columns_ > 0) {
                emit dataChanged(index(viewRow, 0), index(viewRow, columns_ - 1));
            }
            return;  // the cursor stays where it is
        }
        case TableChange::State:
            emit stateChanged();
            break;
        case TableChange::Cursor:
            break;
    }
    if (rows_ > 0) {
        emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);  // the record indicator
    }
    emit currentRowChanged(CurrentRow());
}

}  // namespace parlix
