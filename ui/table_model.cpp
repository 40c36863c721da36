#include "ui/table_model.h"

#include "ui/text_input_rules.h"

namespace parlix {

namespace {

// The record indicator at the left of the current row.
const QString kBrowseMark = QStringLiteral("▶");
const QString kEditMark = QStringLiteral("✎");
const QString kInsertMark = QStringLiteral("✱");

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
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
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
    if (row >= table_.RowCount() || index.column() >= table_.FieldCount()) {
        return {};  // the table ran ahead of the announced counts (controls disabled)
    }
    return FromCp1252(table_.TextAt(row, index.column()));
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (orientation == Qt::Horizontal) {
        return section >= 0 && section < names_.size() ? names_[section] : QVariant();
    }
    if (section != table_.RecNo()) {
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
        const int row = index.row();
        const int column = index.column();
        if (!table_.IsActive() || row >= table_.RowCount() || column >= table_.FieldCount()) {
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

void TableModel::Reset() {
    beginResetModel();
    rows_ = TableRowCount();
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
            if (row >= 0 && row <= rows_ && TableRowCount() == rows_ + 1) {
                beginInsertRows(QModelIndex(), row, row);
                ++rows_;
                endInsertRows();
            } else {
                Reset();
            }
            break;
        case TableChange::RowRemoved:
            if (row >= 0 && row < rows_ && TableRowCount() == rows_ - 1) {
                removing_ = row;
                beginRemoveRows(QModelIndex(), row, row);
                removing_ = -1;
                --rows_;
                endRemoveRows();
            } else {
                Reset();
            }
            break;
        case TableChange::Record:
            if (row >= 0 && row < rows_ && columns_ > 0) {
                emit dataChanged(index(row, 0), index(row, columns_ - 1));
            }
            return;  // the cursor stays where it is
        case TableChange::State:
            emit stateChanged();
            break;
        case TableChange::Cursor:
            break;
    }
    if (rows_ > 0) {
        emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);  // the record indicator
    }
    emit currentRowChanged(table_.RecNo());
}

}  // namespace parlix
