// The project flows that run from the main window's actions: saving the translation table with
// numbered backups and the offer to save pending changes. Creating, opening and re-configuring
// a project attach here as well.
#pragma once

#include <QString>

namespace parlix {

class Dialogs;
class Tdm1;
class TfmEditProject;
class TfmMain;

class ProjectFlows {
  public:
    ProjectFlows(TfmMain& fmMain, TfmEditProject& fmEditProject, Tdm1& dm1, Dialogs& dialogs);

    // Backs up the translation table file and writes the table to it. Every failure is told
    // to the user here. True when the file was written.
    bool SaveTranslations();

    // Offers to save pending changes of the translation table; a record still being edited
    // counts as a change and is stored first. False only when the user asked for the changes
    // to be saved and they did not reach the file.
    bool ConfirmSaveIfModified();

    void aNewProjectExecute();
    void aOpenProjectAccept(const QString& path);
    void aEditProjectExecute();

  private:
    TfmMain& fmMain_;
    TfmEditProject& fmEditProject_;
    Tdm1& dm1_;
    Dialogs& dialogs_;
};

}  // namespace parlix
