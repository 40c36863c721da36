#include "check/checks_panel.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLocale>
#include <QScrollBar>
#include <QTreeView>
#include <cstdint>

#include "table/errors.h"
#include "ui/look.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

constexpr int kFirstRowNumber = 1;  // the grid counts its rows from 1
constexpr int kRowColumn = 0;
constexpr int kMessageColumn = 1;

QString Number(int number) {
    return QLocale().toString(number);
}

}  // namespace

QString ChecksSummary(const check::CheckResult& result) {
    QStringList parts;
    if (result.records > 0) {
        for (std::size_t language = 0; language < result.languages.size(); ++language) {
            const std::int64_t percent =
                std::int64_t{result.translated[language]} * 100 / result.records;
            QString part = QStringLiteral("%1 %2 %").arg(FromCp1252(result.languages[language]),
                                                         Number(static_cast<int>(percent)));
            if (language == 1 && result.toReview > 0) {
                part += QStringLiteral(" (%1 zu prüfen)").arg(Number(result.toReview));
            }
            parts << part;
        }
    }
    parts << QStringLiteral("%1 Fehler").arg(Number(result.errors));
    parts << (result.warnings == 1 ? QStringLiteral("1 Warnung")
                                   : QStringLiteral("%1 Warnungen").arg(Number(result.warnings)));
    return parts.join(QStringLiteral("   "));
}

// The findings of the panel's last check as a list model. Messages are made only for the lines
// a view asks for, so that a result of a hundred thousand findings is shown at once.
class FindingsModel : public QAbstractTableModel {
  public:
    explicit FindingsModel(ChecksPanel& panel)
        : QAbstractTableModel(&panel),
          panel_(panel),
          error_(ThemeIcon(panel, "dialog-error", QStyle::SP_MessageBoxCritical)),
          warning_(ThemeIcon(panel, "dialog-warning", QStyle::SP_MessageBoxWarning)) {}

    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(panel_.Result().findings.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 2;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
            return {};
        }
        const check::Finding& finding =
            panel_.Result().findings[static_cast<std::size_t>(index.row())];
        if (index.column() == kRowColumn) {
            if (role == Qt::DisplayRole) {
                return ChecksPanel::RowText(finding);
            }
            if (role == Qt::DecorationRole) {
                return finding.severity == check::Severity::Error ? error_ : warning_;
            }
            if (role == Qt::ToolTipRole) {
                return finding.severity == check::Severity::Error ? QStringLiteral("Fehler")
                                                                  : QStringLiteral("Warnung");
            }
        } else if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            return panel_.Message(finding);
        }
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
            return {};
        }
        return section == kRowColumn ? QStringLiteral("Zeile") : QStringLiteral("Meldung");
    }

  private:
    ChecksPanel& panel_;
    QIcon error_;
    QIcon warning_;
};

ChecksPanel::ChecksPanel(QWidget* parent) : QDockWidget(QStringLiteral("Prüfungen"), parent) {
    setObjectName(QStringLiteral("dwChecks"));
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    model_ = new FindingsModel(*this);

    lvFindings = new QTreeView(this);
    lvFindings->setObjectName(QStringLiteral("lvFindings"));
    lvFindings->setModel(model_);
    lvFindings->setRootIsDecorated(false);
    lvFindings->setItemsExpandable(false);
    lvFindings->setUniformRowHeights(true);  // lays out any number of lines without asking each
    lvFindings->setAllColumnsShowFocus(true);
    lvFindings->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFindings->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFindings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFindings->setTextElideMode(Qt::ElideRight);
    lvFindings->header()->setStretchLastSection(true);
    lvFindings->header()->setSectionsMovable(false);
    lvFindings->setColumnWidth(kRowColumn, lvFindings->fontMetrics().horizontalAdvance(
                                               QStringLiteral("Zeile %1").arg(Number(1000000))) +
                                               lvFindings->iconSize().width() + 32);
    connect(lvFindings, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { Activate(index.row()); });
    setWidget(lvFindings);

    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ChecksPanel::Refresh);
}

ChecksPanel::~ChecksPanel() {
    if (table_ != nullptr) {
        table_->RemoveObserver(this);
    }
}

void ChecksPanel::Bind(PtfTable* table, std::function<check::UnitContext()> unit,
                       const review::SourceMemory* marks) {
    if (table_ != nullptr) {
        table_->RemoveObserver(this);
    }
    table_ = table;
    unit_ = std::move(unit);
    marks_ = marks;
    if (table_ != nullptr) {
        table_->AddObserver(this);
    }
    Refresh();
}

void ChecksPanel::TableChanged(PtfTable& /*table*/, TableChange change, int /*row*/) {
    // A move of the cursor or the start of an edit changes no value.
    if (change != TableChange::Cursor && change != TableChange::State) {
        ScheduleRefresh();
    }
}

void ChecksPanel::ScheduleRefresh() {
    if (!timer_.isActive()) {
        timer_.start();
    }
}

void ChecksPanel::Refresh() {
    timer_.stop();
    check::CheckResult result;
    if (table_ != nullptr && table_->IsActive()) {
        try {
            result =
                check::CheckTranslations(*table_, unit_ ? unit_() : check::UnitContext{}, marks_);
        } catch (const PtfError&) {
            result = {};  // a table without the language columns has nothing to check
        }
    }

    // The list keeps its place: the same line (now perhaps the next finding) and scroll.
    const int line = lvFindings->currentIndex().row();
    const int scrolled = lvFindings->verticalScrollBar()->value();
    model_->BeginReset();
    result_ = std::move(result);
    rowsWithFindings_.assign(
        table_ != nullptr && table_->IsActive() ? static_cast<std::size_t>(table_->RowCount()) : 0,
        false);
    for (const check::Finding& finding : result_.findings) {
        if (finding.row >= 0 && static_cast<std::size_t>(finding.row) < rowsWithFindings_.size()) {
            rowsWithFindings_[static_cast<std::size_t>(finding.row)] = true;
        }
    }
    model_->EndReset();
    const int lines = model_->rowCount();
    if (line >= 0 && lines > 0) {
        lvFindings->selectionModel()->setCurrentIndex(
            model_->index(std::min(line, lines - 1), kRowColumn),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    lvFindings->verticalScrollBar()->setValue(scrolled);
    emit findingsChanged();
}

bool ChecksPanel::HasFinding(int row) const {
    return row >= 0 && static_cast<std::size_t>(row) < rowsWithFindings_.size() &&
           rowsWithFindings_[static_cast<std::size_t>(row)];
}

QString ChecksPanel::RowText(const check::Finding& finding) {
    return finding.row < 0 ? QStringLiteral("Projekt")
                           : QStringLiteral("Zeile %1").arg(Number(finding.row + kFirstRowNumber));
}

QString ChecksPanel::Message(const check::Finding& finding) const {
    return QString::fromStdString(check::GermanMessage(finding, result_, kFirstRowNumber));
}

void ChecksPanel::Activate(int line) {
    if (line < 0 || static_cast<std::size_t>(line) >= result_.findings.size() || !jump_) {
        return;
    }
    const check::Finding& finding = result_.findings[static_cast<std::size_t>(line)];
    if (finding.row >= 0) {
        jump_(finding.row, finding.column);  // a change it makes is checked later, not here
    }
}

}  // namespace parlix
