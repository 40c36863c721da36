#include "formsync/sync_dialog.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>

#include "formsync/form_sync.h"
#include "ui/look.h"
#include "ui/plan_dialog.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;
constexpr int kShownLines = 14;

enum Column { kTick, kWhat, kPath, kText, kPlace };

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

QString Quoted(const QString& text) {
    return QStringLiteral("„") + text + QStringLiteral("“");
}

// "umain.lfm:12": the form's file without its folder, and the place in it.
QString Place(const formsync::FormSpot& spot) {
    const QString file = QFileInfo(Utf8(spot.file)).fileName();
    return spot.binary ? file + QStringLiteral(": Byte %1").arg(spot.place.offset)
                       : file + QStringLiteral(":%1").arg(spot.place.line);
}

}  // namespace

TfmFormSync::TfmFormSync(const formsync::SyncPlan& plan, const forms::ProjectForms& forms,
                         const QString& language1, QWidget* parent)
    : QDialog(parent), plan_(plan), language1_(language1) {
    setObjectName(QStringLiteral("fmFormSync"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Mit Formularen abgleichen"));
    setModal(true);

    const auto read = forms.Scanned().Forms().size();
    QStringList files;
    for (const std::string& file : forms.Files()) {
        files << Utf8(file);
    }
    lbForms =
        new QLabel(QStringLiteral("%1 %2 gelesen; die Formulare geben die Texte von %3 vor.")
                       .arg(read)
                       .arg(read == 1 ? QStringLiteral("Formular") : QStringLiteral("Formulare"))
                       .arg(Quoted(language1_)),
                   this);
    lbForms->setObjectName(QStringLiteral("lbForms"));
    lbForms->setToolTip(files.join(QLatin1Char('\n')));

    auto* counts = new QFormLayout;
    counts->setFormAlignment(Qt::AlignLeft);
    lbNew = CountLabel(this, "lbNew", plan.added.size());
    lbChanged = CountLabel(this, "lbChanged", plan.changed.size());
    lbUnchanged = CountLabel(this, "lbUnchanged", static_cast<std::size_t>(plan.unchanged));
    lbVanished = CountLabel(this, "lbVanished", plan.vanished.size());
    lbRefused = CountLabel(this, "lbRefused", plan.refused.size());
    counts->addRow(QStringLiteral("Neu (Zeile wird angelegt):"), lbNew);
    counts->addRow(QStringLiteral("Geändert (Text von %1):").arg(language1_), lbChanged);
    counts->addRow(QStringLiteral("Unverändert:"), lbUnchanged);
    counts->addRow(QStringLiteral("Verschwunden (Komponente fehlt):"), lbVanished);
    counts->addRow(QStringLiteral("Abgelehnt (nicht übernommen):"), lbRefused);

    sgLines = PlanLines(this, "sgLines",
                        {QStringLiteral("Entfernen"), QStringLiteral("Was"), QStringLiteral("Pfad"),
                         QStringLiteral("Text oder Grund"), QStringLiteral("Ort")});
    FillLines(plan, forms);
    connect(sgLines, &QTableWidget::itemChanged, this, [this] { UpdateSummary(); });

    lbSummary = new QLabel(this);
    lbSummary->setObjectName(QStringLiteral("lbSummary"));
    lbSummary->setWordWrap(true);

    const PlanButtons buttons =
        LayOutPlanDialog(*this, lbForms, counts, sgLines, lbSummary, kShownLines);
    btApply = buttons.apply;
    btCancel = buttons.cancel;
    UpdateSummary();
    resize(880, minimumSizeHint().height());
}

std::vector<bool> TfmFormSync::RemoveVanished() const {
    std::vector<bool> remove;
    for (const QTableWidgetItem* tick : ticks_) {
        remove.push_back(tick->checkState() == Qt::Checked);
    }
    return remove;
}

void TfmFormSync::FillLines(const formsync::SyncPlan& plan, const forms::ProjectForms& forms) {
    sgLines->setRowCount(0);
    const auto add = [this](const QString& what, const QString& path, const QString& text,
                            const QString& place) {
        const int row = sgLines->rowCount();
        sgLines->insertRow(row);
        sgLines->setItem(row, kTick, ReadOnlyCell(QString()));
        sgLines->setItem(row, kWhat, ReadOnlyCell(what));
        sgLines->setItem(row, kPath, ReadOnlyCell(path));
        sgLines->setItem(row, kText, ReadOnlyCell(text));
        sgLines->setItem(row, kPlace, ReadOnlyCell(place));
        return row;
    };
    // The vanished paths first, each with its tick: the user decides about them.
    for (const formsync::VanishedPath& gone : plan.vanished) {
        const int row =
            add(QStringLiteral("verschwunden"), FromCp1252(gone.path),
                QStringLiteral("%1 hat keine Komponente %2")
                    .arg(QFileInfo(Utf8(gone.form)).fileName(), Quoted(Utf8(gone.missing))),
                QStringLiteral("Zeile %1").arg(gone.row + 1));
        QTableWidgetItem* tick = sgLines->item(row, kTick);
        tick->setText(gone.wholeRow ? QStringLiteral("Zeile löschen")
                                    : QStringLiteral("Pfad entfernen"));
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        tick->setCheckState(Qt::Checked);
        ticks_.push_back(tick);
    }
    std::size_t listed = 0;
    const std::size_t total =
        forms.Faults().size() + plan.refused.size() + plan.changed.size() + plan.added.size();
    const auto room = [&] { return listed++ < static_cast<std::size_t>(kListedLines); };
    for (const Fault& fault : forms.Faults()) {
        if (room()) {
            add(QStringLiteral("nicht lesbar"), QString(), Utf8(fault.message),
                QFileInfo(Utf8(fault.file)).fileName());
        }
    }
    for (const formsync::RefusedText& refused : plan.refused) {
        if (room()) {
            add(QStringLiteral("abgelehnt"), Utf8(refused.path), Utf8(refused.reason),
                Place(refused.spot));
        }
    }
    for (const formsync::ChangedText& changed : plan.changed) {
        if (room()) {
            add(QStringLiteral("geändert"), FromCp1252(changed.path),
                Quoted(FromCp1252(changed.before.value_or(std::string()))) + QStringLiteral(" → ") +
                    Quoted(FromCp1252(changed.after)),
                Place(changed.spot));
        }
    }
    for (const formsync::NewRow& added : plan.added) {
        if (room()) {
            add(QStringLiteral("neu"), FromCp1252(added.path), Quoted(FromCp1252(added.text)),
                Place(added.spot));
        }
    }
    if (total > static_cast<std::size_t>(kListedLines)) {
        add(QStringLiteral("... und %1 weitere").arg(total - kListedLines), QString(), QString(),
            QString());
    }
    sgLines->resizeColumnToContents(kTick);
    sgLines->resizeColumnToContents(kWhat);
    sgLines->setColumnWidth(kPath, 250);
    sgLines->setColumnWidth(kText, 280);
}

void TfmFormSync::UpdateSummary() {
    if (lbSummary == nullptr || btApply == nullptr) {
        return;
    }
    const std::vector<bool> remove = RemoveVanished();
    const auto removed = std::count(remove.begin(), remove.end(), true);
    QStringList parts;
    if (!plan_.added.empty()) {
        parts << QStringLiteral("legt %1 %2 an")
                     .arg(plan_.added.size())
                     .arg(plan_.added.size() == 1 ? QStringLiteral("Zeile")
                                                  : QStringLiteral("Zeilen"));
    }
    if (!plan_.changed.empty()) {
        parts << QStringLiteral("schreibt %1 %2 in die Spalte %3")
                     .arg(plan_.changed.size())
                     .arg(plan_.changed.size() == 1 ? QStringLiteral("Text")
                                                    : QStringLiteral("Texte"))
                     .arg(Quoted(language1_));
    }
    if (removed > 0) {
        parts << QStringLiteral("entfernt %1 %2")
                     .arg(removed)
                     .arg(removed == 1 ? QStringLiteral("verschwundenen Pfad")
                                       : QStringLiteral("verschwundene Pfade"));
    }
    const bool anything = !parts.empty();
    if (!anything) {
        lbSummary->setText(QStringLiteral("Der Abgleich ändert nichts an der Tabelle."));
    } else {
        const QString last = parts.takeLast();
        const QString list =
            parts.isEmpty() ? last
                            : parts.join(QStringLiteral(", ")) + QStringLiteral(" und ") + last;
        lbSummary->setText(QStringLiteral("„Übernehmen“ ") + list +
                           QStringLiteral(", in einem Schritt rückgängig zu machen. In die "
                                          "Datei kommt es erst mit „Speichern“."));
    }
    btApply->setEnabled(anything);
    btApply->setDefault(anything);
    (anything ? btApply : btCancel)->setFocus();
}

}  // namespace parlix
