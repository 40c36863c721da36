#include "editor/review_commands.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMenu>
#include <algorithm>

#include "editor/data_grid.h"
#include "editor/edit_commands.h"
#include "editor/main_window.h"
#include "history/edit_history.h"
#include "project/data_module.h"
#include "review/consistency.h"
#include "search/filter_bar.h"
#include "ui/error_report.h"

namespace parlix {

namespace {

QString Count(int number) {
    return QLocale().toString(number);
}

}  // namespace

ReviewCommands::ReviewCommands(TfmMain& fmMain, Dialogs& dialogs)
    : QObject(&fmMain), fmMain_(fmMain), dialogs_(dialogs) {
    auto action = [this](const char* name, const char* text) {
        auto* created = new QAction(QString::fromUtf8(text), &fmMain_);
        created->setObjectName(QString::fromLatin1(name));
        created->setProperty("category", QStringLiteral("Bearbeiten"));
        fmMain_.addAction(created);
        return created;
    };
    aConfirmTranslation = action("aConfirmTranslation", "Übersetzung &bestätigen");
    aConfirmTranslation->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    aFillFromTable = action("aFillFromTable", "Übersetzungen &übernehmen...");

    QMenu& menu = *fmMain_.Edit->Edit1;
    menu.addSeparator();
    menu.addAction(aConfirmTranslation);
    menu.addAction(aFillFromTable);
    connect(aConfirmTranslation, &QAction::triggered, this,
            Handler(dialogs_, &fmMain_, [this] { aConfirmTranslationExecute(); }));
    connect(aFillFromTable, &QAction::triggered, this,
            Handler(dialogs_, &fmMain_, [this] { aFillFromTableExecute(); }));

    fmMain_.Edit->Filter->SetToReview(
        [this](int row) { return dm1_ != nullptr && dm1_->Marks.NeedsReview(row); });
    UpdateActions();
}

void ReviewCommands::ConnectDataModule(Tdm1* dm1) {
    dm1_ = dm1;
    UpdateActions();
}

void ReviewCommands::UpdateActions() {
    const bool open = dm1_ != nullptr && dm1_->cdsTranslations.IsActive();
    aConfirmTranslation->setEnabled(open);
    aFillFromTable->setEnabled(open);
}

std::vector<int> ReviewCommands::SelectedRows() const {
    const TableModel& model = *dm1_->dsTranslations;
    std::vector<int> rows;
    if (const QItemSelectionModel* selection = fmMain_.dbgTranslations->selectionModel()) {
        for (const QModelIndex& index : selection->selectedIndexes()) {
            rows.push_back(model.TableRow(index.row()));
        }
    }
    rows.push_back(model.TableRow(model.CurrentRow()));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const int records = dm1_->cdsTranslations.RecordCount();
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [records](int row) { return row < 0 || row >= records; }),
               rows.end());
    return rows;
}

void ReviewCommands::aConfirmTranslationExecute() {
    if (dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    PtfTable& table = dm1_->cdsTranslations;
    table.EndEdit();  // the text as typed is what is confirmed; a step of its own
    int confirmed = 0;
    {
        HistoryStep step(dm1_->History);
        for (const int row : SelectedRows()) {
            const RecordId id = table.IdAt(row);
            if (dm1_->Marks.Marked(id)) {
                dm1_->Marks.Confirm(id);
                ++confirmed;
            }
        }
    }
    if (confirmed == 0) {
        fmMain_.ShowStatus(QStringLiteral("Nichts zu bestätigen: keine Übersetzung ist zu prüfen"));
        return;
    }
    fmMain_.SetChangesToSave(!dm1_->State.TranslationsFileName.empty());
    fmMain_.MarksChanged();
    fmMain_.ShowStatus(confirmed == 1
                           ? QStringLiteral("Übersetzung bestätigt")
                           : QStringLiteral("%1 Übersetzungen bestätigt").arg(Count(confirmed)));
}

void ReviewCommands::aFillFromTableExecute() {
    if (dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    PtfTable& table = dm1_->cdsTranslations;
    table.EndEdit();
    const review::FillPlan plan = review::PlanFill(table, &dm1_->Marks);
    if (plan.Count() == 0) {
        dialogs_.ShowInformation(
            &fmMain_, QStringLiteral("Keine Übersetzung zu übernehmen: Keine unübersetzte Zeile "
                                     "hat einen Text, der anderswo in der Tabelle übersetzt ist."));
        return;
    }
    const QString question =
        plan.Count() == 1 ? QStringLiteral(
                                "1 unübersetzte Zeile hat einen Text, der anderswo in der Tabelle "
                                "übersetzt ist. Die Übersetzung übernehmen?")
                          : QStringLiteral(
                                "%1 unübersetzte Zeilen haben einen Text, der anderswo in der "
                                "Tabelle übersetzt ist. Jeweils die häufigste Übersetzung "
                                "übernehmen?")
                                .arg(Count(plan.Count()));
    if (!dialogs_.AskYes(&fmMain_, question, MessageButtons::YesNo)) {
        return;
    }
    {
        HistoryStep step(dm1_->History);
        table.ApplyChanges(plan.changes);
    }
    fmMain_.ShowStatus(
        plan.Count() == 1 ? QStringLiteral("1 Übersetzung übernommen")
                          : QStringLiteral("%1 Übersetzungen übernommen").arg(Count(plan.Count())));
}

}  // namespace parlix
