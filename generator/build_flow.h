// Build, as the main window's action runs it: the offer to save, the build dialog, the question
// whether to go on when the checks find errors (warnings ask nothing), then the unit generated
// from the translation table in the chosen character set and written over the source unit
// after numbered backups of the old one, and the status bar telling what was written. The
// current row stays where it was.
#pragma once

#include "check/table_checks.h"

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
    // The checks of the translation table (none while it is closed).
    check::CheckResult Check();
    // With errors in the table, asks whether to build a unit that will not compile.
    bool ConfirmErrors(const check::CheckResult& checks);

    MainWindowPort& fmMain_;
    TfmBuild& fmBuild_;
    Tdm1& dm1_;
    ProjectFlows& flows_;
    Dialogs& dialogs_;
};

}  // namespace parlix
