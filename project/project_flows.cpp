#include "project/project_flows.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <ctime>
#include <functional>

#include "project/data_module.h"
#include "project/edit_project_form.h"
#include "review/sources_file.h"
#include "table/file_io.h"
#include "table/ptf_format.h"
#include "ui/current_record.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/main_window_port.h"
#include "ui/text_input_rules.h"

namespace parlix {

namespace {

const char* const kBackupFailed = "Fehler beim Erstellen der Backup-Dateien";
const char* const kSaveFailed = "Fehler beim Speichern der Datei: ";
const char* const kSaveFirst = "Tabelle vorher speichern?";
const char* const kNewProjectCaption = "Neues Projekt erstellen";
const char* const kEditProjectCaption = "Projekt-Einstellungen bearbeiten";
const char* const kProjectNotSaved = "Projekt nicht gespeichert";
const char* const kOpenFailed = "Fehler beim Öffnen der Datei ";
const char* const kTitle = "Parlix LE: ";
const char* const kLoadFailed = "Error by load PTF-File: ";
const char* const kMarksUnreadable = "Die Prüfmarken können nicht gelesen werden: ";
const char* const kMarksIgnored =
    "\nKeine Übersetzung gilt als zu prüfen; das nächste Speichern schreibt die Datei neu.";
constexpr char kQuote = '"';

// What the user confirmed in the settings dialog, trimmed and in Windows-1252.
struct Settings {
    std::string language[3];  // indexed 1 and 2
    std::string sourceFile;
    QString backups;  // the text of the backup choice, "0" to "5"
    std::string uses;
};

// The dialog has refused every character Windows-1252 cannot hold, so the conversions succeed.
Settings ReadSettings(const TfmEditProject& dialog) {
    Settings settings;
    for (int i = 1; i <= 2; ++i) {
        settings.language[i] = ToCp1252(TrimmedText(dialog.LanguageText(i)));
    }
    settings.sourceFile = ToCp1252(TrimmedText(dialog.leSourceName->text()));
    settings.backups = dialog.cbBackups->currentText();
    // The lines as the user broke them, joined with nothing between them.
    settings.uses = ToCp1252(TrimmedText(dialog.UsesLines().join(QString())));
    return settings;
}

// Writes the settings into the project record being edited, and LastSave.
void StoreSettings(const Settings& settings, PtfTable& project) {
    project.FieldByName(project_field::kLanguage1).SetAsString(settings.language[1]);
    project.FieldByName(project_field::kLanguage2).SetAsString(settings.language[2]);
    project.FieldByName(project_field::kSourceFile).SetAsString(settings.sourceFile);
    project.FieldByName(project_field::kBackups).SetAsString(settings.backups.toStdString());
    project.FieldByName(project_field::kUses).SetAsString(settings.uses);
    project.FieldByName(project_field::kLastSave).SetAsString(FormatLastSave(std::time(nullptr)));
}

// ProjectState's copies of the settings.
void ApplySettings(const Settings& settings, ProjectState& state) {
    state.SourceFileName = settings.sourceFile;
    state.BackupCount = settings.backups.toInt();
    state.UsesList = settings.uses;
}

// Renames the language fields to the names given (an empty name keeps the field's name) and
// makes LanguageNames follow the fields.
void NameLanguages(const Settings& settings, PtfTable& translations, ProjectState& state) {
    for (int i = 1; i <= 2; ++i) {
        FieldDef& field = translations.FieldDefs()[translation_field::LanguageColumn(i)];
        if (!settings.language[i].empty()) {
            field.SetName(settings.language[i]);
        }
        state.LanguageNames[static_cast<std::size_t>(i)] = field.Name();
    }
}

QString Path(const std::string& path) {
    return QString::fromStdString(path);
}

}  // namespace

ProjectFlows::ProjectFlows(MainWindowPort& fmMain, TfmEditProject& fmEditProject, Tdm1& dm1,
                           Dialogs& dialogs)
    : fmMain_(fmMain), fmEditProject_(fmEditProject), dm1_(dm1), dialogs_(dialogs) {}

// ---------------------------------------------------------------------------------------------
// Saving

bool ProjectFlows::WriteDespiteBackupFailure() {
    dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kBackupFailed));
    return dialogs_.AskYes(fmMain_.Window(), QString::fromUtf8(kSaveDespiteBackupFailure),
                           MessageButtons::YesNoCancel);
}

