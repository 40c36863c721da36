#include "exchange/import_report.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "exchange/exchange.h"
#include "ui/look.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;

QLabel* Count(QWidget* parent, const char* name, std::size_t count) {
    auto* label = new QLabel(QString::number(count), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QTableWidgetItem* Cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text);
    return item;
}

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
    lbNew = Count(this, "lbNew", static_cast<std::size_t>(plan.NewCount()));
    lbChanged = Count(this, "lbChanged", static_cast<std::size_t>(plan.ChangedCount()));
    lbUnchanged = Count(this, "lbUnchanged", plan.unchanged.size());
    lbUnknown = Count(this, "lbUnknown", plan.unknown.size());
    lbRefused = Count(this, "lbRefused", plan.refused.size());
    lbUntranslated =
        Count(this, "lbUntranslated", static_cast<std::size_t>(plan.UntranslatedCount()));
    lbDrafts = Count(this, "lbDrafts", static_cast<std::size_t>(plan.DraftCount()));
    counts->addRow(QStringLiteral("Neu übersetzt:"), lbNew);
    counts->addRow(QStringLiteral("Geändert:"), lbChanged);
    counts->addRow(QStringLiteral("Unverändert:"), lbUnchanged);
    counts->addRow(QStringLiteral("Unbekannt (nicht übernommen):"), lbUnknown);
    counts->addRow(QStringLiteral("Abgelehnt (nicht übernommen):"), lbRefused);
    counts->addRow(QStringLiteral("Unübersetzt (nicht übernommen):"), lbUntranslated);
    counts->addRow(QStringLiteral("Entwürfe (nicht übernommen):"), lbDrafts);

    sgUnits = new QTableWidget(0, 3, this);
    sgUnits->setObjectName(QStringLiteral("sgUnits"));
    sgUnits->setHorizontalHeaderLabels(
        {QStringLiteral("Schlüssel"), QStringLiteral("Zeile"), QStringLiteral("Grund")});
    sgUnits->verticalHeader()->hide();
    sgUnits->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgUnits->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgUnits->setWordWrap(false);
    sgUnits->horizontalHeader()->setStretchLastSection(true);
    FillUnits(plan);

    const auto written = static_cast<int>(plan.changes.size());
    QString summary =
        written == 0 ? QStringLiteral("Die Datei ändert nichts an der Tabelle.")
                     : QStringLiteral(
                           "„Übernehmen“ schreibt %1 %2 in die Spalte „%3“, in einem Schritt "
                           "rückgängig zu machen. In die Datei kommt es erst mit „Speichern“.")
                           .arg(written)
                           .arg(written == 1 ? QStringLiteral("Text") : QStringLiteral("Texte"))
                           .arg(targetName);
    lbSummary = new QLabel(summary, this);
    lbSummary->setObjectName(QStringLiteral("lbSummary"));
    lbSummary->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    btApply = buttons->addButton(QStringLiteral("Übernehmen"), QDialogButtonBox::AcceptRole);
    btApply->setObjectName(QStringLiteral("btApply"));
    btApply->setEnabled(written > 0);
    btApply->setDefault(written > 0);
    btCancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    connect(btApply, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbFile);
    layout->addLayout(counts);
    layout->addWidget(sgUnits, 1);
    layout->addWidget(lbSummary);
    layout->addWidget(buttons);
    // The list as high as its rows, up to a dozen; the dialog as high as it needs.
    const int rowHeight = sgUnits->fontMetrics().height() + 6;
    sgUnits->verticalHeader()->setDefaultSectionSize(rowHeight);
    const int shownRows = std::min(sgUnits->rowCount(), 12);
    sgUnits->setMinimumHeight(sgUnits->horizontalHeader()->sizeHint().height() +
                              shownRows * rowHeight + 2 * sgUnits->frameWidth());
    sgUnits->setVisible(sgUnits->rowCount() > 0);
    (written > 0 ? btApply : btCancel)->setFocus();
    resize(560, minimumSizeHint().height());
}

void TfmImportReport::FillUnits(const exchange::ImportPlan& plan) {
    struct Listed {
        const exchange::ImportUnit* unit;
        QString reason;
    };
    std::vector<Listed> units;
    units.reserve(plan.unknown.size() + plan.refused.size() + plan.heldBack.size());
    for (const exchange::RefusedUnit& unit : plan.refused) {
        units.push_back(
            {&unit, QStringLiteral("abgelehnt: ") + QString::fromStdString(unit.detail)});
    }
    for (const exchange::HeldBackUnit& unit : plan.heldBack) {
        units.push_back(
            {&unit, (unit.mark == exchange::TargetMark::Draft ? QStringLiteral("Entwurf: ")
                                                              : QStringLiteral("unübersetzt: ")) +
                        QString::fromStdString(unit.markedAs)});
    }
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
        sgUnits->setItem(row, 0, Cell(QString::fromStdString(at.unit->key)));
        sgUnits->setItem(row, 1, Cell(QString::number(at.unit->line)));
        sgUnits->setItem(row, 2, Cell(at.reason));
    }
    if (more) {
        sgUnits->setItem(
            listed, 0, Cell(QStringLiteral("... und %1 weitere").arg(units.size() - kListedUnits)));
    }
    sgUnits->setColumnWidth(0, 200);
    sgUnits->resizeColumnToContents(1);
}

}  // namespace parlix
