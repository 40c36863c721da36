// Export and import, as the main window's actions "Exportieren..." and "Importieren..." run
// them: the options and the file, then the file written; the file, then the report of what
// the import would change, then the change applied to language 2 as one step of the undo
// history, unsaved until the user saves.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "ui/dialogs.h"

namespace parlix {

class MainWindowPort;
class Tdm1;
class TfmExport;

class ExchangeFlow {
  public:
    ExchangeFlow(MainWindowPort& fmMain, Tdm1& dm1, Dialogs& dialogs);
    ~ExchangeFlow();
    ExchangeFlow(const ExchangeFlow&) = delete;
    ExchangeFlow& operator=(const ExchangeFlow&) = delete;

    // The handler of aExport: the options dialog, the save dialog, then the file in the format
    // its name asks for. A file that cannot be written is reported with its name.
    void aExportExecute();
    // The handler of aImport: the open dialog, the plan, the report, and on "Übernehmen" the
    // plan applied. A damaged file is reported with its line and changes nothing.
    void aImportExecute();

    // The dialogs; they keep their folder and choices for the program's run.
    FileDialogOptions sdExport;
    FileDialogOptions odImport;
    TfmExport& fmExport() { return *fmExport_; }

  private:
    // The code for a language name: the one the user gave it in this run, else the guess.
    std::string CodeFor(const std::string& languageName) const;
    // Stores a record still being edited, so that the file and the plan see it; drops an
    // unchanged new one.
    void StorePendingEdit();
    void ShowError(const QString& text);

    MainWindowPort& fmMain_;
    Tdm1& dm1_;
    Dialogs& dialogs_;
    std::unique_ptr<TfmExport> fmExport_;
    // The codes the user confirmed, by language name (Windows-1252), for the program's run;
    // the project file does not hold them.
    std::map<std::string, std::string> codes_;
};

}  // namespace parlix