bool ProjectFlows::SaveTranslations() {
    GridHidden hidden(fmMain_);
    CurrentRecordKept kept(dm1_.cdsTranslations);
    const std::string& path = dm1_.State.TranslationsFileName;
    // The review marks go with the table: the same backups, and one question when they fail.
    const std::string sources = review::SourcesFileNameFor(dm1_.State.ProjectFileName);
    std::optional<bool> despite;
    const BackupFailureQuestion question = [this, &despite](const EFCreateError&) {
        if (!despite) {
            despite = WriteDespiteBackupFailure();
        }
        return *despite;
    };
    auto save = [this](const std::string& file, auto write) {
        try {
            return write() != Replacement::Declined;
        } catch (const PtfError&) {
            dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kSaveFailed) + Path(file));
            return false;
        }
    };
    const std::int32_t backups = dm1_.State.BackupCount;
    // Marks that were not written stay unsaved, and so Save stays available.
    if (!save(path,
              [&] { return SavePtfFile(path, kQuote, dm1_.cdsTranslations, backups, question); }) ||
        !save(sources, [&] {
            return review::SaveMarks(sources, dm1_.cdsTranslations, dm1_.Marks, backups, question);
        })) {
        return false;
    }
    dm1_.History.MarkSaved();
    return true;
}

void ProjectFlows::ReadMarks(bool reportDamage) {
    const std::optional<Fault> fault = review::LoadMarks(
        review::SourcesFileNameFor(dm1_.State.ProjectFileName), dm1_.cdsTranslations, dm1_.Marks);
    if (fault && reportDamage) {
        dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kMarksUnreadable) +
                                                       QString::fromStdString(fault->Text()) +
                                                       QString::fromUtf8(kMarksIgnored));
    }
}

bool ProjectFlows::ConfirmSaveIfModified() {
    PtfTable& table = dm1_.cdsTranslations;
    const bool editing = table.State() == TableState::Edit || table.State() == TableState::Insert;
    if (table.IsActive() && (fmMain_.ChangesToSave() || (editing && table.Modified()))) {
        const MessageAnswer answer =
            dialogs_.ShowMessage(fmMain_.Window(), MessageKind::Confirmation,
                                 QString::fromUtf8(kSaveFirst), MessageButtons::YesNoCancel);
        if (answer != MessageAnswer::Yes && answer != MessageAnswer::No) {
            return false;  // Cancel, Escape or the close button: nothing changes, not even the edit
        }
        table.EndEdit();  // a changed record enables the save action
        if (answer == MessageAnswer::No) {
            return true;  // the changes stay unsaved, and Save stays available
        }
        if (!SaveTranslations()) {
            return false;
        }
        fmMain_.SetChangesToSave(false);  // saved: nothing is left to save
        return true;
    }
    table.EndEdit();  // an edit that changed nothing
    fmMain_.SetChangesToSave(false);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Helpers of the flows

bool ProjectFlows::LoadTable(const std::string& path, PtfTable& table,
                             const std::function<void(PtfTable&)>& read) {
    try {
        read(table);
        return true;
    } catch (const EFOpenError&) {
        throw;  // for the general error report
    } catch (const FaultError&) {
        dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kLoadFailed) + Path(path));
        return false;
    }
}

bool ProjectFlows::LoadTable(const std::string& path, PtfTable& table) {
    return LoadTable(path, table, [&path](PtfTable& into) { LoadPtfFile(path, into); });
}

