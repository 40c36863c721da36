#include "generator/build_form.h"

#include <QCheckBox>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>

#include "project/data_module.h"
#include "ui/error_report.h"
#include "ui/look.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

constexpr int kFontHeight = 10;

}  // namespace

TfmBuild::TfmBuild(Tdm1& dm1, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dm1_(dm1), dialogs_(dialogs) {
    setObjectName(QStringLiteral("fmBuild"));
    setFont(WindowFont(kFontHeight));
    setWindowTitle(QStringLiteral("Delphi-Unit erstellen"));
    setFixedSize(341, 225);
    setModal(true);
    move(573, 338);  // its own place on the screen, not centred over the main window
    CreateControls();
}

void TfmBuild::CreateControls() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 8, 313, 209);

    cbDefine = new QCheckBox(QStringLiteral("Sprache einstellen"), Panel1);
    cbDefine->setObjectName(QStringLiteral("cbDefine"));
    cbDefine->setGeometry(16, 24, 137, 17);
    connect(cbDefine, &QCheckBox::toggled, this, [this] { cbDefineClick(); });

    lbLanguages = new QListWidget(Panel1);
    lbLanguages->setObjectName(QStringLiteral("lbLanguages"));
    lbLanguages->setGeometry(24, 64, 273, 65);
    lbLanguages->setSelectionMode(QAbstractItemView::SingleSelection);
    lbLanguages->hide();

    btOK = new QPushButton(QStringLiteral("OK"), Panel1);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setGeometry(24, 159, 113, 33);
    btOK->setDefault(true);
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });

    btCancel = new QPushButton(QStringLiteral("Abbrechen"), Panel1);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setGeometry(184, 159, 113, 33);
    btCancel->setAutoDefault(false);
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });
}

void TfmBuild::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    RunHandler(dialogs_, this, [this] { FormShow(); });
}

void TfmBuild::FormShow() {
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
