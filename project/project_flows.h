// The project flows that run from the main window's actions: creating, opening and
// re-configuring a project, saving the translation table with numbered backups, and the offer
// to save pending changes.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace parlix {

// Asked when the numbered backups of a file could not all be made.
inline constexpr char kSaveDespiteBackupFailure[] =
    "Fehler beim Erstellen der Backup-Dateien - Änderungen trotzdem speichern?";

class Dialogs;
class PtfTable;
class Tdm1;
class TfmEditProject;
class MainWindowPort;

class ProjectFlows {
  public:
    ProjectFlows(MainWindowPort& fmMain, TfmEditProject& fmEditProject, Tdm1& dm1,
                 Dialogs& dialogs);

    // Backs up the translation table file and writes the table to it. Every failure is told
    // to the user here. True when the file was written.
    bool SaveTranslations();

    // Offers to save pending changes of the translation table (Yes, No, Cancel); a changed
    // record still being edited counts as a change and is stored unless the user cancels.
    // Save stays available while changes are unsaved. False when the flow that asked must
    // stop: the user cancelled (Cancel, Escape or the box's close button; then nothing has
    // changed), or asked for the changes to be saved and they did not reach the file.
    bool ConfirmSaveIfModified();

    // Asks for the new project's settings and files, writes the project file and an empty
    // translation table file, and makes the new project the open one. A refused overwrite
    // or a project file that cannot be written leaves the open project as it was.
    void aNewProjectExecute();

    // Opens the project file at `path` and its translation table file. A project file that
    // cannot be read leaves the open project as it was. When the translation table file
    // cannot be read, the grid shows what was read of it, but nothing can be saved, built or
    // re-configured until a project has been created or opened successfully.
    void aOpenProjectAccept(const QString& path);

    // Lets the user change the open project's settings, writes the project file with numbered
    // backups and saves the translation table under the new language names, then reads the
    // table back from its file (also when the dialog was cancelled).
    void aEditProjectExecute();

  private:
    // Reads `path` into `table`: true when it was read whole. A damaged file is told as
    // "Error by load PTF-File: <path>"; a file that cannot be opened throws EFOpenError.
    bool LoadTable(const std::string& path, PtfTable& table);
    // The same for a reader of its own (`read` fills `table` from `path`).
    bool LoadTable(const std::string& path, PtfTable& table,
                   const std::function<void(PtfTable&)>& read);
    // Asks whether to write although the backups failed; true for Yes.
    bool WriteDespiteBackupFailure();
    // The settings dialog may take texts as long as the project record's fields hold.
    void LimitSettingsToProjectFields();
    // After the translation table file failed to load: the table belongs to no file any
    // more, so that nothing can write what was read of it over a file.
    void DetachTranslationTable();

    MainWindowPort& fmMain_;
    TfmEditProject& fmEditProject_;
    Tdm1& dm1_;
    Dialogs& dialogs_;
};

}  // namespace parlix