void ProjectFlows::LimitSettingsToProjectFields() {
    const FieldDefs& defs = dm1_.cdsProject.FieldDefs();
    auto size = [&defs](const char* name) {
        const int index = defs.IndexOf(name);
        return index >= 0 ? defs[index].Size() : 0;
    };
    TfmEditProject::TextLimits& limits = fmEditProject_.Limits;
    limits.sourceFile = size(project_field::kSourceFile);
    limits.language[1] = size(project_field::kLanguage1);
    limits.language[2] = size(project_field::kLanguage2);
    limits.uses = size(project_field::kUses);
}

void ProjectFlows::DetachTranslationTable() {
    dm1_.State.TranslationsFileName.clear();
    fmMain_.AfterProjectLoadFailed();
}

// ---------------------------------------------------------------------------------------------
// New project

void ProjectFlows::aNewProjectExecute() {
    ProjectState& state = dm1_.State;
    if (!ConfirmSaveIfModified()) {
        return;  // the changes the user wanted saved are still only here
    }

    fmEditProject_.setWindowTitle(QString::fromUtf8(kNewProjectCaption));
    LimitSettingsToProjectFields();
    if (dialogs_.ExecuteModal(fmEditProject_) != QDialog::Accepted) {
        return;
    }
    std::optional<QString> chosen =
        dialogs_.ExecuteFileDialog(fmMain_.Window(), fmEditProject_.sdProjectSave, {});
    if (!chosen) {
        dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kProjectNotSaved));
        return;
    }
    const std::string projectFile = chosen->toStdString();
    const std::string translationsFile = TranslationsFileNameFor(projectFile);

    bool overwrite = true;
    if (FileExists(projectFile)) {
        overwrite = dialogs_.AskYes(
            fmMain_.Window(),
            "Projekt-Datei " + Path(projectFile) + " existert bereits - Überschreiben?",
            MessageButtons::YesNoCancel);
    }
    if (overwrite && FileExists(translationsFile)) {
        overwrite = dialogs_.AskYes(
            fmMain_.Window(),
            "Datei " + Path(translationsFile) + " existert bereits - Überschreiben?",
            MessageButtons::YesNoCancel);
    }
    if (!overwrite) {
        dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kProjectNotSaved));
        return;
    }

    // The new record is written from a table of its own: a project file that cannot be
    // written leaves the open project's record and file names as they were.
    const Settings settings = ReadSettings(fmEditProject_);
    PtfTable record;
    record.FieldDefs() = dm1_.cdsProject.FieldDefs();
    record.CreateTable();
    record.First();
    record.Edit();  // the one new record
    StoreSettings(settings, record);
    SetIdentityFields(record);
    record.Post();
    record.Close();
    SavePtfFile(projectFile, kQuote, record);

    state.ProjectFileName = projectFile;
    state.TranslationsFileName = translationsFile;
    ApplySettings(settings, state);
    CopyTable(record, dm1_.cdsProject);
    fmMain_.SetTitle(QString::fromUtf8(kTitle) + Path(projectFile));

    PtfTable& translations = dm1_.cdsTranslations;
    {
        GridHidden hidden(fmMain_);
        translations.Close();
        NameLanguages(settings, translations, state);
        translations.CreateTable();
        SavePtfFile(translationsFile, kQuote, translations);
        translations.Open();
        fmMain_.ResetColumnLayout();
        fmMain_.FormResize();
    }
    fmMain_.AfterProjectLoaded();
}

// ---------------------------------------------------------------------------------------------
// Open project

