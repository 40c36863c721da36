// The main window fmMain: menu, toolbar, record navigator, translate-mode check box and the
// translation grid. It owns every user command (the actions), lays out and fits the grid's
// columns, switches translate mode and handles closing. The project flows, the build and the
// long-text edit attach to its actions; the data module's table handlers act on it.
#pragma once

#include <QMainWindow>
#include <memory>

#include "ui/dialogs.h"
#include "ui/main_window_port.h"

class QAction;
class QCheckBox;
class QFrame;
class QMenu;
class QPushButton;
class QToolButton;

namespace parlix {

class BuildFlow;
class ChecksWiring;
class DataGrid;
class EditCommands;
class ExchangeFlow;
class FormsWiring;
class ProjectFlows;
class RecordNavigator;
class ReviewCommands;
class Tdm1;
class TfmTextInput;

// The tool's contact page, for reporting errors and making suggestions.
inline constexpr char kContactPageAddress[] = "https://parlix.example/kontakt";

class TfmMain : public QMainWindow, public MainWindowPort {
    Q_OBJECT
  public:
    explicit TfmMain(Dialogs& dialogs);
    ~TfmMain() override;

    // Binds the grid and the navigator to dm1's translation table and the actions to the
    // flows (export and import among them); done at start-up once dm1 exists. Null pointers
    // undo the binding.
    void ConnectDataModule(Tdm1* dm1, ProjectFlows* flows);
    // The build and the long-text dialog, once they exist.
    void ConnectDialogs(BuildFlow* build, TfmTextInput* fmTextInput);

    // --- Actions (alMain) ---
    QAction* aNewProject = nullptr;
    QAction* aOpenProject = nullptr;
    QAction* aSave = nullptr;
    QAction* aExport = nullptr;  // "Exportieren...": XLIFF or CSV for translators
    QAction* aImport = nullptr;  // "Importieren...": their translations back into language 2
    QAction* aBuild = nullptr;
    QAction* aEditProject = nullptr;
    QAction* aExit = nullptr;

    // --- Menu (MainMenu1) ---
    QMenu* N1 = nullptr;        // "Datei"
    QMenu* Project1 = nullptr;  // "Projekt"
    QMenu* Start1 = nullptr;    // "Start"

    // --- Strips and controls ---
    QFrame* Panel5 = nullptr;  // toolbar, top
    QFrame* Panel2 = nullptr;  // navigator and translate mode, below the toolbar
    QFrame* Panel1 = nullptr;  // bottom
    QFrame* Panel4 = nullptr;  // left
    QFrame* Panel3 = nullptr;  // right
    QToolButton* sbNew = nullptr;
    QToolButton* sbOpen = nullptr;
    QToolButton* sbSave = nullptr;
    QToolButton* sbBuild = nullptr;
    QPushButton* bKontakt = nullptr;
    RecordNavigator* dbnTranslations = nullptr;
    QCheckBox* cbTranslateMode = nullptr;
    DataGrid* dbgTranslations = nullptr;
    // The menu "Bearbeiten" with undo, filter, find and replace; the status bar.
    EditCommands* Edit = nullptr;
    // The checks panel below the grid, its menu "Ansicht" and its counts in the status bar.
    ChecksWiring* Checks = nullptr;
    // "Übersetzung bestätigen", "Übersetzungen übernehmen..." and the filter's "Zu prüfen".
    ReviewCommands* Review = nullptr;
    // The application's forms: the sync with them, and what the checks know of them.
    FormsWiring* Forms = nullptr;

    // The open dialog of aOpenProject.
    FileDialogOptions odOpenProject;

    // While set, the column fit does nothing and the window keeps its size.
    bool LayoutLock = false;

    // --- Operations (also what the flows need of the main window) ---
    QWidget* Window() override { return this; }
    void SetTitle(const QString& title) override { setWindowTitle(title); }
    void ShowStatus(const QString& text) override;
    bool ChangesToSave() const override;
    void SetChangesToSave(bool changes) override;
    // The column fit: scales the columns to the grid's client width (with a margin of 20).
    void FormResize() override;
    // Vetoes a change of the window's size while LayoutLock is set.
    void FormCanResize(int newWidth, int newHeight, bool& resize) const;
    void SetTranslateMode(bool on);
    void LeaveTranslateMode() override;
    void MarksChanged() override;
    void ResetColumnLayout() override;
    void AfterProjectLoaded() override;
    // Leaving translate mode does not bring back what this switched off.
    void AfterProjectLoadFailed() override;
    // Fresh columns scaled to the grid's client width without a margin.
    void FitColumnsToOpenedTable() override;
    void HideGrid() override;
    void ShowGrid() override;

    // --- Handlers ---
    void cbTranslateModeClick();
    void dbgTranslationsTitleClick(int column);
    void dbgTranslationsEditButtonClick();
    void bKontaktClick();
    void aNewProjectExecute();
    void aOpenProjectExecute();  // the open dialog, then aOpenProjectAccept
    void aOpenProjectAccept(const QString& path);
    void aSaveExecute();
    void aExportExecute();
    void aImportExecute();
    void aBuildExecute();
    void aEditProjectExecute();
    void aExitExecute();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void FormClose(QCloseEvent* event);
    void CreateActions();
    void CreateMenu();
    void CreateStrips();
    template <typename Body>
    void Connect(QAction* action, Body body);

    Dialogs& dialogs_;
    Tdm1* dm1_ = nullptr;
    ProjectFlows* flows_ = nullptr;
    BuildFlow* build_ = nullptr;
    TfmTextInput* fmTextInput_ = nullptr;
    std::unique_ptr<ExchangeFlow> exchange_;  // made with the binding to dm1
    bool projectLoaded_ = false;              // the open project was created or opened successfully
    int gridHidden_ = 0;
    bool gridHadFocus_ = false;
};

}  // namespace parlix
