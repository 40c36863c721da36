#include "ui/plan_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace parlix {

QLabel* CountLabel(QWidget* parent, const char* name, std::size_t count) {
    auto* label = new QLabel(QString::number(count), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QTableWidgetItem* ReadOnlyCell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(text);
    return item;
}

QTableWidget* PlanLines(QWidget* parent, const char* name, const QStringList& titles) {
    auto* lines = new QTableWidget(0, static_cast<int>(titles.size()), parent);
    lines->setObjectName(QString::fromLatin1(name));
    lines->setHorizontalHeaderLabels(titles);
    lines->verticalHeader()->hide();
    lines->setSelectionBehavior(QAbstractItemView::SelectRows);
    lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lines->setWordWrap(false);
    lines->horizontalHeader()->setStretchLastSection(true);
    return lines;
}

PlanButtons LayOutPlanDialog(QDialog& dialog, QWidget* heading, QLayout* counts,
                             QTableWidget* lines, QLabel* summary, int shownLines) {
    auto* buttons = new QDialogButtonBox(&dialog);
    PlanButtons made{buttons->addButton(QStringLiteral("Übernehmen"), QDialogButtonBox::AcceptRole),
                     buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole)};
    made.apply->setObjectName(QStringLiteral("btApply"));
    made.cancel->setObjectName(QStringLiteral("btCancel"));
    QObject::connect(made.apply, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(made.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(heading);
    layout->addLayout(counts);
    layout->addWidget(lines, 1);
    layout->addWidget(summary);
    layout->addWidget(buttons);

    const int rowHeight = lines->fontMetrics().height() + 6;
    lines->verticalHeader()->setDefaultSectionSize(rowHeight);
    const int shown = std::min(lines->rowCount(), shownLines);
    lines->setMinimumHeight(lines->horizontalHeader()->sizeHint().height() + shown * rowHeight +
                            2 * lines->frameWidth() +
                            lines->horizontalScrollBar()->sizeHint().height());
    lines->setVisible(lines->rowCount() > 0);
    return made;
}

}  // namespace parlix
