// The main window's strips: the toolbar, the navigator with the translate-mode box, the empty
// margins, and the grid filling the rest.
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "editor/data_grid.h"
#include "editor/main_window.h"
#include "editor/record_navigator.h"
#include "ui/error_report.h"
#include "ui/look.h"

namespace parlix {

namespace {

constexpr int kContactFontHeight = 11;

QFrame* Strip(QWidget* parent, const char* name) {
    auto* strip = new QFrame(parent);
    strip->setObjectName(QString::fromLatin1(name));
    strip->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return strip;
}

QToolButton* ToolbarButton(QWidget* parent, const char* name, QAction* action, int x) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(20, 20));
    button->setGeometry(x, 2, 25, 28);
    return button;
}

}  // namespace

void TfmMain::CreateStrips() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    Panel5 = Strip(client, "Panel5");
    Panel5->setFixedHeight(33);
    sbNew = ToolbarButton(Panel5, "sbNew", aNewProject, 0);
    sbOpen = ToolbarButton(Panel5, "sbOpen", aOpenProject, 25);
    sbSave = ToolbarButton(Panel5, "sbSave", aSave, 50);
    sbBuild = ToolbarButton(Panel5, "sbBuild", aBuild, 115);
    bKontakt = new QPushButton(
        QStringLiteral("Kontakt (Fehler melden, Verbesserungsvorschläge ...)"), Panel5);
    bKontakt->setObjectName(QStringLiteral("bKontakt"));
    bKontakt->setFont(WindowFont(kContactFontHeight));
    bKontakt->setGeometry(338, 3, 281, 28);
    connect(bKontakt, &QPushButton::clicked, this,
            Handler(dialogs_, this, [this] { bKontaktClick(); }));

    Panel2 = Strip(client, "Panel2");
    Panel2->setFixedHeight(64);
    dbnTranslations = new RecordNavigator(dialogs_, Panel2);
    dbnTranslations->setObjectName(QStringLiteral("dbnTranslations"));
    dbnTranslations->setGeometry(16, 16, 234, 25);
    cbTranslateMode = new QCheckBox(QStringLiteral("Übersetzungs-Modus"), Panel2);
    cbTranslateMode->setObjectName(QStringLiteral("cbTranslateMode"));
    cbTranslateMode->setGeometry(328, 24, 129, 17);
    connect(cbTranslateMode, &QCheckBox::toggled, this,
            Handler(dialogs_, this, [this](bool) { cbTranslateModeClick(); }));

    Panel1 = Strip(client, "Panel1");
    Panel1->setFixedHeight(49);
    Panel4 = Strip(client, "Panel4");
    Panel4->setFixedWidth(17);
    Panel3 = Strip(client, "Panel3");
    Panel3->setFixedWidth(19);

    dbgTranslations = new DataGrid(dialogs_, client);
    dbgTranslations->setObjectName(QStringLiteral("dbgTranslations"));
    QSizePolicy keepRoom = dbgTranslations->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);  // hiding it during a flow must not shift the strips
    dbgTranslations->setSizePolicy(keepRoom);
    connect(dbgTranslations, &DataGrid::titleClick, this,
            Handler(dialogs_, this, [this](int column) { dbgTranslationsTitleClick(column); }));
    connect(dbgTranslations, &DataGrid::editButtonClick, this,
            Handler(dialogs_, this, [this] { dbgTranslationsEditButtonClick(); }));

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(Panel4);
    middle->addWidget(dbgTranslations, 1);
    middle->addWidget(Panel3);

    auto* strips = new QVBoxLayout(client);
    strips->setContentsMargins(0, 0, 0, 0);
    strips->setSpacing(0);
    strips->addWidget(Panel5);
    strips->addWidget(Panel2);
    strips->addLayout(middle, 1);
    strips->addWidget(Panel1);
}

}  // namespace parlix
