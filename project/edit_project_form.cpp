#include "project/edit_project_form.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>

#include "ui/look.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

const char* const kDefineLanguages = "Bitte Sprachen definieren";
const char* const kGiveSourceFile = "Bitte Source-File angeben";
const char* const kDifferentLanguages = "Bitte unterschiedliche Sprachen definieren";
const char* const kNoColumnNames =
    "Bitte Sprachen definieren, die nicht Type, Property oder StringName heißen";
const char* const kUsesHint = "Units für Uses-Abschnitt durch Komma getrennt";
constexpr int kFontHeight = 10;
constexpr int kFirstLanguageRow = 1;
constexpr int kLastLanguageRow = 2;

// The language grid: a fixed title row and two editable rows. Tab moves from the first
// language to the second and from there on to the next control.
class LanguageGrid : public QTableWidget {
  public:
    explicit LanguageGrid(QWidget* parent) : QTableWidget(3, 1, parent) {}

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override {
        const int row = currentIndex().isValid() ? currentIndex().row() : kFirstLanguageRow;
        switch (action) {
            case MoveNext:
                return row < kLastLanguageRow ? model()->index(row + 1, 0) : QModelIndex();
            case MovePrevious:
                return row > kFirstLanguageRow ? model()->index(row - 1, 0) : QModelIndex();
            case MoveDown:
                return model()->index(std::min(row + 1, kLastLanguageRow), 0);
            case MoveUp:
                return model()->index(std::max(row - 1, kFirstLanguageRow), 0);
            default: {
                QModelIndex next = QTableWidget::moveCursor(action, modifiers);
                if (next.isValid() && next.row() < kFirstLanguageRow) {
                    next = model()->index(kFirstLanguageRow, 0);
                }
                return next;
            }
        }
    }
};

QLabel* Label(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace

TfmEditProject::TfmEditProject(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("fmEditProject"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Neues Projekt erstellen"));
    setFixedSize(346, 325);
    setModal(true);
    CreateControls();
    FormCreate();
}

void TfmEditProject::CreateControls() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 329, 313);

    leSourceNameLabel = Label(Panel1, "leSourceNameLabel", "Source File:", 16, 4);
    leSourceName = new QLineEdit(Panel1);
    leSourceName->setObjectName(QStringLiteral("leSourceName"));
    leSourceName->setGeometry(16, 20, 241, 21);
    leSourceNameLabel->setBuddy(leSourceName);

    SpeedButton2 = new QToolButton(Panel1);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setGeometry(272, 18, 25, 25);
    SpeedButton2->setIcon(ThemeIcon(*this, "document-open", QStyle::SP_DialogOpenButton));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setFocusPolicy(Qt::NoFocus);
    SpeedButton2->setToolTip(QStringLiteral("Datei auswählen / angeben"));
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });

    sgLanguages = new LanguageGrid(Panel1);
    sgLanguages->setObjectName(QStringLiteral("sgLanguages"));
    sgLanguages->setGeometry(16, 56, 281, 60);
    sgLanguages->horizontalHeader()->hide();
    sgLanguages->verticalHeader()->hide();
    sgLanguages->setColumnWidth(0, 256);
    for (int row = 0; row < 3; ++row) {
        sgLanguages->setRowHeight(row, 18);
        sgLanguages->setItem(row, 0, new QTableWidgetItem);
    }
    QTableWidgetItem* title = sgLanguages->item(0, 0);
    title->setFlags(Qt::ItemIsEnabled);
    title->setBackground(palette().brush(QPalette::Button));
    title->setForeground(palette().brush(QPalette::ButtonText));
    sgLanguages->setShowGrid(true);
    sgLanguages->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgLanguages->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgLanguages->setSelectionMode(QAbstractItemView::SingleSelection);
    sgLanguages->setEditTriggers(
        QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
        QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    sgLanguages->setTabKeyNavigation(true);
    sgLanguages->setCurrentCell(kFirstLanguageRow, 0);

    Label1 = Label(Panel1, "Label1", "Backups:", 16, 136);
    cbBackups = new QComboBox(Panel1);
    cbBackups->setObjectName(QStringLiteral("cbBackups"));
    cbBackups->setGeometry(72, 131, 41, 21);
    for (int count = 0; count <= 5; ++count) {
        cbBackups->addItem(QString::number(count));
    }
    cbBackups->setCurrentIndex(2);
    Label1->setBuddy(cbBackups);

    Label2 = Label(Panel1, "Label2", "Dateien (uses):", 16, 167);
    mUses = new QPlainTextEdit(Panel1);
    mUses->setObjectName(QStringLiteral("mUses"));
    mUses->setGeometry(16, 184, 281, 65);
    mUses->setToolTip(QString::fromUtf8(kUsesHint));
    mUses->setTabChangesFocus(true);
    Label2->setBuddy(mUses);

    btSave = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, this),
                             QStringLiteral("OK"), Panel1);
    btSave->setObjectName(QStringLiteral("btSave"));
    btSave->setGeometry(16, 266, 113, 33);
    btSave->setDefault(true);
    connect(btSave, &QPushButton::clicked, this, [this] { btSaveClick(); });

    btCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton, nullptr, this),
                               QStringLiteral("Abbrechen"), Panel1);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setGeometry(184, 266, 113, 33);
    btCancel->setAutoDefault(false);
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });

    // The tab sequence: source, languages, backups, Cancel, OK, uses.
    setTabOrder(leSourceName, sgLanguages);
    setTabOrder(sgLanguages, cbBackups);
    setTabOrder(cbBackups, btCancel);
    setTabOrder(btCancel, btSave);
    setTabOrder(btSave, mUses);

    odFileName.mode = FileDialogOptions::Mode::Open;
    odFileName.title = QStringLiteral("Datei auswählen / angeben");
    odFileName.defaultExtension = QStringLiteral("pas");
    odFileName.fileName = QStringLiteral("*.pas");
    odFileName.filterDescription = QStringLiteral("Delphi-Unit (*.pas)");
    odFileName.filterMask = QStringLiteral("*.pas");

    sdProjectSave.mode = FileDialogOptions::Mode::Save;
    sdProjectSave.defaultExtension = QStringLiteral("ppr");
    sdProjectSave.fileName = QStringLiteral("*.ppr");
    sdProjectSave.filterDescription = QStringLiteral("Parlix Project File");
    sdProjectSave.filterMask = QStringLiteral("*.ppr");
}

