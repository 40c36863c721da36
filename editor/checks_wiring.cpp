#include "editor/checks_wiring.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "check/checks_panel.h"
#include "editor/data_grid.h"
#include "editor/edit_commands.h"
#include "editor/forms_wiring.h"
#include "editor/main_window.h"
#include "generator/unit_generator.h"
#include "project/data_module.h"
#include "search/filter_bar.h"
#include "ui/error_report.h"

namespace parlix {

namespace {

constexpr int kStatusMessageMilliseconds = 5000;
constexpr int kPanelHeight = 140;

}  // namespace

ChecksWiring::ChecksWiring(TfmMain& fmMain, Dialogs& dialogs)
    : QObject(&fmMain), fmMain_(fmMain), dialogs_(dialogs) {
    Panel = new ChecksPanel(&fmMain_);
    fmMain_.addDockWidget(Qt::BottomDockWidgetArea, Panel);
    Panel->hide();
    Panel->SetJump([this](int row, int column) {
        RunHandler(dialogs_, &fmMain_, [&] { ShowFinding(row, column); });
    });
    connect(Panel, &ChecksPanel::findingsChanged, this, &ChecksWiring::FindingsChanged);

    aShowChecks = Panel->toggleViewAction();
    aShowChecks->setObjectName(QStringLiteral("aShowChecks"));
    aShowChecks->setText(QStringLiteral("&Prüfungen"));
    aShowChecks->setProperty("category", QStringLiteral("Ansicht"));
    View1 = new QMenu(QStringLiteral("Ansicht"), fmMain_.menuBar());
    View1->setObjectName(QStringLiteral("View1"));
    fmMain_.menuBar()->insertMenu(fmMain_.Project1->menuAction(), View1);
    View1->addAction(aShowChecks);

    lbChecks = new QLabel(&fmMain_);
    lbChecks->setObjectName(QStringLiteral("lbChecks"));
    fmMain_.statusBar()->addPermanentWidget(lbChecks);

    fmMain_.Edit->Filter->SetFindings([this](int row) { return Panel->HasFinding(row); });
}

void ChecksWiring::ConnectDataModule(Tdm1* dm1) {
    dm1_ = dm1;
    if (dm1_ == nullptr) {
        Panel->Bind(nullptr, {});
        return;
    }
    Panel->Bind(
        &dm1_->cdsTranslations,
        [this] {
            return check::UnitContext{UnitNameFor(dm1_->State.SourceFileName), dm1_->State.UsesList,
                                      fmMain_.Forms->Current()};
        },
        &dm1_->Marks);
}

void ChecksWiring::ProjectLoaded() {
    if (!shownOnce_) {
        shownOnce_ = true;
        Panel->show();
        fmMain_.resizeDocks({Panel}, {kPanelHeight}, Qt::Vertical);
    }
}

void ChecksWiring::FindingsChanged() {
    const bool open = dm1_ != nullptr && dm1_->cdsTranslations.IsActive();
    lbChecks->setText(open ? ChecksSummary(Panel->Result()) : QString());
    // The rows with a finding are chosen afresh, but not under a record being edited, which
    // would vanish from the grid; its post brings the next check.
    FilterBar& filter = *fmMain_.Edit->Filter;
    if (open && filter.CurrentChoice() == FilterBar::ShowWithFindings &&
        dm1_->cdsTranslations.State() == TableState::Browse) {
        filter.Apply();
    }
}

void ChecksWiring::ShowFinding(int row, int column) {
    if (dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    PtfTable& table = dm1_->cdsTranslations;
    TableModel& rows = *dm1_->dsTranslations;
    DataGrid& grid = *fmMain_.dbgTranslations;
    if (row < 0 || row >= table.RowCount()) {
        return;
    }
    if (rows.ViewRow(row) < 0) {
        fmMain_.statusBar()->showMessage(
            QStringLiteral("Zeile %1 ist ausgeblendet: Der Filter zeigt sie nicht.")
                .arg(QLocale().toString(row + 1)),
            kStatusMessageMilliseconds);
        return;
    }
    if (!grid.ColumnVisible(column)) {  // translate mode shows only the languages
        column = grid.currentIndex().isValid() ? grid.currentIndex().column() : -1;
        for (int first = 0; column < 0 && first < grid.ColumnCount(); ++first) {
            column = grid.ColumnVisible(first) ? first : -1;
        }
        if (column < 0) {
            return;
        }
    }
    // Leaving the current record stores it, which may move it and the rows after it in the
    // order: the record is found again by its identity.
    const bool stored = row < table.RecordCount();
    const RecordId id = stored ? table.IdAt(row) : RecordId{};
    grid.setCurrentIndex(rows.index(rows.ViewRow(row), column));
    if (stored) {
        const int now = table.RowOf(id);
        if (now >= 0 && now != table.RecNo()) {
            table.MoveTo(now);
        }
    }
    const QModelIndex cell = rows.index(rows.CurrentRow(), column);
    if (cell.isValid()) {
        grid.setCurrentIndex(cell);
        grid.scrollTo(cell);
        grid.setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace parlix
