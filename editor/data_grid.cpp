#include "editor/data_grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

const char* const kDeleteQuestion = "Datensatz löschen?";
constexpr int kIndicatorWidth = 14;
constexpr int kEditButtonWidth = 16;

bool IsPlainKey(const QKeyEvent* event, int key, Qt::KeyboardModifiers modifiers) {
    return event->key() == key && (event->modifiers() & ~Qt::KeypadModifier) == modifiers;
}

// Edits a cell in a line edit that takes only what the field can hold, hands every change to
// the table at once, and paints the ellipsis button of the current cell.
class CellDelegate : public QStyledItemDelegate {
  public:
    explicit CellDelegate(DataGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                          const QModelIndex& index) const override {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const int size = grid_->DataSource() ? grid_->DataSource()->FieldSize(index.column()) : 0;
        if (size > 0) {
            editor->setMaxLength(size);
        }
        auto* validator = new Cp1252Validator(editor);
        editor->setValidator(validator);

        QPersistentModelIndex target(index);
        DataGrid* grid = grid_;
        QObject::connect(editor, &QLineEdit::textEdited, grid, [grid, target](const QString& text) {
            if (target.isValid() && grid->model() != nullptr) {
                grid->model()->setData(target, text);
            }
        });
        QObject::connect(editor, &QLineEdit::inputRejected, editor, [editor, validator, size] {
            QString reason = validator->RejectionText();
            if (reason.isEmpty()) {
                reason = QStringLiteral("Das Feld nimmt höchstens %1 Zeichen auf.").arg(size);
            }
            QToolTip::showText(editor->mapToGlobal(QPoint(0, editor->height())), reason, editor);
        });
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* lineEdit = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (lineEdit->text() != text) {  // keeps the caret while the user types
            lineEdit->setText(text);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        // Every change went to the table as it was typed; this only catches up on one that
        // came by another way. An unchanged text changes nothing.
        model->setData(index, static_cast<QLineEdit*>(editor)->text());
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override {
        QRect rect = option.rect;
        if (grid_->ShowsEditButton(index)) {
            rect.setRight(grid_->EditButtonRect(index).left() - 1);
        }
        editor->setGeometry(rect);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!grid_->ShowsEditButton(index)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect button = grid_->EditButtonRect(index);
        QStyleOptionViewItem cell = option;
        cell.rect.setRight(button.left() - 1);
        QStyledItemDelegate::paint(painter, cell, index);

        QStyleOptionButton look;
        look.initFrom(grid_);
        look.rect = button;
        look.text = QStringLiteral("…");
        look.state = QStyle::State_Enabled |
                     (grid_->EditButtonDown(index) ? QStyle::State_Sunken : QStyle::State_Raised);
        grid_->style()->drawControl(QStyle::CE_PushButton, &look, painter, grid_);
    }

    bool eventFilter(QObject* object, QEvent* event) override {
        // The record keys work in the editor too; Ctrl+Delete would otherwise delete a word.
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsPlainKey(key, Qt::Key_Delete, Qt::ControlModifier)) {
                grid_->DeleteRecord();
                return true;
            }
            if (IsPlainKey(key, Qt::Key_Insert, Qt::NoModifier)) {
                grid_->AppendRecord();
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    DataGrid* grid_;
};

}  // namespace

DataGrid::DataGrid(Dialogs& dialogs, QWidget* parent) : QTableView(parent), dialogs_(dialogs) {
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    titles->setDefaultSectionSize(kDefaultColumnWidth);
    titles->setMinimumSectionSize(8);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(titles, &QHeaderView::sectionClicked, this, [this](int column) {
        emit titleClick(column);
        ShowOrder();  // the header turned its mark on the click; the table's order decides
    });
    connect(
        titles, &QHeaderView::sectionResized, this,
        [this](int column, int /*oldWidth*/, int newWidth) { ColumnResized(column, newWidth); });

    QHeaderView* indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setSectionsClickable(false);
    indicator->setDefaultAlignment(Qt::AlignCenter);
    indicator->setFixedWidth(kIndicatorWidth);
    indicator->setDefaultSectionSize(fontMetrics().height() + 5);
}

template <typename Body>
void DataGrid::Run(Body&& body) {
    RunHandler(dialogs_, this, std::forward<Body>(body));
}

void DataGrid::SetDataSource(TableModel* source) {
    if (source_ != nullptr) {
        disconnect(source_, nullptr, this, nullptr);
    }
    source_ = source;
    setModel(source);
    columnNames_.clear();
    columns_.clear();
    if (source == nullptr) {
        return;
    }
    // The header resets its sections on a model reset; the grid's columns are put back after.
    // The current cell's column is kept for the row the cursor is on after the reset.
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        applying_ = true;
        if (currentIndex().isValid()) {
            columnBeforeReset_ = currentIndex().column();
        }
    });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        applying_ = false;
        SyncColumns();
        ApplyColumns();
        ShowOrder();
        // The scroll range follows the new row count now, not at the next layout: scrolled far
        // down in many rows, a reset to fewer would otherwise paint every row's header once.
        updateGeometries();
    });
    connect(source, &TableModel::currentRowChanged, this, &DataGrid::FollowCursor);
    connect(source, &TableModel::stateChanged, this, &DataGrid::CloseEditorAfterEdit);
    SyncColumns();
    ApplyColumns();
    FollowCursor(source->CurrentRow());
}

