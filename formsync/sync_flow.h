// The sync with the application's forms as the main window's "Projekt" -> "Mit Formularen
// abgleichen..." runs it: the project's forms read, the plan shown, and on "Übernehmen" the plan
// applied as one step of the undo history, unsaved until the user saves.
#pragma once

#include <functional>
#include <memory>

#include "ui/dialogs.h"

namespace parlix {

namespace forms {
class ProjectForms;
}

class MainWindowPort;
class Tdm1;

class FormSyncFlow {
  public:
    FormSyncFlow(MainWindowPort& fmMain, Tdm1& dm1, Dialogs& dialogs);

    // The handler of aSyncForms. Forms that cannot be read are listed in the plan's window;
    // when none is found, a message says where they were looked for.
    void aSyncFormsExecute();

    // Hears the forms each run reads, so that the checks know them too.
    std::function<void(std::shared_ptr<const forms::ProjectForms>)> FormsRead;

  private:
    MainWindowPort& fmMain_;
    Tdm1& dm1_;
    Dialogs& dialogs_;
};

}  // namespace parlix
