#include "editor/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/column_layout.h"
#include "editor/data_grid.h"
#include "editor/edit_commands.h"
#include "editor/forms_wiring.h"
#include "editor/record_navigator.h"
#include "editor/review_commands.h"
#include "editor/text_input_form.h"
#include "exchange/exchange_flow.h"
#include "generator/build_flow.h"
#include "project/data_module.h"
#include "project/project_flows.h"
#include "ui/error_report.h"
#include "ui/look.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

constexpr int kWindowWidth = 750;
constexpr int kWindowHeight = 550;
constexpr int kFontHeight = 10;

}  // namespace

TfmMain::TfmMain(Dialogs& dialogs) : dialogs_(dialogs) {
    setFont(WindowFont(kFontHeight));
    CreateActions();
    CreateMenu();
    CreateStrips();
    Edit = new EditCommands(*this, dialogs_);
    Forms = new FormsWiring(*this, dialogs_);
    Checks = new ChecksWiring(*this, dialogs_);
    Review = new ReviewCommands(*this, dialogs_);
    FormCreate();
}

TfmMain::~TfmMain() {
    ConnectDataModule(nullptr, nullptr);
}

template <typename Body>
void TfmMain::Connect(QAction* action, Body body) {
    connect(action, &QAction::triggered, this, Handler(dialogs_, this, std::move(body)));
}

void TfmMain::CreateActions() {
    auto action = [this](const char* name, const char* text, const char* category,
                         QKeySequence shortcut, bool enabled) {
        auto* created = new QAction(QString::fromUtf8(text), this);
        created->setObjectName(QString::fromLatin1(name));
        created->setProperty("category", QString::fromUtf8(category));
        created->setShortcut(shortcut);
        created->setEnabled(enabled);
        return created;
    };
    aNewProject =
        action("aNewProject", "&Neues Projekt", "Datei", QKeySequence(Qt::CTRL | Qt::Key_N), true);
    aOpenProject =
        action("aOpenProject", "Ö&ffnen...", "Datei", QKeySequence(Qt::CTRL | Qt::Key_O), true);
    aSave = action("aSave", "&Speichern", "Datei", QKeySequence(Qt::CTRL | Qt::Key_S), false);
    aExport = action("aExport", "&Exportieren...", "Datei", QKeySequence(), false);
    aImport = action("aImport", "&Importieren...", "Datei", QKeySequence(), false);
    aBuild = action("aBuild", "Erstellen", "Start", QKeySequence(), false);
    aEditProject = action("aEditProject", "Einstellungen", "Projekt", QKeySequence(), false);
    aExit = action("aExit", "Beenden", "Datei", QKeySequence(), true);

    aNewProject->setIcon(ThemeIcon(*this, "document-new", QStyle::SP_FileIcon));
    aOpenProject->setIcon(ThemeIcon(*this, "document-open", QStyle::SP_DialogOpenButton));
    aSave->setIcon(ThemeIcon(*this, "document-save", QStyle::SP_DialogSaveButton));
    aBuild->setIcon(ThemeIcon(*this, "system-run", QStyle::SP_MediaPlay));

    Connect(aNewProject, [this] { aNewProjectExecute(); });
    Connect(aOpenProject, [this] { aOpenProjectExecute(); });
    Connect(aSave, [this] { aSaveExecute(); });
    Connect(aExport, [this] { aExportExecute(); });
    Connect(aImport, [this] { aImportExecute(); });
    Connect(aBuild, [this] { aBuildExecute(); });
    Connect(aEditProject, [this] { aEditProjectExecute(); });
    Connect(aExit, [this] { aExitExecute(); });
}

void TfmMain::CreateMenu() {
    QMenuBar* MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    N1 = MainMenu1->addMenu(QStringLiteral("Datei"));
    N1->setObjectName(QStringLiteral("N1"));
    N1->addAction(aNewProject);
    N1->addAction(aOpenProject);
    N1->addAction(aSave);
    N1->addSeparator();
    N1->addAction(aExport);
    N1->addAction(aImport);
    N1->addSeparator();
    N1->addAction(aExit);
    Project1 = MainMenu1->addMenu(QStringLiteral("Projekt"));
    Project1->setObjectName(QStringLiteral("Project1"));
    Project1->addAction(aEditProject);
    Start1 = MainMenu1->addMenu(QStringLiteral("Start"));
    Start1->setObjectName(QStringLiteral("Start1"));
    Start1->addAction(aBuild);
}