void ProjectFlows::aOpenProjectAccept(const QString& path) {
    ProjectState& state = dm1_.State;
    PtfTable& project = dm1_.cdsProject;
    PtfTable& translations = dm1_.cdsTranslations;
    if (!ConfirmSaveIfModified()) {
        return;  // the changes the user wanted saved are still only here
    }
    fmMain_.LeaveTranslateMode();

    // The file is read into a table of its own and replaces the open project's record only
    // once it was read whole: a damaged file never reaches a file that a later save writes.
    const std::string projectFile = path.toStdString();
    PtfTable read;
    ProjectRecord record;
    if (!LoadTable(projectFile, read,
                   [&](PtfTable& into) { record = ReadProjectFile(projectFile, into); })) {
        return;
    }
    CopyTable(read, project);

    state.ProjectFileName = projectFile;
    fmMain_.SetTitle(QString::fromUtf8(kTitle) + path);
    project.Open();
    // The settings and language names as stored, not trimmed.
    TakeProjectRecord(record, state, translations);
    // In memory only; the file gets them with the next settings save.
    project.Edit();
    SetIdentityFields(project);
    project.Post();

    {
        GridHidden hidden(fmMain_);
        translations.Close();
        translations.CreateTable();
        const std::string translationsFile = TranslationsFileNameFor(projectFile);
        bool loaded = false;
        try {
            loaded = LoadTable(translationsFile, translations);
        } catch (const EFOpenError&) {
            ReportError(dialogs_, fmMain_.Window(), std::current_exception());
        }
        if (loaded) {
            state.TranslationsFileName = translationsFile;
            translations.Open();
            ReadMarks(true);
            fmMain_.ResetColumnLayout();
            fmMain_.FormResize();
            fmMain_.AfterProjectLoaded();  // the loading's posts changed nothing to save
        } else {
            DetachTranslationTable();
        }
    }
    translations.Open();
    project.Close();
}

// ---------------------------------------------------------------------------------------------
// Project settings

void ProjectFlows::aEditProjectExecute() {
    ProjectState& state = dm1_.State;
    PtfTable& project = dm1_.cdsProject;
    PtfTable& translations = dm1_.cdsTranslations;
    if (!ConfirmSaveIfModified()) {
        return;  // the reload below would drop the changes the user wanted saved
    }

    fmEditProject_.setWindowTitle(QString::fromUtf8(kEditProjectCaption));
    fmEditProject_.leSourceName->setText(FromCp1252(state.SourceFileName));
    fmEditProject_.SetBackupCount(state.BackupCount);
    fmEditProject_.mUses->setPlainText(FromCp1252(state.UsesList));
    project.Open();
    const ProjectRecord record = ReadProjectRecord(project);
    fmEditProject_.SetLanguageText(1, FromCp1252(record.Language1));
    fmEditProject_.SetLanguageText(2, FromCp1252(record.Language2));
    LimitSettingsToProjectFields();

    if (dialogs_.ExecuteModal(fmEditProject_) == QDialog::Accepted) {
        const Settings settings = ReadSettings(fmEditProject_);
        project.Edit();
        StoreSettings(settings, project);
        project.Post();
        ApplySettings(settings, state);

        const bool consent = SavePtfFile(state.ProjectFileName, kQuote, project, state.BackupCount,
                                         [this](const EFCreateError&) {
                                             return WriteDespiteBackupFailure();
                                         }) != Replacement::Declined;
        NameLanguages(settings, translations, state);
        if (consent && SaveTranslations()) {
            fmMain_.SetChangesToSave(false);
        }
    }

    // The table is read back from its file, which rebuilds it under the new language names.
    project.Close();
    bool reloaded = true;
    {
        GridHidden hidden(fmMain_);
        if (!LoadTable(state.TranslationsFileName, translations)) {
            dialogs_.ShowInformation(fmMain_.Window(), QString::fromUtf8(kOpenFailed) +
                                                           Path(state.TranslationsFileName));
            reloaded = false;
        }
        translations.Open();
        if (reloaded) {
            ReadMarks(false);  // a damaged file was reported when the project was opened
        }
        fmMain_.ResetColumnLayout();
        fmMain_.FormResize();
    }
    if (reloaded) {
        fmMain_.SetChangesToSave(false);  // the table is what its file holds
    } else {
        DetachTranslationTable();  // only part of the file was read
    }
}

}  // namespace parlix
