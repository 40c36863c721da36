// The review marks in the main window: "Übersetzung bestätigen" (Strg+Eingabe) for the rows a
// translator checked, "Übersetzungen übernehmen..." that fills untranslated rows from the
// table, and the filter's choice "Zu prüfen". The grid tints the cells to review itself (dm1
// gives its model the notes); F8 stops at them (EditCommands); the status bar counts them (the
// checks panel's summary).
#pragma once

#include <QObject>
#include <vector>

class QAction;

namespace parlix {

class Dialogs;
class Tdm1;
class TfmMain;

class ReviewCommands : public QObject {
    Q_OBJECT
  public:
    // Adds the actions to the menu "Bearbeiten" and the choice "Zu prüfen" to the filter.
    ReviewCommands(TfmMain& fmMain, Dialogs& dialogs);

    // Works on dm1's table, marks and history from now on (nullptr: nothing).
    void ConnectDataModule(Tdm1* dm1);
    // The table was opened or changed its state: what can be done now.
    void UpdateActions();

    QAction* aConfirmTranslation = nullptr;  // "Übersetzung bestätigen"
    QAction* aFillFromTable = nullptr;       // "Übersetzungen übernehmen..."

    // Clears the marks of the selected rows (or the current one), as one step of the history;
    // a change still being typed is stored first.
    void aConfirmTranslationExecute();
    // Shows how many untranslated rows the table's own translations would fill, and fills them
    // on Yes, as one step of the history.
    void aFillFromTableExecute();

  private:
    // The table rows the user selected in the grid, the current one when nothing is.
    std::vector<int> SelectedRows() const;

    TfmMain& fmMain_;
    Dialogs& dialogs_;
    Tdm1* dm1_ = nullptr;
};

}  // namespace parlix
