#include "generator/build_flow.h"

#include <algorithm>

#include <QDialog>
#include <QLocale>
#include <QString>

#include "check/table_checks.h"
#include "forms/project_forms.h"
#include "formsync/form_sync.h"
#include "generator/build_form.h"
#include "generator/unit_file.h"
#include "generator/unit_generator.h"
#include "project/data_module.h"
#include "project/project_flows.h"
#include "table/file_io.h"
#include "ui/current_record.h"
#include "ui/dialogs.h"
#include "ui/main_window_port.h"

namespace parlix {

namespace {

// "uTexte.pas geschrieben: 38 Zeilen, 0 Fehler, 1 Warnung"; "unverändert" when the file held
// these bytes already. A unit in UTF-8 says so, since it may be UTF-8 only because the unit it
// replaced was.
QString BuildReport(const std::string& path, Replacement result, const UnitWritten& written,
                    const check::CheckResult& checks) {
    const QString file = QString::fromStdString(std::string(ExtractFileName(path)));
    if (result == Replacement::Declined) {
        return file + QStringLiteral(" nicht geschrieben");
    }
    const QLocale locale;
    const std::size_t lines = written.lines;
    return QStringLiteral("%1%2 %3: %4 %5, %6 Fehler, %7 %8")
        .arg(file)
        .arg(written.encoding == UnitEncoding::Utf8 ? QStringLiteral(" (UTF-8)") : QString())
        .arg(result == Replacement::Unchanged ? QStringLiteral("unverändert")
                                              : QStringLiteral("geschrieben"))
        .arg(locale.toString(static_cast<qulonglong>(lines)))
        .arg(lines == 1 ? QStringLiteral("Zeile") : QStringLiteral("Zeilen"))
        .arg(locale.toString(checks.errors))
        .arg(locale.toString(checks.warnings))
        .arg(checks.warnings == 1 ? QStringLiteral("Warnung") : QStringLiteral("Warnungen"));
}

}  // namespace

BuildFlow::BuildFlow(MainWindowPort& fmMain, TfmBuild& fmBuild, Tdm1& dm1, ProjectFlows& flows,
                     Dialogs& dialogs)
    : fmMain_(fmMain), fmBuild_(fmBuild), dm1_(dm1), flows_(flows), dialogs_(dialogs) {}

void BuildFlow::aBuildExecute() {
    if (!flows_.ConfirmSaveIfModified()) {
        return;  // cancelled, or the changes the user wanted saved are still only here
    }
    if (dialogs_.ExecuteModal(fmBuild_) != QDialog::Accepted) {
        return;
    }
    const check::CheckResult checks = Check();
    if (!ConfirmErrors(checks)) {
        return;
    }
    // The unit is complete before backups are made and it replaces the old one.
    const ProjectState& state = dm1_.State;
    const std::string path = SourceFilePath(state);
    UnitWritten written;
    Replacement result = Replacement::Declined;
    {
        GridHidden hidden(fmMain_);
        CurrentRecordKept kept(dm1_.cdsTranslations);
        result = GenerateUnitFile(
            path, state.BackupCount, state, dm1_.cdsTranslations,
            [this](const EFCreateError&) {
                return dialogs_.AskYes(fmMain_.Window(),
                                       QString::fromUtf8(kSaveDespiteBackupFailure),
                                       MessageButtons::YesNoCancel);
            },
            fmBuild_.EncodingChoice(), &written);
    }
    fmMain_.ShowStatus(BuildReport(path, result, written, checks));
}

check::CheckResult BuildFlow::Check() {
    PtfTable& translations = dm1_.cdsTranslations;
    if (!translations.IsActive()) {
        return {};
    }
    // The forms as they are now: the unit is compiled against them.
    const forms::ProjectForms forms(formsync::FormsSourceOf(dm1_.State));
    return check::CheckTranslations(
        translations, {UnitNameFor(dm1_.State.SourceFileName), dm1_.State.UsesList, &forms});
}

bool BuildFlow::ConfirmErrors(const check::CheckResult& checks) {
    // The unit name, the uses list and the language names go into the unit as code: with an
    // error there, the unit could run whatever the settings hold, so it is never written.
    const auto settingsErrors = std::count_if(
        checks.findings.begin(), checks.findings.end(), [](const check::Finding& finding) {
            return finding.row < 0 && finding.severity == check::Severity::Error &&
                   finding.rule != check::Rule::ColumnTitle;
        });
    if (settingsErrors > 0) {
        dialogs_.ShowInformation(
            fmMain_.Window(),
            QStringLiteral("Die Projekt-Einstellungen enthalten %1 Fehler (siehe Prüfungen), "
                           "die Unit wird nicht erstellt.")
                .arg(settingsErrors));
        return false;
    }
    const int errors = checks.errors;
    return errors == 0 ||
           dialogs_.AskYes(fmMain_.Window(),
                           QStringLiteral("Die Tabelle enthält %1 Fehler, die Unit wird nicht "
                                          "übersetzbar sein. Trotzdem erstellen?")
                               .arg(errors),
                           MessageButtons::YesNo);
}

}  // namespace parlix
