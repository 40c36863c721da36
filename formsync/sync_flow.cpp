#include "formsync/sync_flow.h"

#include "formsync/form_sync.h"
#include "formsync/sync_dialog.h"
#include "history/edit_history.h"
#include "project/data_module.h"
#include "table/text.h"
#include "ui/main_window_port.h"
#include "ui/text_input_rules.h"

namespace parlix {

FormSyncFlow::FormSyncFlow(MainWindowPort& fmMain, Tdm1& dm1, Dialogs& dialogs)
    : fmMain_(fmMain), dm1_(dm1), dialogs_(dialogs) {}

void FormSyncFlow::aSyncFormsExecute() {
    PtfTable& table = dm1_.cdsTranslations;
    const ProjectState& state = dm1_.State;
    if (!table.IsActive() || state.TranslateMode) {
        return;
    }
    // The plan compares the forms with the stored records.
    table.EndEdit();
    auto forms = std::make_shared<const forms::ProjectForms>(formsync::FormsSourceOf(state));
    if (FormsRead) {
        FormsRead(forms);
    }
    if (!forms->Found()) {
        QString text = TrimView(state.UsesList).empty()
                           ? QStringLiteral(
                                 "Der Uses-Abschnitt des Projekts nennt keine Unit, also auch "
                                 "kein Formular.")
                           : QStringLiteral(
                                 "Zu den Units des Uses-Abschnitts (%1) wurde kein Formular "
                                 "gefunden: gesucht wurden <Unit>.lfm und <Unit>.dfm neben der "
                                 "Quelltext-Unit und neben der Projektdatei.")
                                 .arg(FromCp1252(state.UsesList));
        for (const Fault& fault : forms->Faults()) {
            text += QStringLiteral("\n\n") + QString::fromStdString(fault.Text());
        }
        dialogs_.ShowMessage(fmMain_.Window(), MessageKind::Information, text, MessageButtons::Ok);
        return;
    }
    const formsync::SyncPlan plan = formsync::PlanFormSync(*forms, table);
    const QString language1 =
        FromCp1252(table.Field(translation_field::LanguageColumn(1)).FieldName());
    TfmFormSync window(plan, *forms, language1, fmMain_.Window());
    if (dialogs_.ExecuteModal(window) != QDialog::Accepted) {
        return;
    }
    const std::vector<bool> remove = window.RemoveVanished();
    // The posts and the removal tell the data module that there are changes to save.
    HistoryStep step(dm1_.History);
    formsync::ApplyFormSync(plan, table, remove);
}

}  // namespace parlix
