// The checks panel in the main window: docked below the grid and shown once a project is
// open, the menu "Ansicht" that shows it again, the jump from a finding to its cell, the
// counts in the status bar and the filter's choice of rows with a finding.
#pragma once

#include <QObject>

class QAction;
class QLabel;
class QMenu;

namespace parlix {

class ChecksPanel;
class Dialogs;
class Tdm1;
class TfmMain;

class ChecksWiring : public QObject {
    Q_OBJECT
  public:
    // Docks the panel (hidden until a project is open), adds the menu after "Bearbeiten" and
    // the counts to the status bar, and offers the filter the rows with a finding.
    ChecksWiring(TfmMain& fmMain, Dialogs& dialogs);

    // Checks dm1's translation table from now on (nullptr: nothing).
    void ConnectDataModule(Tdm1* dm1);
    // A project was created or opened: the panel shows, unless the user closed it before.
    void ProjectLoaded();

    // Selects the cell of a table row in the grid. A row the filter hides is not selected:
    // the status bar says so, and the filter stays as the user set it.
    void ShowFinding(int row, int column);

    ChecksPanel* Panel = nullptr;
    QMenu* View1 = nullptr;          // "Ansicht"
    QAction* aShowChecks = nullptr;  // shows and hides the panel
    QLabel* lbChecks = nullptr;      // the translated share and the counts, in the status bar

  private:
    void FindingsChanged();

    TfmMain& fmMain_;
    Dialogs& dialogs_;
    Tdm1* dm1_ = nullptr;
    bool shownOnce_ = false;
};

}  // namespace parlix
