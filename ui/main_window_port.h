// What the flows and the data module need of the main window. The main window implements it;
// the windows below it (the project flows, the build, the data module's table handlers) talk
// to it only through this, so that they never depend on the main window itself.
#pragma once

class QString;
class QWidget;

namespace parlix {

class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;

    // The window that owns the flows' message boxes and dialogs.
    virtual QWidget* Window() = 0;
    virtual void SetTitle(const QString& title) = 0;
    // A message in the status bar that stays until the next one.
    virtual void ShowStatus(const QString& text) = 0;

    // Whether the translation table has unsaved changes: the save action's enabled state.
    virtual bool ChangesToSave() const = 0;
    virtual void SetChangesToSave(bool changes) = 0;

    // The standard column widths and ellipsis buttons, columns 0 to 2 shown.
    virtual void ResetColumnLayout() = 0;
    // The column fit: scales the columns to the grid's client width.
    virtual void FormResize() = 0;
    // The open fit, after every opening of the translation table.
    virtual void FitColumnsToOpenedTable() = 0;
    // After a project was created or opened: nothing to save, build and settings available,
    // translate mode off.
    virtual void AfterProjectLoaded() = 0;
    // After a project's translation table file could not be read: nothing can be saved,
    // built or re-configured until a project has been created or opened successfully.
    virtual void AfterProjectLoadFailed() = 0;
    // Turns translate mode off, as unticking its check box does.
    virtual void LeaveTranslateMode() = 0;

    // Hides the grid and silences the translation table's views; calls nest. Flows use
    // GridHidden rather than these.
    virtual void HideGrid() = 0;
    virtual void ShowGrid() = 0;
};

// Hides the grid and silences the translation table's views while it lives; flows that
// rebuild or walk the whole table work under it.
class GridHidden {
  public:
    explicit GridHidden(MainWindowPort& window) : window_(window) { window_.HideGrid(); }
    ~GridHidden() { window_.ShowGrid(); }
    GridHidden(const GridHidden&) = delete;
    GridHidden& operator=(const GridHidden&) = delete;

  private:
    MainWindowPort& window_;
};

}  // namespace parlix