void TfmMain::FormCreate() {
    for (QToolButton* button : {sbNew, sbOpen, sbSave, sbBuild}) {
        button->setText(QString());  // pictures only
    }
    setWindowTitle(QStringLiteral("Parlix LE"));
    LayoutLock = false;

    odOpenProject.mode = FileDialogOptions::Mode::Open;
    odOpenProject.defaultExtension = QStringLiteral("ppr");
    odOpenProject.fileName = QStringLiteral("*.ppr");
    odOpenProject.filterDescription = QStringLiteral("Parlix-Projekt (*.ppr)");
    odOpenProject.filterMask = QStringLiteral("*.ppr");
    odOpenProject.fileMustExist = true;

    resize(kWindowWidth, kWindowHeight);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void TfmMain::ConnectDataModule(Tdm1* dm1, ProjectFlows* flows) {
    dm1_ = dm1;
    flows_ = flows;
    exchange_ = dm1 != nullptr ? std::make_unique<ExchangeFlow>(*this, *dm1, dialogs_) : nullptr;
    TableModel* source = dm1 != nullptr ? dm1->dsTranslations.get() : nullptr;
    dbgTranslations->SetDataSource(source);
    dbnTranslations->SetDataSource(source);
    if (dm1 != nullptr) {
        dm1->dsTranslations->SetErrorHandler(
            [this] { ReportError(dialogs_, this, std::current_exception()); });
    }
    Edit->ConnectDataModule(dm1);
    Forms->ConnectDataModule(dm1);
    Checks->ConnectDataModule(dm1);
    Review->ConnectDataModule(dm1);
}

void TfmMain::ConnectDialogs(BuildFlow* build, TfmTextInput* fmTextInput) {
    build_ = build;
    fmTextInput_ = fmTextInput;
}

// ---------------------------------------------------------------------------------------------
// Layout

void TfmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);  // the strips and the grid have their new sizes now
    RunHandler(dialogs_, this, [this] { FormResize(); });
}

