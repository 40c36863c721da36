// The whole program in a temporary folder, driven as a user drives it: the scripted stand-in
// answers message boxes, file dialogs and the modal dialogs, and the helpers below do what a
// user does with the settings dialog, the grid and the navigator.
#pragma once

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "editor/data_grid.h"
#include "editor/main_window.h"
#include "editor/program.h"
#include "editor/record_navigator.h"
#include "project/data_module.h"
#include "project/edit_project_form.h"
#include "test_support.h"
#include "ui/scripted_dialogs.h"
#include "ui/text_input_rules.h"

namespace parlix::testing {

// What the user enters in the settings dialog.
struct ProjectEntries {
    QString language1 = QStringLiteral("Deutsch");
    QString language2 = QStringLiteral("English");
    QString sourceFile = QStringLiteral("uTexte.pas");
    int backups = 2;
    QString uses;  // the memo's text, lines separated by '\n'
};

// Fills the settings dialog and confirms it with OK.
inline std::function<void(QDialog&)> EnterSettings(const ProjectEntries& entries) {
    return [entries](QDialog& dialog) {
        auto& form = static_cast<TfmEditProject&>(dialog);
        form.SetLanguageText(1, entries.language1);
        form.SetLanguageText(2, entries.language2);
        form.leSourceName->setText(entries.sourceFile);
        form.cbBackups->setCurrentIndex(entries.backups);
        form.mUses->setPlainText(entries.uses);
        form.btSave->click();
    };
}

// Closes a modal dialog with Cancel.
inline void CancelDialog(QDialog& dialog) {
    dialog.reject();
}

// Clicks OK in a modal dialog without changing anything.
inline void ConfirmDialog(QDialog& dialog) {
    dialog.accept();
}

class FlowsHarness {
  public:
    FlowsHarness() : program_(std::make_unique<Program>(dialogs)) { Show(); }

    TempDir dir;
    ScriptedDialogs dialogs;

    TfmMain& Main() { return program_->fmMain(); }
    TfmEditProject& Settings() { return program_->fmEditProject(); }
    Tdm1& Dm1() { return program_->dm1(); }
    ProjectState& State() { return program_->dm1().State; }
    PtfTable& Table() { return program_->dm1().cdsTranslations; }
    PtfTable& ProjectTable() { return program_->dm1().cdsProject; }
    DataGrid& Grid() { return *Main().dbgTranslations; }
    Program& program() { return *program_; }

    // A path in the temporary folder.
    std::string File(const std::string& name) const { return dir.File(name); }
    QString Path(const std::string& name) const { return QString::fromStdString(File(name)); }

    // Creates a project through "Neues Projekt": the settings, the save dialog's answer, and
    // the answers to the overwrite questions (if any are asked).
    void NewProject(const std::string& name, const ProjectEntries& entries = {},
                    std::vector<MessageAnswer> overwriteAnswers = {}) {
        dialogs.modalScripts.push_back(EnterSettings(entries));
        dialogs.fileAnswers.push_back({{}, Path(name)});
        dialogs.answers.insert(dialogs.answers.end(), overwriteAnswers.begin(),
                               overwriteAnswers.end());
        Main().aNewProject->trigger();
    }

    // Opens a project through the open action's dialog.
    void OpenProject(const std::string& name) {
        dialogs.fileAnswers.push_back({{}, Path(name)});
        Main().aOpenProject->trigger();
    }

    // Appends a record through the grid and stores it with the navigator's post button, as a
    // user who types into a new row and clicks "Übernehmen".
    void AddRow(const QStringList& values) {
        Grid().AppendRecord();
        const int row = Grid().model()->rowCount() - 1;
        for (int column = 0; column < values.size(); ++column) {
            Grid().model()->setData(Grid().model()->index(row, column), values.at(column));
        }
        Main().dbnTranslations->Click(RecordNavigator::nbPost);
    }

