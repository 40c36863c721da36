// The menu "Bearbeiten" and the tools for working in a big table: undo and redo of the table's
// edits, the filter above the grid, find and replace, the jump to the next untranslated text,
// and the status bar with the row counts and the current row.
#pragma once

#include <QObject>

class QAction;
class QLabel;
class QMenu;

namespace parlix {

class Dialogs;
class FilterBar;
class Tdm1;
class TfmFindReplace;
class TfmMain;

class EditCommands : public QObject {
    Q_OBJECT
  public:
    // Adds the menu after "Datei", the filter to the navigator's strip and the status bar.
    EditCommands(TfmMain& fmMain, Dialogs& dialogs);
    ~EditCommands() override;

    // Binds the commands to dm1's table and history (nullptr undoes it).
    void ConnectDataModule(Tdm1* dm1);
    // The table was (re)opened: the filter starts afresh on its records.
    void TableOpened();
    // The visible columns changed (translate mode): the filter looks into the others.
    void ColumnsChanged();

    QMenu* Edit1 = nullptr;  // "Bearbeiten"
    QAction* aUndo = nullptr;
    QAction* aRedo = nullptr;
    QAction* aFilter = nullptr;
    QAction* aFindReplace = nullptr;
    QAction* aNextUntranslated = nullptr;
    QAction* aPriorUntranslated = nullptr;
    FilterBar* Filter = nullptr;
    QLabel* lbRows = nullptr;  // the counts and the current row, in the status bar
    // Created with the first use of aFindReplace.
    TfmFindReplace* FindReplace();

    // The handlers.
    void aUndoExecute();
    void aRedoExecute();
    void aFindReplaceExecute();
    // Jumps to the next (or previous) shown record whose language 1 or 2 text is empty, or
    // whose translation needs review.
    void JumpToUntranslated(bool forward);

  private:
    void CreateActions();
    void UpdateActions();
    void UpdateStatus();
    void ShowCell(int tableRow, int column);
    // After an undo or redo: unsaved exactly when the table is not as it was saved.
    void FollowSavedState();

    TfmMain& fmMain_;
    Dialogs& dialogs_;
    Tdm1* dm1_ = nullptr;
    TfmFindReplace* findReplace_ = nullptr;
};

}  // namespace parlix
