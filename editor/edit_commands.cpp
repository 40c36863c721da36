#include "editor/edit_commands.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "editor/data_grid.h"
#include "editor/main_window.h"
#include "history/edit_history.h"
#include "project/data_module.h"
#include "search/filter_bar.h"
#include "search/find_dialog.h"
#include "search/table_search.h"
#include "table/text.h"
#include "ui/error_report.h"

namespace parlix {

namespace {

constexpr int kStatusMessageMilliseconds = 5000;

QString Count(int number) {
    return QLocale().toString(number);
}

}  // namespace

EditCommands::EditCommands(TfmMain& fmMain, Dialogs& dialogs)
    : QObject(&fmMain), fmMain_(fmMain), dialogs_(dialogs) {
    CreateActions();

    Filter = new FilterBar(fmMain_.Panel2);
    Filter->setObjectName(QStringLiteral("Filter"));
    Filter->setGeometry(476, 20, 262, 25);

    lbRows = new QLabel(&fmMain_);
    lbRows->setObjectName(QStringLiteral("lbRows"));
    fmMain_.statusBar()->addPermanentWidget(lbRows);
    UpdateActions();
}

EditCommands::~EditCommands() = default;

void EditCommands::CreateActions() {
    auto action = [this](const char* name, const char* text, QKeySequence shortcut) {
        auto* created = new QAction(QString::fromUtf8(text), &fmMain_);
        created->setObjectName(QString::fromLatin1(name));
        created->setProperty("category", QStringLiteral("Bearbeiten"));
        created->setShortcut(shortcut);
        fmMain_.addAction(created);
        return created;
    };
    aUndo = action("aUndo", "&Rückgängig", QKeySequence(Qt::CTRL | Qt::Key_Z));
    aRedo = action("aRedo", "&Wiederherstellen", QKeySequence(Qt::CTRL | Qt::Key_Y));
    aFilter = action("aFilter", "&Filter", QKeySequence(Qt::CTRL | Qt::Key_F));
    aFindReplace =
        action("aFindReplace", "&Suchen und Ersetzen...", QKeySequence(Qt::CTRL | Qt::Key_H));
    aNextUntranslated =
        action("aNextUntranslated", "&Nächster unübersetzter oder zu prüfender Text",
               QKeySequence(Qt::Key_F8));
    aPriorUntranslated =
        action("aPriorUntranslated", "&Vorheriger unübersetzter oder zu prüfender Text",
               QKeySequence(Qt::SHIFT | Qt::Key_F8));

    Edit1 = new QMenu(QStringLiteral("Bearbeiten"), fmMain_.menuBar());
    Edit1->setObjectName(QStringLiteral("Edit1"));
    fmMain_.menuBar()->insertMenu(fmMain_.Project1->menuAction(), Edit1);
    Edit1->addAction(aUndo);
    Edit1->addAction(aRedo);
    Edit1->addSeparator();
    Edit1->addAction(aFilter);
    Edit1->addAction(aFindReplace);
    Edit1->addSeparator();
    Edit1->addAction(aNextUntranslated);
    Edit1->addAction(aPriorUntranslated);

    auto connectAction = [this](QAction* action, auto body) {
        connect(action, &QAction::triggered, this, Handler(dialogs_, &fmMain_, [this, body] {
                    body();
                    UpdateActions();
                }));
    };
    connectAction(aUndo, [this] { aUndoExecute(); });
    connectAction(aRedo, [this] { aRedoExecute(); });
    connectAction(aFilter, [this] {
        Filter->edFilter->setFocus(Qt::ShortcutFocusReason);
        Filter->edFilter->selectAll();
    });
    connectAction(aFindReplace, [this] { aFindReplaceExecute(); });
    connectAction(aNextUntranslated, [this] { JumpToUntranslated(true); });
    connectAction(aPriorUntranslated, [this] { JumpToUntranslated(false); });
}

void EditCommands::ConnectDataModule(Tdm1* dm1) {
    if (dm1_ != nullptr) {
        dm1_->History.Changed = nullptr;
        disconnect(dm1_->dsTranslations.get(), nullptr, this, nullptr);
    }
    dm1_ = dm1;
    if (dm1_ == nullptr) {
        Filter->Bind(nullptr, {});
        return;
    }
    dm1_->History.Changed = [this] { UpdateActions(); };
    TableModel* rows = dm1_->dsTranslations.get();
    Filter->Bind(rows, [this] {
        std::vector<int> columns;
        for (int column = 0; column < fmMain_.dbgTranslations->ColumnCount(); ++column) {
            if (fmMain_.dbgTranslations->ColumnVisible(column)) {
                columns.push_back(column);
            }
        }
        return columns;
    });
    connect(rows, &QAbstractItemModel::modelReset, this, &EditCommands::UpdateStatus);
    connect(rows, &QAbstractItemModel::rowsInserted, this, &EditCommands::UpdateStatus);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &EditCommands::UpdateStatus);
    connect(rows, &TableModel::currentRowChanged, this, &EditCommands::UpdateStatus);
    UpdateActions();
}

