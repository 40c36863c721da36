#include "project/project_flows.h"

#include <QAction>

#include "editor/dialogs.h"
#include "editor/main_window.h"
#include "project/data_module.h"
#include "project/edit_project_form.h"
#include "table/backups.h"
#include "table/ptf_format.h"

namespace parlix {

namespace {

const char* const kBackupFailed = "Fehler beim Erstellen der Backup-Dateien";
const char* const kSaveAnyway =
    "Fehler beim Erstellen der Backup-Dateien - Änderungen trotzdem speichern?";
const char* const kSaveFailed = "Fehler beim Speichern der Datei: ";
const char* const kSaveFirst = "Tabelle vorher speichern?";

}  // namespace

ProjectFlows::ProjectFlows(TfmMain& fmMain, TfmEditProject& fmEditProject, Tdm1& dm1,
                           Dialogs& dialogs)
    : fmMain_(fmMain), fmEditProject_(fmEditProject), dm1_(dm1), dialogs_(dialogs) {}

bool ProjectFlows::SaveTranslations() {
    TfmMain::GridHidden hidden(fmMain_);
    const std::string& path = dm1_.State.TranslationsFileName;
    if (!RotateBackups(path, dm1_.State.BackupCount, ".bak")) {
        dialogs_.ShowInformation(&fmMain_, QString::fromUtf8(kBackupFailed));
        if (!dialogs_.AskYes(&fmMain_, QString::fromUtf8(kSaveAnyway),
                             MessageButtons::YesNoCancel)) {
            return false;
        }
    }
    try {
        SavePtfFile(path, '"', dm1_.cdsTranslations);
    } catch (const PtfError&) {
        dialogs_.ShowInformation(&fmMain_,
                                 QString::fromUtf8(kSaveFailed) + QString::fromUtf8(path));
        return false;
    }
    return true;
}

bool ProjectFlows::ConfirmSaveIfModified() {
    PtfTable& table = dm1_.cdsTranslations;
    if (table.State() == TableState::Edit || table.State() == TableState::Insert) {
        if (table.Modified()) {
            table.Post();  // enables the save action
        } else {
            table.Cancel();
        }
    }
    if (fmMain_.aSave->isEnabled() && table.IsActive()) {
        if (dialogs_.AskYes(&fmMain_, QString::fromUtf8(kSaveFirst), MessageButtons::YesNo)) {
            return SaveTranslations();
        }
        return true;
    }
    fmMain_.aSave->setEnabled(false);
    return true;
}

void ProjectFlows::aNewProjectExecute() {
    // Creating a project comes with the project flows.
    (void)fmEditProject_;
}

void ProjectFlows::aOpenProjectAccept(const QString& /*path*/) {
    // Opening a project comes with the project flows.
}

void ProjectFlows::aEditProjectExecute() {
    // Re-configuring a project comes with the project flows.
}

}  // namespace parlix
