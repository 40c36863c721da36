#include "search/find_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "history/edit_history.h"
#include "project/project_files.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/table_model.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TfmFindReplace::TfmFindReplace(TableModel& rows, EditHistory& history, Dialogs& dialogs,
                               Hooks hooks, QWidget* parent)
    : QDialog(parent), rows_(rows), history_(history), dialogs_(dialogs), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("fmFindReplace"));
    setWindowTitle(QStringLiteral("Suchen und Ersetzen"));
    setModal(false);
    CreateControls();
}

void TfmFindReplace::CreateControls() {
    leFind = new QLineEdit(this);
    leFind->setObjectName(QStringLiteral("leFind"));
    leReplace = new QLineEdit(this);
    leReplace->setObjectName(QStringLiteral("leReplace"));
    leReplace->setValidator(new Cp1252Validator(leReplace));
    cbMatchCase = new QCheckBox(QStringLiteral("Groß-/Kleinschreibung beachten"), this);
    cbMatchCase->setObjectName(QStringLiteral("cbMatchCase"));
    cbWholeWords = new QCheckBox(QStringLiteral("Nur ganze Wörter"), this);
    cbWholeWords->setObjectName(QStringLiteral("cbWholeWords"));
    auto* columns = new QGroupBox(QStringLiteral("Suchen in"), this);
    rbAllColumns = new QRadioButton(QStringLiteral("allen Spalten"), columns);
    rbAllColumns->setObjectName(QStringLiteral("rbAllColumns"));
    rbLanguageColumns = new QRadioButton(QStringLiteral("den beiden Sprachspalten"), columns);
    rbLanguageColumns->setObjectName(QStringLiteral("rbLanguageColumns"));
    rbAllColumns->setChecked(true);
    auto* columnsLayout = new QVBoxLayout(columns);
    columnsLayout->addWidget(rbAllColumns);
    columnsLayout->addWidget(rbLanguageColumns);

    btFindNext = Button(this, "btFindNext", "Weitersuchen");
    btFindNext->setDefault(true);
    btFindPrevious = Button(this, "btFindPrevious", "Rückwärts suchen");
    btReplace = Button(this, "btReplace", "Ersetzen");
    btReplaceAll = Button(this, "btReplaceAll", "Alle ersetzen");
    btClose = Button(this, "btClose", "Schließen");

    auto* fields = new QGridLayout;
    auto* findLabel = new QLabel(QStringLiteral("&Suchen nach:"), this);
    findLabel->setBuddy(leFind);
    auto* replaceLabel = new QLabel(QStringLiteral("&Ersetzen durch:"), this);
    replaceLabel->setBuddy(leReplace);
    fields->addWidget(findLabel, 0, 0);
    fields->addWidget(leFind, 0, 1);
    fields->addWidget(replaceLabel, 1, 0);
    fields->addWidget(leReplace, 1, 1);
    fields->addWidget(cbMatchCase, 2, 1);
    fields->addWidget(cbWholeWords, 3, 1);
    fields->addWidget(columns, 4, 1);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {btFindNext, btFindPrevious, btReplace, btReplaceAll, btClose}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);

    auto handle = [this](auto body) { return Handler(dialogs_, this, std::move(body)); };
    connect(btFindNext, &QPushButton::clicked, this, handle([this] { FindNext(true); }));
    connect(btFindPrevious, &QPushButton::clicked, this, handle([this] { FindNext(false); }));
    connect(btReplace, &QPushButton::clicked, this, handle([this] { ReplaceOne(); }));
    connect(btReplaceAll, &QPushButton::clicked, this, handle([this] { ReplaceAll(); }));
    connect(btClose, &QPushButton::clicked, this, &QDialog::close);
}

std::optional<TextPattern> TfmFindReplace::Pattern() const {
    const QString text = leFind->text();
    if (text.isEmpty() || FirstUnstorableCharacter(text)) {
        return std::nullopt;
    }
    return TextPattern(ToCp1252(text), {cbMatchCase->isChecked(), cbWholeWords->isChecked()});
}

SearchScope TfmFindReplace::Scope() const {
    SearchScope scope;
    scope.rows = rows_.ShownTableRows();
    const bool languages = rbLanguageColumns->isChecked() ||
                           (hooks_.languageColumnsOnly && hooks_.languageColumnsOnly());
    for (int column = 0; column < rows_.Table().FieldCount(); ++column) {
        if (!languages || column == translation_field::LanguageColumn(1) ||
            column == translation_field::LanguageColumn(2)) {
            scope.columns.push_back(column);
        }
    }
    return scope;
}

const CellMatch* TfmFindReplace::CurrentMatch() const {
    PtfTable& table = rows_.Table();
    if (!last_ || !table.IsActive() || table.RecNo() != last_->at.row ||
        (hooks_.currentColumn && hooks_.currentColumn() != last_->at.column)) {
        return nullptr;
    }
    const std::optional<TextPattern> pattern = Pattern();
    if (!pattern || last_->at.column >= table.FieldCount()) {
        return nullptr;
    }
    const std::string_view text = table.TextViewAt(last_->at.row, last_->at.column);
    return pattern->Find(text, last_->at.offset) == last_->at.offset ? &*last_ : nullptr;
}