    // Types a new value into a cell and stores it with the post button.
    void EditCell(int row, int column, const QString& value) {
        Grid().setCurrentIndex(Grid().model()->index(row, column));
        Grid().model()->setData(Grid().model()->index(row, column), value);
        Main().dbnTranslations->Click(RecordNavigator::nbPost);
    }

    // The values of a column in the order the grid shows them.
    QStringList Column(int column) {
        QStringList values;
        for (int row = 0; row < Grid().model()->rowCount(); ++row) {
            values << Grid().model()->index(row, column).data().toString();
        }
        return values;
    }

    // The grid's column titles.
    QStringList Titles() {
        QStringList titles;
        for (int column = 0; column < Grid().model()->columnCount(); ++column) {
            titles << Grid().model()->headerData(column, Qt::Horizontal).toString();
        }
        return titles;
    }

    // Whether the three actions that need a loaded project are available.
    bool ProjectActionsEnabled() {
        return Main().aBuild->isEnabled() && Main().aEditProject->isEnabled();
    }

    // A project file as the program writes it, with the given languages and source unit.
    void WriteProjectFile(const std::string& name, const std::string& language1,
                          const std::string& language2, const std::string& sourceFile,
                          int backups = 2, const std::string& uses = "") {
        WriteBytes(File(name),
                   "/* Portable Table Format 1.0 */\r\n"
                   "porTables[porTables.length] = new Array(\r\n"
                   "\"SourceFile\",\"Language1\",\"Language2\",\"Backups\",\"Uses\","
                   "\"DataStandard\",\"DataVersion\",\"PTFVersion\",\"ProgName\",\"ProgVersion\","
                   "\"ProgType\",\"LastSave\",\r\n\"" +
                       sourceFile + "\",\"" + language1 + "\",\"" + language2 + "\"," +
                       std::to_string(backups) + ",\"" + uses +
                       "\",\"Old Editor\",\"0.9\",\"0.9\",\"Old\",\"0.9\",\"Old\","
                       "\"2020-01-02 03:04:05\",\r\n12);\r\n");
    }

    // Demo.ppr and its table of four records, saved: two with a StringName, one label without,
    // and a hint whose English text is empty.
    void WriteDemoProject() {
        WriteProjectFile("Demo.ppr", "Deutsch", "English", "uTexte.pas");
        WriteTranslationFile("Demo_translations.ptf",
                             {{"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"},
                              {"Label", "frmMain.lblName.Caption", "", "Name:", "Name:"},
                              {"Button", "frmMain.btSave.Caption", "sSave", "Speichern", "Save"},
                              {"Hint", "frmMain.btSave.Hint", "", "Adresse speichern", ""}});
    }

    // A translation table file with the given records (five texts each).
    void WriteTranslationFile(const std::string& name, const std::vector<QStringList>& rows,
                              const std::string& language1 = "Deutsch",
                              const std::string& language2 = "English") {
        std::string content =
            "/* Portable Table Format 1.0 */\r\n"
            "porTables[porTables.length] = new Array(\r\n"
            "\"Type\",\"Property\",\"StringName\",\"" +
            language1 + "\",\"" + language2 + "\",\r\n";
        for (const QStringList& row : rows) {
            for (const QString& value : row) {
                content += "\"" + ToCp1252(value) + "\",";
            }
            content += "\r\n";
        }
        content += "5);\r\n";
        WriteBytes(File(name), content);
    }

    // Ends the program (after its main window was closed) and starts it again.
    void Restart() {
        program_.reset();
        program_ = std::make_unique<Program>(dialogs);
        Show();
    }

  private:
    // Short-cuts need the main window to be the active one.
    void Show() {
        Main().show();
        if (!QTest::qWaitForWindowActive(&Main())) {
            dialogs.unexpected << QStringLiteral("the main window did not become active");
        }
    }

    std::unique_ptr<Program> program_;
};

}  // namespace parlix::testing