void TfmEditProject::FormCreate() {
    sgLanguages->item(0, 0)->setText(QStringLiteral("Sprachen"));
}

QString TfmEditProject::LanguageText(int row) const {
    const QTableWidgetItem* item = sgLanguages->item(row, 0);
    return item != nullptr ? item->text() : QString();
}

void TfmEditProject::SetLanguageText(int row, const QString& text) {
    if (row >= kFirstLanguageRow && row <= kLastLanguageRow) {
        sgLanguages->item(row, 0)->setText(text);
    }
}

void TfmEditProject::SetBackupCount(int count) {
    cbBackups->setCurrentIndex(std::clamp(count, 0, cbBackups->count() - 1));
}

QStringList TfmEditProject::UsesLines() const {
    return mUses->toPlainText().split(QLatin1Char('\n'));
}

void TfmEditProject::SpeedButton2Click() {
    std::optional<QString> chosen = dialogs_.ExecuteFileDialog(
        this, odFileName, [this](const QString& fileName) { odFileNameSelectionChange(fileName); });
    // A name typed into the chooser and confirmed is a selection as well.
    if (chosen && leSourceName->text() != *chosen) {
        odFileNameSelectionChange(*chosen);
    }
}

void TfmEditProject::odFileNameSelectionChange(const QString& fileName) {
    leSourceName->setText(fileName);
}

bool TfmEditProject::Validate() {
    // An open cell editor holds the latest language text (Enter reaches the OK button before
    // the editor has handed it over).
    const QModelIndex current = sgLanguages->currentIndex();
    if (auto* editor = qobject_cast<QLineEdit*>(sgLanguages->indexWidget(current))) {
        SetLanguageText(current.row(), editor->text());
    }
    const QString language1 = TrimmedText(LanguageText(1));
    const QString language2 = TrimmedText(LanguageText(2));
    const QString source = TrimmedText(leSourceName->text());
    const QString uses = TrimmedText(UsesLines().join(QString()));
    auto refuse = [this](const QString& message) {
        dialogs_.ShowInformation(this, message);
        return false;
    };

    if (language1.isEmpty() || language2.isEmpty()) {
        return refuse(QString::fromUtf8(kDefineLanguages));
    }
    if (source.isEmpty()) {
        return refuse(QString::fromUtf8(kGiveSourceFile));
    }
    // What the project files cannot hold is refused here rather than altered on the way.
    for (const QString& text : {language1, language2, source, uses}) {
        if (std::optional<QString> character = FirstUnstorableCharacter(text)) {
            return refuse(UnstorableCharacterMessage(*character));
        }
    }
    const int longest1 = Limits.language[kFirstLanguageRow];
    const int longest2 = Limits.language[kLastLanguageRow];
    if (language1.size() > longest1 || language2.size() > longest2) {
        return refuse(QStringLiteral("Ein Sprachname darf höchstens %1 Zeichen lang sein.")
                          .arg(language1.size() > longest1 ? longest1 : longest2));
    }
    if (source.size() > Limits.sourceFile) {
        return refuse(QStringLiteral("Der Pfad des Source-Files darf höchstens %1 Zeichen lang "
                                     "sein.")
                          .arg(Limits.sourceFile));
    }
    if (uses.size() > Limits.uses) {
        return refuse(QStringLiteral("Die Units für den Uses-Abschnitt dürfen zusammen höchstens "
                                     "%1 Zeichen lang sein.")
                          .arg(Limits.uses));
    }
    // The language names become column names beside Type, Property and StringName.
    if (language1.compare(language2, Qt::CaseInsensitive) == 0) {
        return refuse(QString::fromUtf8(kDifferentLanguages));
    }
    const QStringList fixedColumns = {QStringLiteral("Type"), QStringLiteral("Property"),
                                      QStringLiteral("StringName")};
    if (fixedColumns.contains(language1, Qt::CaseInsensitive) ||
        fixedColumns.contains(language2, Qt::CaseInsensitive)) {
        return refuse(QString::fromUtf8(kNoColumnNames));
    }
    return true;
}

void TfmEditProject::btSaveClick() {
    ModalResult = Validate() ? mrOk : mrKeepOpen;
    done(ModalResult);
}

void TfmEditProject::btCancelClick() {
    ModalResult = mrCancel;
    done(ModalResult);
}

bool TfmEditProject::FormCloseQuery(int result) const {
    return result == mrOk || result == mrCancel;
}

void TfmEditProject::done(int result) {
    if (!FormCloseQuery(result)) {
        ModalResult = mrNone;  // the user goes on editing
        return;
    }
    ModalResult = result;
    QDialog::done(result);
}

void TfmEditProject::showEvent(QShowEvent* event) {
    ModalResult = mrNone;
    QDialog::showEvent(event);
}

}  // namespace parlix
