#include "generator/build_flow.h"

#include <QDialog>
#include <QString>

#include "check/table_checks.h"
#include "generator/build_form.h"
#include "generator/unit_file.h"
#include "generator/unit_generator.h"
#include "project/data_module.h"
#include "project/project_flows.h"
#include "ui/dialogs.h"
#include "ui/main_window_port.h"

namespace parlix {

BuildFlow::BuildFlow(MainWindowPort& fmMain, TfmBuild& fmBuild, Tdm1& dm1, ProjectFlows& flows,
                     Dialogs& dialogs)
    : fmMain_(fmMain), fmBuild_(fmBuild), dm1_(dm1), flows_(flows), dialogs_(dialogs) {}

void BuildFlow::aBuildExecute() {
    flows_.ConfirmSaveIfModified();
    if (dialogs_.ExecuteModal(fmBuild_) != QDialog::Accepted) {
        return;
    }
    if (!ConfirmErrors()) {
        return;
    }
    // The unit is complete before backups are made and it replaces the old one.
    GridHidden hidden(fmMain_);
    const ProjectState& state = dm1_.State;
    GenerateUnitFile(SourceFilePath(state), state.BackupCount, state, dm1_.cdsTranslations,
                     [this](const EFCreateError&) {
                         return dialogs_.AskYes(fmMain_.Window(),
                                                QString::fromUtf8(kSaveDespiteBackupFailure),
                                                MessageButtons::YesNoCancel);
                     });
}

bool BuildFlow::ConfirmErrors() {
    PtfTable& translations = dm1_.cdsTranslations;
    if (!translations.IsActive()) {
        return true;
    }
    const int errors =
        check::CheckTranslations(translations, {UnitNameFor(dm1_.State.SourceFileName)}).errors;
    return errors == 0 ||
           dialogs_.AskYes(fmMain_.Window(),
                           QStringLiteral("Die Tabelle enthält %1 Fehler, die Unit wird nicht "
                                          "übersetzbar sein. Trotzdem erstellen?")
                               .arg(errors),
                           MessageButtons::YesNo);
}

}  // namespace parlix