void EditCommands::TableOpened() {
    Filter->Apply();
    UpdateActions();
}

void EditCommands::ColumnsChanged() {
    Filter->Apply();
}

void EditCommands::UpdateActions() {
    const bool bound = dm1_ != nullptr;
    aUndo->setEnabled(bound && dm1_->History.CanUndo());
    aRedo->setEnabled(bound && dm1_->History.CanRedo());
    const bool open = bound && dm1_->cdsTranslations.IsActive();
    aFindReplace->setEnabled(open);
    aNextUntranslated->setEnabled(open);
    aPriorUntranslated->setEnabled(open);
    UpdateStatus();
}

void EditCommands::UpdateStatus() {
    if (dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        lbRows->clear();
        return;
    }
    const TableModel& rows = *dm1_->dsTranslations;
    QString text = QStringLiteral("Datensätze: %1").arg(Count(dm1_->cdsTranslations.RowCount()));
    if (rows.Filtered()) {
        text += QStringLiteral("   Gefiltert: %1").arg(Count(rows.rowCount()));
    }
    const int current = rows.CurrentRow();
    if (current >= 0) {
        text += QStringLiteral("   Zeile: %1").arg(Count(current + 1));
    }
    lbRows->setText(text);
}

void EditCommands::FollowSavedState() {
    if (!dm1_->State.TranslationsFileName.empty()) {
        fmMain_.SetChangesToSave(!dm1_->History.AtSavedState());
    }
}

void EditCommands::aUndoExecute() {
    if (dm1_ != nullptr && dm1_->cdsTranslations.IsActive()) {
        dm1_->History.Undo();  // translate mode refuses taking back an insert or a delete
        FollowSavedState();
        fmMain_.MarksChanged();  // a step may have changed marks only
    }
}

void EditCommands::aRedoExecute() {
    if (dm1_ != nullptr && dm1_->cdsTranslations.IsActive()) {
        dm1_->History.Redo();
        FollowSavedState();
        fmMain_.MarksChanged();  // a step may have changed marks only
    }
}

TfmFindReplace* EditCommands::FindReplace() {
    if (findReplace_ == nullptr && dm1_ != nullptr) {
        TfmFindReplace::Hooks hooks;
        hooks.currentColumn = [this] { return fmMain_.dbgTranslations->currentIndex().column(); };
        hooks.showMatch = [this](int row, int column) { ShowCell(row, column); };
        hooks.tell = [this](const QString& text) {
            fmMain_.statusBar()->showMessage(text, kStatusMessageMilliseconds);
        };
        hooks.languageColumnsOnly = [this] { return dm1_->State.TranslateMode; };
        findReplace_ = new TfmFindReplace(*dm1_->dsTranslations, dm1_->History, dialogs_,
                                          std::move(hooks), &fmMain_);
    }
    return findReplace_;
}

void EditCommands::aFindReplaceExecute() {
    if (TfmFindReplace* dialog = FindReplace()) {
        dialog->show();
        dialog->raise();
        dialog->activateWindow();
        dialog->leFind->setFocus();
        dialog->leFind->selectAll();
    }
}

void EditCommands::ShowCell(int tableRow, int column) {
    TableModel& rows = *dm1_->dsTranslations;
    const int viewRow = rows.ViewRow(tableRow);
    if (viewRow < 0) {
        return;
    }
    DataGrid& grid = *fmMain_.dbgTranslations;
    const QModelIndex index = rows.index(viewRow, column);
    grid.setCurrentIndex(index);
    grid.scrollTo(index);
}

void EditCommands::JumpToUntranslated(bool forward) {
    if (dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    PtfTable& table = dm1_->cdsTranslations;
    const TableModel& rows = *dm1_->dsTranslations;
    const std::vector<int> shown = rows.ShownTableRows();
    const int count = static_cast<int>(shown.size());
    const int current = std::max(rows.CurrentRow(), forward ? -1 : 0);
    for (int step = 1; step <= count; ++step) {
        const int at = ((current + (forward ? step : -step)) % count + count) % count;
        const int row = shown[static_cast<std::size_t>(at)];
        const bool untranslated = RowUntranslated(table, row);
        if (!untranslated && !dm1_->Marks.NeedsReview(row)) {
            continue;
        }
        const bool wrapped = forward ? at <= current : at >= current;
        int column = translation_field::LanguageColumn(1);
        if (!untranslated || !TrimView(table.TextViewAt(row, column)).empty()) {
            column = translation_field::LanguageColumn(2);
        }
        ShowCell(row, column);
        if (wrapped) {
            fmMain_.statusBar()->showMessage(forward
                                                 ? QStringLiteral("Weiter am Anfang der Tabelle")
                                                 : QStringLiteral("Weiter am Ende der Tabelle"),
                                             kStatusMessageMilliseconds);
        }
        return;
    }
    fmMain_.statusBar()->showMessage(QStringLiteral("Kein unübersetzter oder zu prüfender Text"),
                                     kStatusMessageMilliseconds);
}

}  // namespace parlix
