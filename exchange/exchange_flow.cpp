#include "exchange/exchange_flow.h"

#include <QCheckBox>
#include <QFileInfo>

#include "exchange/exchange.h"
#include "exchange/export_dialog.h"
#include "exchange/import_report.h"
#include "history/edit_history.h"
#include "project/data_module.h"
#include "table/errors.h"
#include "table/file_io.h"
#include "ui/error_report.h"
#include "ui/main_window_port.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

// Qt's file dialog takes several filters separated by ";;"; the last one's mask is repeated
// as the mask, so that the seam adds none of its own.
const char* const kExportFilters = "XLIFF 1.2 (*.xlf *.xliff);;CSV (*.csv)";
const char* const kImportFilters = "XLIFF oder CSV (*.xlf *.xliff *.csv)";

QString Path(const std::string& path) {
    return QString::fromStdString(path);
}

QString Quoted(const QString& text) {
    return QStringLiteral("„") + text + QStringLiteral("“");
}

// The name of the file without its folder, in the quotes of the messages.
QString FileName(const std::string& path) {
    return Quoted(QFileInfo(Path(path)).fileName());
}

}  // namespace

ExchangeFlow::ExchangeFlow(MainWindowPort& fmMain, Tdm1& dm1, Dialogs& dialogs)
    : fmMain_(fmMain),
      dm1_(dm1),
      dialogs_(dialogs),
      fmExport_(std::make_unique<TfmExport>(dialogs, fmMain.Window())) {
    sdExport.mode = FileDialogOptions::Mode::Save;
    sdExport.title = QStringLiteral("Exportieren");
    sdExport.defaultExtension = QStringLiteral("xlf");
    sdExport.filterDescription = QString::fromUtf8(kExportFilters);
    sdExport.filterMask = QStringLiteral("*.csv");

    odImport.mode = FileDialogOptions::Mode::Open;
    odImport.title = QStringLiteral("Importieren");
    odImport.filterDescription = QString::fromUtf8(kImportFilters);
    odImport.filterMask = QStringLiteral("*.xlf *.xliff *.csv");
    odImport.fileMustExist = true;
}

ExchangeFlow::~ExchangeFlow() = default;

std::string ExchangeFlow::CodeFor(const std::string& languageName) const {
    const auto given = codes_.find(languageName);
    return given != codes_.end() ? given->second : exchange::GuessLanguageCode(languageName);
}

void ExchangeFlow::StorePendingEdit() {
    dm1_.cdsTranslations.EndEdit();
}

void ExchangeFlow::ShowError(const QString& text) {
    dialogs_.ShowMessage(fmMain_.Window(), MessageKind::Error, text, MessageButtons::Ok);
}

// ---------------------------------------------------------------------------------------------
// Export

void ExchangeFlow::aExportExecute() {
    PtfTable& table = dm1_.cdsTranslations;
    const ProjectState& state = dm1_.State;
    if (!table.IsActive()) {
        return;
    }
    const std::string& name1 = state.LanguageNames[1];
    const std::string& name2 = state.LanguageNames[2];
    TfmExport& dialog = *fmExport_;
    dialog.SetLanguages(FromCp1252(name1), QString::fromStdString(CodeFor(name1)),
                        FromCp1252(name2), QString::fromStdString(CodeFor(name2)));
    if (dialogs_.ExecuteModal(dialog) != QDialog::Accepted) {
        return;
    }
    exchange::ExportOptions options;
    options.sourceCode = dialog.SourceCode().toStdString();
    options.targetCode = dialog.TargetCode().toStdString();
    options.onlyUntranslated = dialog.cbUntranslated->isChecked();
    options.csvDelimiter = dialog.Delimiter();
    options.original = std::string(ExtractFileName(state.TranslationsFileName));
    options.marks = &dm1_.Marks;
    codes_[name1] = options.sourceCode;
    codes_[name2] = options.targetCode;

    // The project's name and the target language, in the folder of the last export.
    const QFileInfo project(Path(state.ProjectFileName));
    if (sdExport.folder.isEmpty()) {
        sdExport.folder = project.absolutePath();
    }
    sdExport.fileName =
        project.completeBaseName() + "_" + dialog.TargetCode() + "." + sdExport.defaultExtension;
    const std::optional<QString> chosen =
        dialogs_.ExecuteFileDialog(fmMain_.Window(), sdExport, {});
    if (!chosen) {
        return;
    }
    const std::string path = chosen->toStdString();
    const std::optional<exchange::Format> format = exchange::FormatForFile(path);
    if (!format) {
        ShowError(FileName(path) + QStringLiteral(" wurde nicht geschrieben: die Dateiendung "
                                                  "bestimmt das Format, .xlf oder .xliff für "
                                                  "XLIFF, .csv für CSV."));
        return;
    }
    if (FileExists(path) &&
        !dialogs_.AskYes(
            fmMain_.Window(),
            QStringLiteral("Die Datei %1 gibt es schon. Überschreiben?").arg(FileName(path)),
            MessageButtons::YesNo)) {
        return;
    }
    sdExport.defaultExtension = QFileInfo(*chosen).suffix().toLower();
    StorePendingEdit();
    int units = 0;
    try {
        units = exchange::ExportFile(path, *format, table, options);
    } catch (const PtfError& error) {
        ShowError(QStringLiteral("Der Export ist fehlgeschlagen.\n\n") +
                  QString::fromUtf8(error.what()));
        return;
    }
    dialogs_.ShowInformation(fmMain_.Window(), QStringLiteral("%1 %2 nach %3 exportiert.")
                                                   .arg(units)
                                                   .arg(units == 1 ? QStringLiteral("Einheit")
                                                                   : QStringLiteral("Einheiten"))
                                                   .arg(FileName(path)));
}

// ---------------------------------------------------------------------------------------------
// Import

void ExchangeFlow::aImportExecute() {
    PtfTable& table = dm1_.cdsTranslations;
    const ProjectState& state = dm1_.State;
    if (!table.IsActive()) {
        return;
    }
    if (odImport.folder.isEmpty()) {
        odImport.folder = QFileInfo(Path(state.ProjectFileName)).absolutePath();
    }
    const std::optional<QString> chosen =
        dialogs_.ExecuteFileDialog(fmMain_.Window(), odImport, {});
    if (!chosen) {
        return;
    }
    StorePendingEdit();  // the plan compares the file with the stored records
    exchange::ImportOptions options;
    options.targetCode = CodeFor(state.LanguageNames[2]);
    options.original = std::string(ExtractFileName(state.TranslationsFileName));
    const exchange::ImportPlan plan = exchange::PlanImport(chosen->toStdString(), table, options);
    if (plan.fault) {
        ShowError(QStringLiteral("Die Datei kann nicht importiert werden; die Tabelle bleibt, "
                                 "wie sie ist.\n\n") +
                  FaultMessage(*plan.fault));
        return;
    }
    TfmImportReport report(plan, FromCp1252(table.Field(plan.targetColumn).FieldName()),
                           fmMain_.Window());
    if (dialogs_.ExecuteModal(report) != QDialog::Accepted || !plan.HasChanges()) {
        return;
    }
    // Each row's post tells the data module that there are changes to save; drafts whose text
    // is unchanged change only their marks.
    {
        HistoryStep step(dm1_.History);
        exchange::ApplyImportPlan(plan, table, &dm1_.Marks);
    }
    if (plan.DraftCount() > 0) {
        fmMain_.SetChangesToSave(!state.TranslationsFileName.empty());
        fmMain_.MarksChanged();
    }
}

}  // namespace parlix