CellPosition TfmFindReplace::StartFor(bool forward) const {
    if (const CellMatch* match = CurrentMatch()) {
        return {match->at.row, match->at.column, match->at.offset + (forward ? 1 : 0)};
    }
    const PtfTable& table = rows_.Table();
    const int column = hooks_.currentColumn ? hooks_.currentColumn() : 0;
    return {table.IsActive() ? table.RecNo() : 0, column < 0 ? 0 : column, 0};
}

void TfmFindReplace::NotFound() {
    last_.reset();
    dialogs_.ShowInformation(this,
                             QStringLiteral("\"%1\" wurde nicht gefunden.").arg(leFind->text()));
}

bool TfmFindReplace::FindNext(bool forward) {
    const std::optional<TextPattern> pattern = Pattern();
    if (!pattern || !rows_.Table().IsActive()) {
        NotFound();
        return false;
    }
    bool wrapped = false;
    const std::optional<CellMatch> match =
        FindMatch(rows_.Table(), Scope(), *pattern, StartFor(forward), forward, &wrapped);
    if (!match) {
        NotFound();
        return false;
    }
    last_ = match;
    if (hooks_.showMatch) {
        hooks_.showMatch(match->at.row, match->at.column);
    }
    if (wrapped && hooks_.tell) {
        hooks_.tell(forward ? QStringLiteral("Suche am Anfang der Tabelle fortgesetzt")
                            : QStringLiteral("Suche am Ende der Tabelle fortgesetzt"));
    }
    return true;
}

bool TfmFindReplace::ReplaceOne() {
    const CellMatch* match = CurrentMatch();
    if (match == nullptr) {
        return FindNext(true);  // first show what would be replaced
    }
    PtfTable& table = rows_.Table();
    const std::string replacement = ToCp1252(leReplace->text());
    const CellMatch at = *match;
    std::string text(table.TextViewAt(at.at.row, at.at.column));
    text.replace(at.at.offset, at.length, replacement);
    const int size = table.Field(at.at.column).Size();
    if (text.size() > static_cast<std::size_t>(size)) {
        dialogs_.ShowInformation(
            this, QStringLiteral("Nicht ersetzt: der Text wäre länger, als das Feld aufnimmt "
                                 "(höchstens %1 Zeichen).")
                      .arg(size));
        return false;
    }
    table.Edit();
    table.Field(at.at.column).SetAsString(text);
    table.Post();
    // Go on after the replacement, in the record wherever the order has put it.
    last_ = CellMatch{{table.RecNo(), at.at.column, at.at.offset + replacement.size()}, 0};
    if (hooks_.showMatch) {
        hooks_.showMatch(table.RecNo(), at.at.column);
    }
    const std::optional<TextPattern> pattern = Pattern();
    bool wrapped = false;
    if (const auto next = FindMatch(table, Scope(), *pattern, last_->at, true, &wrapped)) {
        last_ = next;
        if (hooks_.showMatch) {
            hooks_.showMatch(next->at.row, next->at.column);
        }
    } else {
        last_.reset();
    }
    return true;
}

int TfmFindReplace::ReplaceAll() {
    const std::optional<TextPattern> pattern = Pattern();
    if (!pattern || !rows_.Table().IsActive()) {
        NotFound();
        return 0;
    }
    PtfTable& table = rows_.Table();
    const ReplacePlan plan = PlanReplaceAll(table, Scope(), *pattern, ToCp1252(leReplace->text()));
    if (plan.replacements == 0 && plan.tooLong.empty()) {
        NotFound();
        return 0;
    }
    if (!plan.changes.empty()) {
        HistoryStep step(history_);
        table.ApplyChanges(plan.changes);
    }
    last_.reset();
    QString text = QStringLiteral("%1 Ersetzungen").arg(plan.replacements);
    if (!plan.tooLong.empty()) {
        QStringList cells;
        for (std::size_t i = 0; i < plan.tooLong.size() && i < 10; ++i) {
            cells << QStringLiteral("Zeile %1, Spalte %2")
                         .arg(rows_.ViewRow(plan.tooLong[i].row) + 1)
                         .arg(FromCp1252(table.Field(plan.tooLong[i].column).FieldName()));
        }
        if (plan.tooLong.size() > 10) {
            cells << QStringLiteral("...");
        }
        text += QStringLiteral(
                    "\n\n%1 Felder nicht geändert, weil der neue Text länger wäre, als "
                    "das Feld aufnimmt:\n")
                    .arg(plan.tooLong.size()) +
                cells.join(QLatin1Char('\n'));
    }
    dialogs_.ShowInformation(this, text);
    return plan.replacements;
}

}  // namespace parlix
