#include "editor/record_navigator.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/table_model.h"

namespace parlix {

namespace {

const char* const kDeleteQuestion = "Datensatz löschen?";

const char* const kTooltips[RecordNavigator::kButtonCount] = {
    "Erster Datensatz",     "Vorheriger Datensatz", "Nächster Datensatz",   "Letzter Datensatz",
    "Datensatz einfügen",   "Datensatz löschen",    "Datensatz bearbeiten", "Übernehmen",
    "Bearbeiten abbrechen", "Daten aktualisieren",
};

// The button's picture, drawn on a 16 x 16 grid.
void DrawGlyph(QPainter& painter, RecordNavigator::Button button) {
    auto triangle = [&painter](QPointF a, QPointF b, QPointF c) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(c);
        path.closeSubpath();
        painter.fillPath(path, painter.pen().color());
    };
    const QColor ink = painter.pen().color();
    switch (button) {
        case RecordNavigator::nbFirst:
            painter.fillRect(QRectF(3, 4, 2, 8), ink);
            triangle({12, 3.5}, {12, 12.5}, {5.5, 8});
            break;
        case RecordNavigator::nbPrior:
            triangle({10.5, 3.5}, {10.5, 12.5}, {4, 8});
            break;
        case RecordNavigator::nbNext:
            triangle({5.5, 3.5}, {5.5, 12.5}, {12, 8});
            break;
        case RecordNavigator::nbLast:
            triangle({4, 3.5}, {4, 12.5}, {10.5, 8});
            painter.fillRect(QRectF(11, 4, 2, 8), ink);
            break;
        case RecordNavigator::nbInsert:
            painter.fillRect(QRectF(7, 3, 2, 10), ink);
            painter.fillRect(QRectF(3, 7, 10, 2), ink);
            break;
        case RecordNavigator::nbDelete:
            painter.fillRect(QRectF(3, 7, 10, 2), ink);
            break;
        case RecordNavigator::nbEdit:
            triangle({3.5, 11}, {12.5, 11}, {8, 4.5});
            break;
        case RecordNavigator::nbPost: {
            QPainterPath check;
            check.moveTo(3, 8.5);
            check.lineTo(6.5, 12);
            check.lineTo(13, 4.5);
            painter.strokePath(check, QPen(ink, 2));
            break;
        }
        case RecordNavigator::nbCancel:
            painter.setPen(QPen(ink, 2));
            painter.drawLine(QPointF(4, 4), QPointF(12, 12));
            painter.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        case RecordNavigator::nbRefresh:
            painter.setPen(QPen(ink, 1.6));
            painter.drawArc(QRectF(3.5, 3.5, 9, 9), 60 * 16, 280 * 16);
            triangle({10, 1.5}, {13.5, 5}, {9, 6});
            break;
    }
}

QPixmap GlyphPixmap(RecordNavigator::Button button, const QColor& ink, qreal scale) {
    QPixmap pixmap(QSize(16, 16) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(ink);
    DrawGlyph(painter, button);
    return pixmap;
}

// One picture for the enabled and one for the disabled look.
QIcon GlyphIcon(RecordNavigator::Button button, const QPalette& palette) {
    QIcon icon;
    for (qreal scale : {1.0, 2.0}) {
        icon.addPixmap(
            GlyphPixmap(button, palette.color(QPalette::Active, QPalette::ButtonText), scale),
            QIcon::Normal);
        icon.addPixmap(
            GlyphPixmap(button, palette.color(QPalette::Disabled, QPalette::ButtonText), scale),
            QIcon::Disabled);
    }
    return icon;
}

}  // namespace

RecordNavigator::RecordNavigator(Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
    for (int i = 0; i < kButtonCount; ++i) {
        const auto button = static_cast<Button>(i);
        auto* tool = new QToolButton(this);
        tool->setToolTip(QString::fromUtf8(kTooltips[i]));
        tool->setIcon(GlyphIcon(button, palette()));
        tool->setIconSize(QSize(16, 16));
        tool->setFocusPolicy(Qt::NoFocus);  // an open cell editor stays where it is
        connect(tool, &QToolButton::clicked, this, [this, button] { Click(button); });
        buttons_[i] = tool;
        visible_[i] = button != nbRefresh;
    }
    LayoutButtons();
    UpdateButtons();
}

void RecordNavigator::SetDataSource(TableModel* source) {
    if (source_ != nullptr) {
        disconnect(source_, nullptr, this, nullptr);
    }
    source_ = source;
    if (source != nullptr) {
        connect(source, &TableModel::currentRowChanged, this, &RecordNavigator::UpdateButtons);
        connect(source, &TableModel::stateChanged, this, &RecordNavigator::UpdateButtons);
        connect(source, &QAbstractItemModel::modelReset, this, &RecordNavigator::UpdateButtons);
        connect(source, &QObject::destroyed, this, [this] { source_ = nullptr; });
    }
    UpdateButtons();
}

void RecordNavigator::SetButtonVisible(Button button, bool visible) {
    visible_[button] = visible;
    LayoutButtons();
}

int RecordNavigator::VisibleButtonCount() const {
    int count = 0;
    for (bool visible : visible_) {
        count += visible ? 1 : 0;
    }
    return count;
}

void RecordNavigator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutButtons();
}

