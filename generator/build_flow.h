// Build, as the main window's action runs it: the offer to save, the build dialog, the question
// whether to go on when the checks find errors (warnings ask nothing), then the unit generated
// from the translation table and written over the source unit after numbered backups of the
// old one.
#pragma once

namespace parlix {

class Dialogs;
class MainWindowPort;
class ProjectFlows;
class Tdm1;
class TfmBuild;

class BuildFlow {
  public:
    BuildFlow(MainWindowPort& fmMain, TfmBuild& fmBuild, Tdm1& dm1, ProjectFlows& flows,
              Dialogs& dialogs);

    // The handler of aBuild. A unit that cannot be written throws EFCreateError once the grid
    // is back, for the general error report.
    void aBuildExecute();

  private:
    // With errors in the table, asks whether to build a unit that will not compile.
    bool ConfirmErrors();

    MainWindowPort& fmMain_;
    TfmBuild& fmBuild_;
    Tdm1& dm1_;
    ProjectFlows& flows_;
    Dialogs& dialogs_;
};

}  // namespace parlix