// ---------------------------------------------------------------------------------------------
// Columns

void DataGrid::SyncColumns() {
    const QStringList names = source_ != nullptr ? source_->FieldNames() : QStringList();
    if (names != columnNames_) {
        RebuildColumns(names);
    }
}

void DataGrid::RebuildColumns() {
    RebuildColumns(source_ != nullptr ? source_->FieldNames() : QStringList());
}

void DataGrid::RebuildColumns(const QStringList& names) {
    columnNames_ = names;
    columns_.assign(static_cast<std::size_t>(names.size()), Column{});
    ApplyColumns();
}

void DataGrid::ApplyColumns() {
    if (model() == nullptr) {
        return;
    }
    const bool wasApplying = applying_;
    applying_ = true;
    const int shown = std::min(static_cast<int>(columns_.size()), model()->columnCount());
    for (int i = 0; i < shown; ++i) {
        const Column& column = columns_[static_cast<std::size_t>(i)];
        setColumnHidden(i, !column.visible);
        if (column.visible) {
            setColumnWidth(i, column.width);
        }
    }
    applying_ = wasApplying;
    viewport()->update();
}

void DataGrid::ColumnResized(int column, int newWidth) {
    // A width the user drags is the column's width from now on.
    if (applying_ || !ValidColumn(column) || isColumnHidden(column)) {
        return;
    }
    Column& entry = columns_[static_cast<std::size_t>(column)];
    if (entry.visible) {
        entry.width = newWidth;
    }
}

int DataGrid::ColumnCount() {
    SyncColumns();
    return static_cast<int>(columns_.size());
}

int DataGrid::ColumnWidth(int column) {
    SyncColumns();
    if (!ValidColumn(column)) {
        return 0;
    }
    const Column& entry = columns_[static_cast<std::size_t>(column)];
    return entry.visible ? entry.width : -1;
}

void DataGrid::SetColumnWidth(int column, int width) {
    SyncColumns();
    if (!ValidColumn(column)) {
        return;
    }
    columns_[static_cast<std::size_t>(column)].width = std::max(width, 0);
    ApplyColumns();
}

bool DataGrid::ColumnVisible(int column) {
    SyncColumns();
    return ValidColumn(column) && columns_[static_cast<std::size_t>(column)].visible;
}

void DataGrid::SetColumnVisible(int column, bool visible) {
    SyncColumns();
    if (!ValidColumn(column)) {
        return;
    }
    columns_[static_cast<std::size_t>(column)].visible = visible;
    ApplyColumns();
}

bool DataGrid::ColumnButton(int column) {
    SyncColumns();
    return ValidColumn(column) && columns_[static_cast<std::size_t>(column)].button;
}

void DataGrid::SetColumnButton(int column, bool button) {
    SyncColumns();
    if (!ValidColumn(column)) {
        return;
    }
    columns_[static_cast<std::size_t>(column)].button = button;
    viewport()->update();
}

QString DataGrid::ColumnFieldName(int column) {
    SyncColumns();
    return ValidColumn(column) ? columnNames_[column] : QString();
}

int DataGrid::FirstVisibleColumn() {
    for (int i = 0; i < ColumnCount(); ++i) {
        if (ColumnVisible(i)) {
            return i;
        }
    }
    return -1;
}

int DataGrid::ClientWidth() const {
    int width = this->width() - 2 * frameWidth();
    if (verticalScrollBar()->isVisibleTo(this)) {
        width -= verticalScrollBar()->width();
    }
    return width;
}

void DataGrid::ShowOrder() {
    const PtfTable* table = source_ != nullptr ? &source_->Table() : nullptr;
    const int column = table != nullptr && table->IsActive() && !table->IndexFieldNames().empty()
                           ? table->FieldIndex(table->IndexFieldNames())
                           : -1;
    QHeaderView* titles = horizontalHeader();
    titles->setSortIndicatorShown(column >= 0);
    titles->setSortIndicator(column, Qt::AscendingOrder);
}

// ---------------------------------------------------------------------------------------------
// The ellipsis button

bool DataGrid::ShowsEditButton(const QModelIndex& index) const {
    return index.isValid() && index == currentIndex() && ValidColumn(index.column()) &&
           columns_[static_cast<std::size_t>(index.column())].button &&
           columns_[static_cast<std::size_t>(index.column())].visible;
}

QRect DataGrid::EditButtonRect(const QModelIndex& index) const {
    const QRect cell = visualRect(index);
    const int width = std::min(kEditButtonWidth, cell.width());
    return QRect(cell.right() - width + 1, cell.top(), width, cell.height());
}

void DataGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && ShowsEditButton(index) &&
        EditButtonRect(index).contains(event->position().toPoint())) {
        buttonPressed_ = index;
        viewport()->update(visualRect(index));
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void DataGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (buttonPressed_.isValid()) {
        const QModelIndex pressed = buttonPressed_;
        buttonPressed_ = QPersistentModelIndex();
        viewport()->update(visualRect(pressed));
        event->accept();
        if (EditButtonRect(pressed).contains(event->position().toPoint())) {
            emit editButtonClick();
        }
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Keys and the current record

void DataGrid::keyPressEvent(QKeyEvent* event) {
    const int lastRow = model() != nullptr ? model()->rowCount() - 1 : -1;
    if (IsPlainKey(event, Qt::Key_Insert, Qt::NoModifier)) {
        AppendRecord();
    } else if (IsPlainKey(event, Qt::Key_Delete, Qt::ControlModifier)) {
        DeleteRecord();
    } else if (IsPlainKey(event, Qt::Key_Escape, Qt::NoModifier)) {
        CancelRecord();
    } else if (IsPlainKey(event, Qt::Key_Down, Qt::NoModifier) && currentIndex().row() == lastRow) {
        AppendRecord();
    } else if ((IsPlainKey(event, Qt::Key_Return, Qt::ControlModifier) ||
                IsPlainKey(event, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier)) &&
               ShowsEditButton(currentIndex())) {
        emit editButtonClick();
    } else if (lastRow < 0 && !event->text().isEmpty() && event->text().at(0).isPrint() &&
               (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0) {
        // Typing into an empty table starts its first record.
        AppendRecord();
        if (model() != nullptr && model()->rowCount() > 0) {
            QTableView::keyPressEvent(event);
        }
    } else {
        QTableView::keyPressEvent(event);
    }
}

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QModelIndex current = currentIndex();
    if (action != MoveNext || model() == nullptr || !current.isValid() ||
        current.row() != model()->rowCount() - 1) {
        return QTableView::moveCursor(action, modifiers);
    }
    for (int column = current.column() + 1; column < model()->columnCount(); ++column) {
        if (!isColumnHidden(column)) {
            return QTableView::moveCursor(action, modifiers);  // a cell to the right is left
        }
    }
    AppendRecord();
    const int lastRow = model()->rowCount() - 1;
    if (lastRow == current.row()) {
        return current;  // no new record: stay
    }
    return model()->index(lastRow, FirstVisibleColumn());
}

bool DataGrid::focusNextPrevChild(bool next) {
    // Hiding the grid (a save, a build) hands the focus on through this; only a shown grid
    // moves its current cell, and never on to a new record.
    return isVisible() ? QTableView::focusNextPrevChild(next) : QWidget::focusNextPrevChild(next);
}

void DataGrid::AppendRecord() {
    if (source_ == nullptr) {
        return;
    }
    PtfTable& table = source_->Table();
    if (!table.IsActive() || (table.State() == TableState::Insert && !table.Modified())) {
        return;
    }
    Run([&] { table.Append(); });
}

void DataGrid::DeleteRecord() {
    // Only a record the grid shows: a filter may hide the current one.
    if (source_ == nullptr || !source_->Table().IsActive() || source_->CurrentRow() < 0) {
        return;
    }
    Run([&] {
        if (dialogs_.ShowMessage(this, MessageKind::Confirmation, kDeleteQuestion,
                                 MessageButtons::OkCancel) == MessageAnswer::Ok) {
            source_->Table().Delete();
        }
    });
}

void DataGrid::CancelRecord() {
    if (source_ != nullptr) {
        Run([&] { source_->revert(); });
    }
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);  // hands an open editor's text over first
    // While a row is removed, Qt moves the current cell by the rows as they were, which no
    // longer name the same records: the table's cursor, which stays in place, is followed.
    if (following_ || source_ == nullptr || !current.isValid() || source_->RemovingRow()) {
        return;
    }
    if (source_->Table().IsActive() && current.row() != source_->CurrentRow()) {
        // Leaving a row stores its changes; a new record without any entry is dropped.
        Run([&] { source_->MoveToRow(current.row()); });
        FollowCursor(source_->CurrentRow());
    }
}

void DataGrid::FollowCursor(int row) {
    if (model() == nullptr || row < 0 || row >= model()->rowCount()) {
        return;
    }
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row) {
        return;
    }
    int column = current.isValid() ? current.column() : columnBeforeReset_;
    if (!ValidColumn(column) || !columns_[static_cast<std::size_t>(column)].visible) {
        column = FirstVisibleColumn();
    }
    if (column < 0) {
        return;
    }
    following_ = true;
    setCurrentIndex(model()->index(row, column));
    following_ = false;
}

void DataGrid::CloseEditorAfterEdit() {
    // Once the record is stored or dropped, an open editor would show a stale text.
    if (source_ == nullptr || state() != QAbstractItemView::EditingState) {
        return;
    }
    const TableState tableState = source_->Table().State();
    if (tableState == TableState::Edit || tableState == TableState::Insert) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

}  // namespace parlix