void TfmMain::FormResize() {
    if (LayoutLock || dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    LayoutLock = true;
    struct Unlock {
        bool& lock;
        ~Unlock() { lock = false; }
    } unlock{LayoutLock};
    column_layout::Fit(*dbgTranslations, column_layout::kFitMargin);
}

void TfmMain::FormCanResize(int /*newWidth*/, int /*newHeight*/, bool& resize) const {
    if (LayoutLock) {
        resize = false;
    }
}

void TfmMain::FitColumnsToOpenedTable() {
    dbgTranslations->RebuildColumns();
    column_layout::Fit(*dbgTranslations, 0);
    Edit->TableOpened();
    Review->UpdateActions();
}

void TfmMain::ResetColumnLayout() {
    column_layout::Reset(*dbgTranslations);
}

void TfmMain::HideGrid() {
    if (gridHidden_++ == 0) {
        gridHadFocus_ = dbgTranslations->hasFocus();
        dbgTranslations->hide();
    }
    if (dm1_ != nullptr) {
        dm1_->cdsTranslations.DisableControls();
    }
}

void TfmMain::ShowGrid() {
    if (dm1_ != nullptr) {
        dm1_->cdsTranslations.EnableControls();
    }
    if (--gridHidden_ == 0) {
        dbgTranslations->show();
        if (gridHadFocus_) {
            dbgTranslations->setFocus();
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Translate mode and the project's arrival

void TfmMain::SetTranslateMode(bool on) {
    if (dm1_ != nullptr) {
        dm1_->State.TranslateMode = on;
    }
    if (on) {
        for (int column = 0; column <= 2 && column < dbgTranslations->ColumnCount(); ++column) {
            dbgTranslations->SetColumnVisible(column, false);
        }
        FormResize();
        aNewProject->setEnabled(false);
        aEditProject->setEnabled(false);
        aBuild->setEnabled(false);
    } else {
        ResetColumnLayout();
        FormResize();
        aNewProject->setEnabled(true);
        // Settings and build need a project; translate mode may be toggled before there is one.
        aEditProject->setEnabled(projectLoaded_);
        aBuild->setEnabled(projectLoaded_);
    }
    dbnTranslations->SetButtonVisible(RecordNavigator::nbInsert, !on);
    dbnTranslations->SetButtonVisible(RecordNavigator::nbDelete, !on);
    Edit->ColumnsChanged();
}

void TfmMain::LeaveTranslateMode() {
    cbTranslateMode->setChecked(false);
}

void TfmMain::MarksChanged() {
    if (dm1_ != nullptr) {
        dm1_->dsTranslations->NotesChanged();
    }
    Checks->Panel->ScheduleRefresh();
}

void TfmMain::ShowStatus(const QString& text) {
    statusBar()->showMessage(text);
}

bool TfmMain::ChangesToSave() const {
    return aSave->isEnabled();
}

void TfmMain::SetChangesToSave(bool changes) {
    aSave->setEnabled(changes);
}

void TfmMain::AfterProjectLoaded() {
    projectLoaded_ = true;
    aSave->setEnabled(false);
    aBuild->setEnabled(true);
    aEditProject->setEnabled(true);
    // Export and import stay available in translate mode: an import writes only language 2.
    aExport->setEnabled(true);
    aImport->setEnabled(true);
    cbTranslateMode->setChecked(false);  // leaves translate mode if it was on
    cbTranslateMode->setVisible(true);
    Checks->ProjectLoaded();
}

void TfmMain::AfterProjectLoadFailed() {
    projectLoaded_ = false;
    aSave->setEnabled(false);
    aBuild->setEnabled(false);
    aEditProject->setEnabled(false);
    aExport->setEnabled(false);
    aImport->setEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// Handlers

void TfmMain::cbTranslateModeClick() {
    SetTranslateMode(cbTranslateMode->isChecked());
}

void TfmMain::dbgTranslationsTitleClick(int column) {
    if (dm1_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    PtfTable& table = dm1_->cdsTranslations;
    // Stores a changed record first, drops an unchanged one.
    table.SetIndexFieldNames(table.Field(column).FieldName());
}

void TfmMain::dbgTranslationsEditButtonClick() {
    if (dm1_ == nullptr || fmTextInput_ == nullptr || !dm1_->cdsTranslations.IsActive()) {
        return;
    }
    PtfTable& table = dm1_->cdsTranslations;
    TfmTextInput& dialog = *fmTextInput_;
    dialog.mProperties->clear();

    // The property list, or the value of one of the two language columns.
    const int column = dbgTranslations->currentIndex().column();
    const QString fieldName = dbgTranslations->ColumnFieldName(column);
    int field = -1;
    if (fieldName == QLatin1String(translation_field::kProperty)) {
        field = translation_field::kPropertyColumn;
        dialog.setWindowTitle(QStringLiteral("Komponenten-Eigenschaften"));
    } else if (column > translation_field::kStringNameColumn) {
        field = column;
        dialog.setWindowTitle(QStringLiteral("Wert für Sprache ") + fieldName);
    } else {
        return;
    }
    dialog.mProperties->setPlainText(FromCp1252(table.Field(field).AsString()));
    dialog.MaxLength = table.Field(field).Size();
    if (dialogs_.ExecuteModal(dialog) != QDialog::Accepted) {
        return;
    }
    const std::string text = ToCp1252(dialog.JoinedText());
    table.Edit();  // on an empty table a new record, which translate mode refuses silently
    table.Field(field).SetAsString(text);
    table.Post();
}

void TfmMain::bKontaktClick() {
    dialogs_.OpenUrl(QUrl(QString::fromLatin1(kContactPageAddress)));
}

void TfmMain::aNewProjectExecute() {
    if (flows_ != nullptr) {
        flows_->aNewProjectExecute();
    }
}

void TfmMain::aOpenProjectExecute() {
    if (std::optional<QString> path = dialogs_.ExecuteFileDialog(this, odOpenProject, {})) {
        aOpenProjectAccept(*path);
    }
}

void TfmMain::aOpenProjectAccept(const QString& path) {
    if (flows_ != nullptr) {
        flows_->aOpenProjectAccept(path);
    }
}

void TfmMain::aSaveExecute() {
    // A save that did not reach the file leaves the action on, so that closing still offers it.
    if (flows_ != nullptr && flows_->SaveTranslations()) {
        aSave->setEnabled(false);
    }
}

void TfmMain::aExportExecute() {
    if (exchange_ != nullptr) {
        exchange_->aExportExecute();
    }
}

void TfmMain::aImportExecute() {
    if (exchange_ != nullptr) {
        exchange_->aImportExecute();
    }
}

void TfmMain::aBuildExecute() {
    if (build_ != nullptr) {
        build_->aBuildExecute();
    }
}

void TfmMain::aEditProjectExecute() {
    if (flows_ != nullptr) {
        flows_->aEditProjectExecute();
    }
}

void TfmMain::aExitExecute() {
    close();
}

// ---------------------------------------------------------------------------------------------
// Closing

void TfmMain::closeEvent(QCloseEvent* event) {
    FormClose(event);
}

void TfmMain::FormClose(QCloseEvent* event) {
    LayoutLock = true;
    bool resize = true;
    FormCanResize(width(), height(), resize);
    if (!resize) {
        setFixedSize(size());
    }
    bool saved = true;
    RunHandler(dialogs_, this, [&] {
        if (flows_ != nullptr) {
            saved = flows_->ConfirmSaveIfModified();
        }
    });
    if (!saved) {
        // The user cancelled, or asked for the changes to be saved and they were not: the
        // window stays open with them.
        LayoutLock = false;
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace parlix
