#include "generator/build_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

#include "forms/project_forms.h"
#include "formsync/form_sync.h"
#include "project/data_module.h"
#include "project/project_files.h"
#include "ui/error_report.h"
#include "ui/look.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;

// The entries of cbEncoding, in the order of UnitEncodingChoice; the first names the
// character set of the unit on disk, or UTF-8 for a project with Lazarus forms.
const char* const kAsBefore = "wie die vorhandene Unit (%1)";
const char* const kAsLazarus = "wie die Lazarus-Formulare (UTF-8)";
const char* const kEncodingEntries[] = {"Windows-1252 (Delphi bis 2007)",
                                        "UTF-8 mit BOM (Lazarus, Delphi ab 2009)"};

QString EncodingName(UnitEncoding encoding) {
    return encoding == UnitEncoding::Utf8 ? QStringLiteral("UTF-8")
                                          : QStringLiteral("Windows-1252");
}

}  // namespace

TfmBuild::TfmBuild(Tdm1& dm1, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dm1_(dm1), dialogs_(dialogs) {
    setObjectName(QStringLiteral("fmBuild"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Delphi-Unit erstellen"));
    setFixedSize(341, 265);
    setModal(true);
    move(573, 338);  // its own place on the screen, not centred over the main window
    CreateControls();
}

void TfmBuild::CreateControls() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 313, 249);

    lbTarget = new QLabel(Panel1);
    lbTarget->setObjectName(QStringLiteral("lbTarget"));
    lbTarget->setGeometry(16, 12, 281, 17);

    cbDefine = new QCheckBox(QStringLiteral("Sprache einstellen"), Panel1);
    cbDefine->setObjectName(QStringLiteral("cbDefine"));
    cbDefine->setGeometry(16, 38, 137, 17);
    connect(cbDefine, &QCheckBox::toggled, this, [this] { cbDefineClick(); });

    lbLanguages = new QListWidget(Panel1);
    lbLanguages->setObjectName(QStringLiteral("lbLanguages"));
    lbLanguages->setGeometry(24, 64, 273, 65);
    lbLanguages->setSelectionMode(QAbstractItemView::SingleSelection);
    lbLanguages->hide();

    lbEncoding = new QLabel(QStringLiteral("Zeichensatz der Unit:"), Panel1);
    lbEncoding->setObjectName(QStringLiteral("lbEncoding"));
    lbEncoding->setGeometry(16, 140, 281, 17);
    cbEncoding = new QComboBox(Panel1);
    cbEncoding->setObjectName(QStringLiteral("cbEncoding"));
    cbEncoding->setGeometry(24, 160, 273, 24);
    cbEncoding->addItem(QString::fromUtf8(kAsBefore).arg(EncodingName(UnitEncoding::Windows1252)));
    for (const char* entry : kEncodingEntries) {
        cbEncoding->addItem(QString::fromUtf8(entry));
    }
    lbEncoding->setBuddy(cbEncoding);

    btOK = new QPushButton(QStringLiteral("OK"), Panel1);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setGeometry(24, 199, 113, 33);
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });

    btCancel = new QPushButton(QStringLiteral("Abbrechen"), Panel1);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setGeometry(184, 199, 113, 33);
    btCancel->setAutoDefault(false);
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });
}

void TfmBuild::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunHandler(dialogs_, this, [this] { FormShow(); });
}

UnitEncodingChoice TfmBuild::EncodingChoice() const {
    const auto choice = static_cast<UnitEncodingChoice>(std::max(cbEncoding->currentIndex(), 0));
    return choice == UnitEncodingChoice::AsBefore && lazarusForms_ ? UnitEncodingChoice::Utf8
                                                                   : choice;
}

void TfmBuild::FormShow() {
    const std::string target = SourceFilePath(dm1_.State);
    const QString path = QString::fromStdString(target);
    const QString text = QStringLiteral("Ziel: ") + path;
    lbTarget->setText(lbTarget->fontMetrics().elidedText(text, Qt::ElideMiddle, lbTarget->width()));
    lbTarget->setToolTip(path);
    lazarusForms_ = forms::HasLazarusForms(formsync::FormsSourceOf(dm1_.State));
    cbEncoding->setItemText(0, lazarusForms_ ? QString::fromUtf8(kAsLazarus)
                                             : QString::fromUtf8(kAsBefore).arg(
                                                   EncodingName(ExistingUnitEncoding(target))));

    PtfTable& project = dm1_.cdsProject;
    lbLanguages->clear();
    project.Open();
    project.First();
    lbLanguages->addItem(FromCp1252(project.FieldByName(project_field::kLanguage1).AsString()));
    lbLanguages->addItem(FromCp1252(project.FieldByName(project_field::kLanguage2).AsString()));
    lbLanguages->setCurrentRow(0);
    project.Close();
}

void TfmBuild::cbDefineClick() {
    lbLanguages->setVisible(cbDefine->isChecked());
}

void TfmBuild::btOKClick() {
    int& language = dm1_.State.BuildLanguage;
    language = 0;
    const QListWidgetItem* selected = lbLanguages->currentItem();
    if (cbDefine->isChecked() && selected != nullptr && selected->isSelected()) {
        language = lbLanguages->row(selected) + 1;
    }
    accept();
}

void TfmBuild::btCancelClick() {
    reject();
}

}  // namespace parlix