void RecordNavigator::LayoutButtons() {
    const int count = VisibleButtonCount();
    if (count == 0) {
        for (QToolButton* button : buttons_) {
            button->hide();
        }
        return;
    }
    // The visible buttons share the width; the pixels left over go to the first ones.
    const int width = this->width() / count;
    int extra = this->width() - width * count;
    int x = 0;
    for (int i = 0; i < kButtonCount; ++i) {
        QToolButton* button = buttons_[i];
        if (!visible_[i]) {
            button->hide();
            continue;
        }
        const int w = width + (extra > 0 ? 1 : 0);
        extra -= extra > 0 ? 1 : 0;
        button->setGeometry(x, 0, w, height());
        button->show();
        x += w;
    }
}

void RecordNavigator::UpdateButtons() {
    const PtfTable* table = source_ != nullptr ? &source_->Table() : nullptr;
    const bool active = table != nullptr && table->IsActive();
    const bool editing =
        active && (table->State() == TableState::Edit || table->State() == TableState::Insert);
    // While a filter hides rows, the moves go from shown row to shown row.
    const bool filtered = active && source_->Filtered();
    const int row = filtered ? source_->CurrentRow() : -1;
    const bool canGoBack = filtered ? row > 0 : active && !table->AtBegin();
    const bool canGoOn = filtered ? row + 1 < source_->rowCount() : active && !table->AtEnd();
    // Row commands act only on a row the grid shows: a filter may hide the current record.
    const bool currentShown = active && source_->CurrentRow() >= 0;

    buttons_[nbFirst]->setEnabled(canGoBack);
    buttons_[nbPrior]->setEnabled(canGoBack);
    buttons_[nbNext]->setEnabled(canGoOn);
    buttons_[nbLast]->setEnabled(canGoOn);
    buttons_[nbInsert]->setEnabled(active);
    buttons_[nbDelete]->setEnabled(currentShown);
    // On an empty table, Edit starts the first record.
    buttons_[nbEdit]->setEnabled(!editing && (currentShown || (active && table->RowCount() == 0)));
    buttons_[nbPost]->setEnabled(editing);
    buttons_[nbCancel]->setEnabled(editing);
    buttons_[nbRefresh]->setEnabled(active);
}

void RecordNavigator::Click(Button button) {
    if (source_ == nullptr || !source_->Table().IsActive()) {
        return;
    }
    PtfTable& table = source_->Table();
    TableModel& rows = *source_;
    RunHandler(dialogs_, this, [&] {
        const bool filtered = rows.Filtered();
        switch (button) {
            case nbFirst:
                filtered ? rows.MoveToRow(0) : table.First();
                break;
            case nbPrior:
                filtered ? rows.MoveToRow(std::max(rows.CurrentRow() - 1, 0)) : table.Prior();
                break;
            case nbNext:
                filtered ? rows.MoveToRow(rows.CurrentRow() + 1) : table.Next();
                break;
            case nbLast:
                filtered ? rows.MoveToRow(rows.rowCount() - 1) : table.Last();
                break;
            case nbInsert:
                table.Append();
                break;
            case nbDelete:
                if (rows.CurrentRow() >= 0 &&
                    dialogs_.ShowMessage(this, MessageKind::Confirmation, kDeleteQuestion,
                                         MessageButtons::OkCancel) == MessageAnswer::Ok) {
                    table.Delete();
                }
                break;
            case nbEdit:
                if (rows.CurrentRow() >= 0 || table.RowCount() == 0) {
                    table.Edit();
                }
                break;
            case nbPost:
                table.Post();
                break;
            case nbCancel:
                table.Cancel();
                break;
            case nbRefresh:
                break;  // the table has no outside source to read again
        }
    });
    UpdateButtons();
}

}  // namespace parlix
