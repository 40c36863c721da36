#include "exchange/import_report.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <vector>

#include "exchange/exchange.h"
#include "ui/look.h"
#include "ui/plan_dialog.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;
constexpr int kShownLines = 12;  // the list as high as its lines, up to a dozen

}  // namespace

TfmImportReport::TfmImportReport(const exchange::ImportPlan& plan, const QString& targetName,
                                 QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("fmImportReport"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Importieren"));
    setModal(true);

    const QString path = QString::fromStdString(plan.file);
    lbFile = new QLabel(QStringLiteral("Datei: ") + QFileInfo(path).fileName(), this);
    lbFile->setToolTip(path);

    auto* counts = new QFormLayout;
    counts->setFormAlignment(Qt::AlignLeft);
    lbNew = CountLabel(this, "lbNew", static_cast<std::size_t>(plan.NewCount()));
    lbChanged = CountLabel(this, "lbChanged", static_cast<std::size_t>(plan.ChangedCount()));
    lbUnchanged = CountLabel(this, "lbUnchanged", plan.unchanged.size());
    lbUnknown = CountLabel(this, "lbUnknown", plan.unknown.size());
    lbRefused = CountLabel(this, "lbRefused", plan.refused.size());
    lbUntranslated =
        CountLabel(this, "lbUntranslated", static_cast<std::size_t>(plan.UntranslatedCount()));
    lbDrafts = CountLabel(this, "lbDrafts", static_cast<std::size_t>(plan.DraftCount()));
    counts->addRow(QStringLiteral("Neu übersetzt:"), lbNew);
    counts->addRow(QStringLiteral("Geändert:"), lbChanged);
    counts->addRow(QStringLiteral("Unverändert:"), lbUnchanged);
    counts->addRow(QStringLiteral("Unbekannt (nicht übernommen):"), lbUnknown);
    counts->addRow(QStringLiteral("Abgelehnt (nicht übernommen):"), lbRefused);
    counts->addRow(QStringLiteral("Unübersetzt (nicht übernommen):"), lbUntranslated);
    counts->addRow(QStringLiteral("Zu prüfen (als Entwurf übernommen):"), lbDrafts);

    sgUnits =
        PlanLines(this, "sgUnits",
                  {QStringLiteral("Schlüssel"), QStringLiteral("Zeile"), QStringLiteral("Grund")});
    FillUnits(plan);

    const auto written = static_cast<int>(plan.changes.size());
    const int drafts = plan.DraftCount();
    QString summary = QStringLiteral("Die Datei ändert nichts an der Tabelle.");
    if (written > 0 || drafts > 0) {
        summary = QStringLiteral("„Übernehmen“ schreibt %1 %2 in die Spalte „%3“")
                      .arg(written)
                      .arg(written == 1 ? QStringLiteral("Text") : QStringLiteral("Texte"))
                      .arg(targetName);
        if (drafts > 0) {
            summary += QStringLiteral(" und markiert %1 als zu prüfen")
                           .arg(drafts == 1 ? QStringLiteral("eine Zeile")
                                            : QStringLiteral("%1 Zeilen").arg(drafts));
        }
        summary += QStringLiteral(
            ", in einem Schritt rückgängig zu machen. In die Datei kommt es "
            "erst mit „Speichern“.");
    }
    lbSummary = new QLabel(summary, this);
    lbSummary->setObjectName(QStringLiteral("lbSummary"));
    lbSummary->setWordWrap(true);

    const PlanButtons buttons =
        LayOutPlanDialog(*this, lbFile, counts, sgUnits, lbSummary, kShownLines);
    btApply = buttons.apply;
    btCancel = buttons.cancel;
    btApply->setEnabled(plan.HasChanges());
    btApply->setDefault(plan.HasChanges());
    (plan.HasChanges() ? btApply : btCancel)->setFocus();
    resize(560, minimumSizeHint().height());
}

void TfmImportReport::FillUnits(const exchange::ImportPlan& plan) {
    struct Listed {
        const exchange::ImportUnit* unit;
        QString reason;
    };
    std::vector<Listed> units;
    units.reserve(plan.unknown.size() + plan.refused.size() + plan.heldBack.size() +
                  static_cast<std::size_t>(plan.DraftCount()));
    for (const exchange::RefusedUnit& unit : plan.refused) {
        units.push_back(
            {&unit, QStringLiteral("abgelehnt: ") + QString::fromStdString(unit.detail)});
    }
    for (const exchange::HeldBackUnit& unit : plan.heldBack) {
        units.push_back(
            {&unit, QStringLiteral("unübersetzt: ") + QString::fromStdString(unit.markedAs)});
    }
    auto draft = [&units](const exchange::ImportUnit& unit) {
        if (!unit.draft.empty()) {
            units.push_back({&unit, QStringLiteral("zu prüfen: Entwurf, ") +
                                        QString::fromStdString(unit.draft)});
        }
    };
    std::for_each(plan.changes.begin(), plan.changes.end(), draft);
    std::for_each(plan.unchanged.begin(), plan.unchanged.end(), draft);
    for (const exchange::ImportUnit& unit : plan.unknown) {
        units.push_back(
            {&unit, QStringLiteral("unbekannt: keine Zeile der Tabelle hat diesen Schlüssel")});
    }
    std::stable_sort(units.begin(), units.end(),
                     [](const Listed& a, const Listed& b) { return a.unit->line < b.unit->line; });
    const auto listed = static_cast<int>(std::min<std::size_t>(units.size(), kListedUnits));
    const bool more = units.size() > kListedUnits;
    sgUnits->setRowCount(listed + (more ? 1 : 0));
    for (int row = 0; row < listed; ++row) {
        const Listed& at = units[static_cast<std::size_t>(row)];
        sgUnits->setItem(row, 0, ReadOnlyCell(QString::fromStdString(at.unit->key)));
        sgUnits->setItem(row, 1, ReadOnlyCell(QString::number(at.unit->line)));
        sgUnits->setItem(row, 2, ReadOnlyCell(at.reason));
    }
    if (more) {
        sgUnits->setItem(
            listed, 0,
            ReadOnlyCell(QStringLiteral("... und %1 weitere").arg(units.size() - kListedUnits)));
    }
    sgUnits->setColumnWidth(0, 200);
    sgUnits->resizeColumnToContents(1);
}

}  // namespace parlix
