#include "exchange/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "exchange/exchange.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/look.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;
constexpr int kCodeLength = 35;  // far more than any tag in use ("zh-Hant-TW", "sr-Latn-RS")

QLineEdit* CodeEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(kCodeLength);
    // Letters, digits and hyphens only; whether they form a tag is checked on OK.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[A-Za-z0-9-]*")), edit));
    edit->setPlaceholderText(QStringLiteral("z. B. de, en-US"));
    return edit;
}

}  // namespace

TfmExport::TfmExport(Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("fmExport"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Exportieren"));
    setModal(true);
    CreateControls();
}

void TfmExport::CreateControls() {
    auto* languages = new QGroupBox(QStringLiteral("Sprachcodes (BCP 47)"), this);
    auto* codes = new QFormLayout(languages);
    lbSource = new QLabel(languages);
    leSourceCode = CodeEdit(languages, "leSourceCode");
    lbSource->setBuddy(leSourceCode);
    codes->addRow(lbSource, leSourceCode);
    lbTarget = new QLabel(languages);
    leTargetCode = CodeEdit(languages, "leTargetCode");
    lbTarget->setBuddy(leTargetCode);
    codes->addRow(lbTarget, leTargetCode);

    cbUntranslated = new QCheckBox(QStringLiteral("Nur &unübersetzte Zeilen"), this);
    cbUntranslated->setObjectName(QStringLiteral("cbUntranslated"));
    cbUntranslated->setToolTip(QStringLiteral("Nur Zeilen ohne Text in der Zielsprache"));

    auto* csv = new QFormLayout;
    cbDelimiter = new QComboBox(this);
    cbDelimiter->setObjectName(QStringLiteral("cbDelimiter"));
    // Semicolon first: German spreadsheets split at it.
    cbDelimiter->addItem(QStringLiteral("Semikolon (;)"), QChar(u';'));
    cbDelimiter->addItem(QStringLiteral("Komma (,)"), QChar(u','));
    auto* delimiterLabel = new QLabel(QStringLiteral("&Trennzeichen bei CSV:"), this);
    delimiterLabel->setBuddy(cbDelimiter);
    csv->addRow(delimiterLabel, cbDelimiter);

    auto* note = new QLabel(
        QStringLiteral("Das Format folgt der Dateiendung: .xlf oder .xliff für XLIFF 1.2, "
                       ".csv für CSV (UTF-8)."),
        this);
    note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    btOK = buttons->addButton(QStringLiteral("Weiter..."), QDialogButtonBox::AcceptRole);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btCancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    connect(btOK, &QPushButton::clicked, this, Handler(dialogs_, this, [this] { btOKClick(); }));
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(languages);
    layout->addWidget(cbUntranslated);
    layout->addLayout(csv);
    layout->addWidget(note);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

void TfmExport::SetLanguages(const QString& name1, const QString& code1, const QString& name2,
                             const QString& code2) {
    lbSource->setText(QStringLiteral("Sprache &1 (%1), Quelle:").arg(name1));
    lbTarget->setText(QStringLiteral("Sprache &2 (%1), Ziel:").arg(name2));
    leSourceCode->setText(code1);
    leTargetCode->setText(code2);
}

QString TfmExport::SourceCode() const {
    return leSourceCode->text().trimmed();
}

QString TfmExport::TargetCode() const {
    return leTargetCode->text().trimmed();
}

char TfmExport::Delimiter() const {
    return static_cast<char>(cbDelimiter->currentData().toChar().toLatin1());
}

void TfmExport::btOKClick() {
    for (QLineEdit* edit : {leSourceCode, leTargetCode}) {
        const QString code = edit->text().trimmed();
        if (!exchange::IsLanguageCode(code.toStdString())) {
            dialogs_.ShowInformation(
                this, code.isEmpty()
                          ? QStringLiteral("Bitte den Sprachcode angeben (z. B. de, en, en-US).")
                          : QStringLiteral("„%1“ ist kein gültiger Sprachcode nach BCP 47 "
                                           "(z. B. de, en, en-US).")
                                .arg(code));
            edit->setFocus();
            edit->selectAll();
            return;
        }
    }
    accept();
}

}  // namespace parlix
