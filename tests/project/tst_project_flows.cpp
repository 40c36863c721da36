// Projects end to end: creating, editing, saving with backups, reopening, re-configuring and
// building, and every way these flows can fail, with the whole program in a temporary folder
// and a scripted user in front of it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <map>

#include "editor/text_input_form.h"
#include "generator/build_form.h"
#include "generator/pascal_stubs.h"
#include "project/flows_harness.h"
#include "table/ptf_format.h"

using namespace parlix;
using namespace parlix::testing;
namespace fs = std::filesystem;

namespace {

const QString kNotSaved = QStringLiteral("Projekt nicht gespeichert");
const QString kBackupFailed = QStringLiteral("Fehler beim Erstellen der Backup-Dateien");
const QString kSaveAnyway =
    QStringLiteral("Fehler beim Erstellen der Backup-Dateien - Änderungen trotzdem speichern?");
const QString kSaveFirst = QStringLiteral("Tabelle vorher speichern?");

// The empty translation table file of a new project with these languages.
std::string EmptyTable(const std::string& language1, const std::string& language2) {
    return "/* Portable Table Format 1.0 */\r\n"
           "porTables[porTables.length] = new Array(\r\n"
           "\"Type\",\"Property\",\"StringName\",\"" +
           language1 + "\",\"" + language2 + "\",\r\n5);\r\n";
}

// The project file's record, read as the program reads it.
struct StoredProject {
    std::map<std::string, std::string> fields;
    explicit StoredProject(const std::string& path) {
        PtfTable table;
        try {
            ReadProjectFile(path, table);
        } catch (const PtfError&) {
            return;
        }
        if (table.RecordCount() != 1) {
            return;
        }
        for (int i = 0; i < table.FieldCount(); ++i) {
            fields[table.Field(i).FieldName()] = table.Field(i).AsString();
        }
    }
    std::string operator[](const std::string& name) const {
        auto found = fields.find(name);
        return found != fields.end() ? found->second : "<missing>";
    }
};

bool IsLastSave(const std::string& text) {
    return QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
        .match(QString::fromStdString(text))
        .hasMatch();
}

// Answers the build dialog: with a language define (1 or 2) or without one (0).
std::function<void(QDialog&)> ChooseLanguage(int language) {
    return [language](QDialog& dialog) {
        auto& form = static_cast<TfmBuild&>(dialog);
        form.cbDefine->setChecked(language > 0);
        if (language > 0) {
            form.lbLanguages->setCurrentRow(language - 1);
        }
        form.btOK->click();
    };
}

}  // namespace

class ProjectFlowsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }
    ProjectState& State() { return h_->State(); }

    // A project Demo.ppr with two saved records.
    void DemoProject(const ProjectEntries& entries = {}) {
        H().NewProject("Demo.ppr", entries);
        H().AddRow({"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"});
        H().AddRow({"Label", "frmMain.lblName.Caption", "", "Name:", "Name:"});
        Main().aSave->trigger();
        QVERIFY(!Main().aSave->isEnabled());
    }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() { h_ = std::make_unique<FlowsHarness>(); }

    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    // --- The whole job ---

    void theWholeJob() {
        FlowsHarness& h = H();
        const std::string table = h.File("Demo_translations.ptf");

        // A new project with two backups; the uses clause typed on two lines.
        ProjectEntries entries;
        entries.uses = QStringLiteral("uMain,\n uForms");
        h.NewProject("Demo.ppr", entries);
        QVERIFY(h.dialogs.shown.empty());
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + h.Path("Demo.ppr"));
        QCOMPARE(State().UsesList, std::string("uMain, uForms"));
        QCOMPARE(ReadBytes(table), EmptyTable("Deutsch", "English"));

        // Rows typed into the grid; a property list typed on two lines in the long-text dialog.
        h.AddRow({"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"});
        h.AddRow({"Button", "", "", "Schließen", "Close"});
        QVERIFY(Main().aSave->isEnabled());
        h.Grid().setFocus();
        h.Grid().setCurrentIndex(h.Grid().model()->index(1, 1));
        h.dialogs.modalScripts.push_back([](QDialog& dialog) {
            auto& form = static_cast<TfmTextInput&>(dialog);
            QCOMPARE(form.windowTitle(), QString("Komponenten-Eigenschaften"));
            QTest::keyClicks(form.mProperties, "frmMain.btClose.Caption,");
            QTest::keyClick(form.mProperties, Qt::Key_Return);
            QTest::keyClicks(form.mProperties, "frmMain.btClose.Hint");
            form.btSave->click();
        });
        QTest::keyClick(&h.Grid(), Qt::Key_F2, Qt::ShiftModifier);
        QCOMPARE(h.Column(1).at(1), QString("frmMain.btClose.Caption,frmMain.btClose.Hint"));
        h.EditCell(0, 4, "Address Book");

        // Saved twice, two numbered backups.
        const std::string empty = ReadBytes(table);
        QTest::keyClick(&Main(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!Main().aSave->isEnabled());
        const std::string first = ReadBytes(table);
        QCOMPARE(ReadBytes(table + ".bak1"), empty);
        h.EditCell(1, 3, "Schließen!");
        QTest::keyClick(&Main(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadBytes(table + ".bak1"), first);
        QCOMPARE(ReadBytes(table + ".bak2"), empty);
        QVERIFY(!fs::exists(table + ".bak3"));
        QVERIFY(ReadBytes(table).find("\"Button\",\"frmMain.btClose.Caption,frmMain.btClose.Hint\","
                                      "null,\"Schlie\xDF"
                                      "en!\",\"Close\",\r\n") != std::string::npos);
        QVERIFY(h.dialogs.shown.empty());

        // Closed without a question, started again and opened.
        Main().close();
        QVERIFY(h.dialogs.shown.empty());
        h.Restart();
        h.OpenProject("Demo.ppr");
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + h.Path("Demo.ppr"));
        QCOMPARE(h.Titles(), QStringList({"Type", "Property", "StringName", "Deutsch", "English"}));
        QCOMPARE(h.Column(4), QStringList({"Address Book", "Close"}));
        QCOMPARE(State().TranslationsFileName, table);
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(h.ProjectActionsEnabled());

        // The languages renamed in the settings; the columns and both files follow.
        const std::string projectFile = h.File("Demo.ppr");
        const std::string project = ReadBytes(projectFile);
        h.dialogs.modalScripts.push_back([](QDialog& dialog) {
            auto& form = static_cast<TfmEditProject&>(dialog);
            QCOMPARE(form.windowTitle(), QString("Projekt-Einstellungen bearbeiten"));
            QCOMPARE(form.LanguageText(1), QString("Deutsch"));
            QCOMPARE(form.mUses->toPlainText(), QString("uMain, uForms"));
            form.SetLanguageText(1, " DE ");
            form.SetLanguageText(2, "EN");
            form.btSave->click();
        });
        Main().aEditProject->trigger();
        QCOMPARE(h.Titles(), QStringList({"Type", "Property", "StringName", "DE", "EN"}));
        QCOMPARE(State().LanguageNames[1], std::string("DE"));
        QCOMPARE(ReadBytes(projectFile + ".bak1"), project);
        QCOMPARE(StoredProject(projectFile)["Language1"], std::string("DE"));
        QVERIFY(ReadBytes(table).find("\"StringName\",\"DE\",\"EN\",\r\n") != std::string::npos);
        QCOMPARE(h.Column(4), QStringList({"Address Book", "Close"}));
        QVERIFY(!Main().aSave->isEnabled());

        // Built with the second language defined, then without a define.
        const std::string unit = h.File("uTexte.pas");
        h.dialogs.modalScripts.push_back(ChooseLanguage(2));
        Main().aBuild->trigger();
        const std::string english = ReadBytes(unit);
        QVERIFY(english.find("{$DEFINE EN}\r\n") != std::string::npos);
        h.dialogs.modalScripts.push_back(ChooseLanguage(0));
        Main().aBuild->trigger();
        QCOMPARE(ReadBytes(unit + ".bak1"), english);
        QVERIFY(ReadBytes(unit).find("{$DEFINE") == std::string::npos);
        QVERIFY(h.dialogs.shown.empty());
        QVERIFY(h.Grid().isVisible());

        // Both units compile and assign the texts of their language.
        const std::string fpc = FindFpc();
        QREQUIRE_TOOL(!fpc.empty(), "fpc (fp-compiler)");
        WriteBytes(h.File("uMain.pas"), FormUnit("uMain", "frmMain", {"btClose"}));
        WriteBytes(h.File("uForms.pas"), "unit uForms;\ninterface\nimplementation\nend.\n");
        WriteBytes(h.File("translate.pas"),
                   "program translate;\nuses uMain, uTexte;\nbegin\n  ParlixTranslate();\n"
                   "  Writeln(frmMain.Caption);\n  Writeln(frmMain.btClose.Caption);\n"
                   "  Writeln(frmMain.btClose.Hint);\nend.\n");
        std::string output;
        std::string log;
        QVERIFY2(CompileAndRun(fpc, h.dir.Path().string(), "translate.pas", {"DE"}, output, log),
                 log.c_str());
        QCOMPARE(output, std::string("Adressbuch\nSchlie\xDF"
                                     "en!\nSchlie\xDF"
                                     "en!\n"));
        WriteBytes(unit, english);
        QVERIFY2(CompileAndRun(fpc, h.dir.Path().string(), "translate.pas", {}, output, log),
                 log.c_str());
        QCOMPARE(output, std::string("Address Book\nClose\nClose\n"));
    }

    // --- New project ---

    void aNewProjectWritesBothFilesAndNoBackups() {
        ProjectEntries entries;
        entries.language1 = QStringLiteral("  Français ");
        entries.sourceFile = QStringLiteral(" units\\uTexte.pas ");
        entries.backups = 4;
        entries.uses = QStringLiteral("Forms, Dialogs,\nSysUtils");
        H().NewProject("Demo", entries);  // no extension

        const std::string projectFile = H().File("Demo");
        const StoredProject stored(projectFile);
        QCOMPARE(stored["Language1"], std::string("Fran\xE7"
                                                  "ais"));
        QCOMPARE(stored["SourceFile"], std::string("units\\uTexte.pas"));
        QCOMPARE(stored["Backups"], std::string("4"));
        QCOMPARE(stored["Uses"], std::string("Forms, Dialogs,SysUtils"));
        QCOMPARE(stored["DataStandard"], std::string("Parlix Editor"));
        QCOMPARE(stored["ProgName"], std::string("Parlix LE"));
        QCOMPARE(stored["ProgType"], std::string("Standard"));
        QVERIFY(IsLastSave(stored["LastSave"]));
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), EmptyTable("Fran\xE7"
                                                                          "ais",
                                                                          "English"));
        QCOMPARE(std::distance(fs::directory_iterator(H().dir.Path()), fs::directory_iterator()),
                 2L);

        QCOMPARE(State().ProjectFileName, projectFile);
        QCOMPARE(State().TranslationsFileName, H().File("Demo_translations.ptf"));
        QCOMPARE(State().SourceFileName, std::string("units\\uTexte.pas"));
        QCOMPARE(State().BackupCount, 4);
        QCOMPARE(State().LanguageNames[1], std::string("Fran\xE7"
                                                       "ais"));
        QCOMPARE(H().Titles(),
                 QStringList({"Type", "Property", "StringName", "Français", "English"}));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Demo"));
        QVERIFY(H().ProjectActionsEnabled());
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(H().Grid().ColumnButton(1) && H().Grid().ColumnButton(4));
        QVERIFY(!H().Grid().ColumnButton(2));
        QCOMPARE(H().Settings().windowTitle(), QString("Neues Projekt erstellen"));
    }

    void overwritingAProjectAsksForBothFiles() {
        WriteBytes(H().File("Demo.ppr"), "old project");
        WriteBytes(H().File("Demo_translations.ptf"), "old table");
        H().NewProject("Demo.ppr", {}, {MessageAnswer::Yes, MessageAnswer::Yes});
        QCOMPARE(H().dialogs.Texts(), QStringList({"Projekt-Datei " + H().Path("Demo.ppr") +
                                                       " existert bereits - Überschreiben?",
                                                   "Datei " + H().Path("Demo_translations.ptf") +
                                                       " existert bereits - Überschreiben?"}));
        for (const ScriptedDialogs::Shown& box : H().dialogs.shown) {
            QCOMPARE(box.kind, MessageKind::Confirmation);
            QCOMPARE(box.buttons, MessageButtons::YesNoCancel);
        }
        QCOMPARE(StoredProject(H().File("Demo.ppr"))["Language2"], std::string("English"));
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), EmptyTable("Deutsch", "English"));
        QVERIFY(!fs::exists(H().File("Demo.ppr.bak1")));
        QVERIFY(!fs::exists(H().File("Demo_translations.ptf.bak1")));
    }

    void aRefusedOverwriteWritesNothing_data() {
        QTest::addColumn<bool>("projectExists");
        QTest::addColumn<QList<MessageAnswer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::newRow("project file: No") << true << QList{MessageAnswer::No} << 1;
        QTest::newRow("project file: Cancel") << true << QList{MessageAnswer::Cancel} << 1;
        QTest::newRow("table file: No")
            << true << QList{MessageAnswer::Yes, MessageAnswer::No} << 2;
        QTest::newRow("only the table file") << false << QList{MessageAnswer::Cancel} << 1;
    }

    void aRefusedOverwriteWritesNothing() {
        QFETCH(bool, projectExists);
        QFETCH(QList<MessageAnswer>, answers);
        QFETCH(int, questions);
        DemoProject();  // the open project, which stays as it is
        const std::string table = ReadBytes(H().File("Demo_translations.ptf"));
        if (projectExists) {
            WriteBytes(H().File("Other.ppr"), "other project");
        }
        WriteBytes(H().File("Other_translations.ptf"), "other table");
        H().dialogs.shown.clear();

        ProjectEntries entries;
        entries.language1 = QStringLiteral("Polski");
        H().NewProject("Other.ppr", entries, {answers.begin(), answers.end()});
        QCOMPARE(H().dialogs.shown.size(), std::size_t(questions + 1));
        QCOMPARE(H().dialogs.Texts().last(), kNotSaved);
        QCOMPARE(H().dialogs.shown.back().kind, MessageKind::Information);
        if (projectExists) {
            QVERIFY(H().dialogs.Texts().first().startsWith("Projekt-Datei "));
            QCOMPARE(ReadBytes(H().File("Other.ppr")), std::string("other project"));
        } else {
            QVERIFY(!fs::exists(H().File("Other.ppr")));
        }
        QCOMPARE(ReadBytes(H().File("Other_translations.ptf")), std::string("other table"));

        QCOMPARE(State().ProjectFileName, H().File("Demo.ppr"));
        QCOMPARE(State().TranslationsFileName, H().File("Demo_translations.ptf"));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Demo.ppr"));
        QCOMPARE(H().Titles().at(3), QString("Deutsch"));
        QCOMPARE(H().Column(0), QStringList({"Form", "Label"}));
        QVERIFY(H().ProjectActionsEnabled());
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), table);
    }

    void cancellingANewProjectChangesNothing() {
        H().dialogs.modalScripts.push_back(CancelDialog);
        Main().aNewProject->trigger();
        QVERIFY(H().dialogs.shown.empty());

        H().dialogs.modalScripts.push_back(EnterSettings({}));
        H().dialogs.fileAnswers.push_back({{}, std::nullopt});
        Main().aNewProject->trigger();
        QCOMPARE(H().dialogs.Texts(), QStringList({kNotSaved}));
        const FileDialogOptions& saveDialog = H().dialogs.fileDialogs.at(0);
        QCOMPARE(saveDialog.mode, FileDialogOptions::Mode::Save);
        QCOMPARE(saveDialog.filterDescription, QString("Parlix Project File"));

        QVERIFY(fs::is_empty(H().dir.Path()));
        QCOMPARE(Main().windowTitle(), QString("Parlix LE"));
        QVERIFY(State().ProjectFileName.empty());
        QVERIFY(!H().Table().IsActive());
        QVERIFY(!H().ProjectActionsEnabled());
    }

    void aProjectFileThatCannotBeWrittenLeavesTheOpenProject() {
        DemoProject();
        WriteBytes(H().File("notAFolder"), "");
        H().NewProject("notAFolder/Other.ppr");
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
        QVERIFY(H().dialogs.Texts().at(0).startsWith("Datei \"" + H().Path("notAFolder/Other.ppr") +
                                                     "\" kann nicht erstellt werden. "));

        QCOMPARE(State().ProjectFileName, H().File("Demo.ppr"));
        QCOMPARE(State().TranslationsFileName, H().File("Demo_translations.ptf"));
        QCOMPARE(State().SourceFileName, std::string("uTexte.pas"));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Demo.ppr"));
        QCOMPARE(H().Column(0), QStringList({"Form", "Label"}));
        QVERIFY(H().Grid().isVisible());

        // The settings still show and write the open project's record.
        H().dialogs.modalScripts.push_back(ConfirmDialog);
        Main().aEditProject->trigger();
        QCOMPARE(StoredProject(H().File("Demo.ppr"))["Language1"], std::string("Deutsch"));
    }

    void aTranslationFileThatCannotBeWrittenIsReported() {
        fs::create_directory(H().File("Demo_translations.ptf"));  // in the way, a folder
        H().NewProject("Demo.ppr", {}, {});
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QVERIFY(H().dialogs.Texts().at(0).startsWith("Datei \"" +
                                                     H().Path("Demo_translations.ptf") + "\""));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Demo.ppr"));
        QVERIFY(H().Grid().isVisible());
        QVERIFY(!H().ProjectActionsEnabled());  // the project did not load
    }

    // --- Open project ---

    void openingStampsTheIdentityInMemoryOnly() {
        H().WriteProjectFile("Old.ppr", "Deutsch ", "English", "uOld.pas", 9, "Forms");
        H().WriteTranslationFile("Old_translations.ptf",
                                 {{"Form", "frmMain.Caption", "sTitle", "Titel", "Title"}},
                                 "Deutsch ", "English");
        const std::string before = ReadBytes(H().File("Old.ppr"));
        Main().cbTranslateMode->setChecked(true);
        H().OpenProject("Old.ppr");

        QVERIFY(H().dialogs.shown.empty());
        QVERIFY(!Main().cbTranslateMode->isChecked());
        QVERIFY(!State().TranslateMode);
        QCOMPARE(ReadBytes(H().File("Old.ppr")), before);
        QCOMPARE(H().ProjectTable().IsActive(), false);
        H().ProjectTable().Open();
        QCOMPARE(H().ProjectTable().FieldByName("DataStandard").AsString(),
                 std::string("Parlix Editor"));
        QCOMPARE(H().ProjectTable().FieldByName("ProgVersion").AsString(), std::string("1.0.0"));
        QCOMPARE(H().ProjectTable().FieldByName("LastSave").AsString(),
                 std::string("2020-01-02 03:04:05"));
        H().ProjectTable().Close();

        QCOMPARE(State().LanguageNames[1], std::string("Deutsch "));  // as stored
        QCOMPARE(H().Titles().at(3), QString("Deutsch "));
        QCOMPARE(State().BackupCount, 9);
        QCOMPARE(State().UsesList, std::string("Forms"));
        QCOMPARE(State().SourceFileName, std::string("uOld.pas"));
        QCOMPARE(H().Column(4), QStringList({"Title"}));
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(H().ProjectActionsEnabled());

        // A backup count that the list does not hold shows its nearest entry.
        H().dialogs.modalScripts.push_back([](QDialog& dialog) {
            auto& form = static_cast<TfmEditProject&>(dialog);
            QCOMPARE(form.cbBackups->currentText(), QString("5"));
            QCOMPARE(form.leSourceName->text(), QString("uOld.pas"));
            QCOMPARE(form.LanguageText(1), QString("Deutsch "));
            form.btCancel->click();
        });
        Main().aEditProject->trigger();
        QCOMPARE(ReadBytes(H().File("Old.ppr")), before);
    }

    void aDamagedProjectFileLeavesTheOpenProject() {
        DemoProject();
        const std::string project = ReadBytes(H().File("Demo.ppr"));
        // A good record, then a line the reader cannot read.
        WriteBytes(H().File("Damaged.ppr"),
                   "/* Portable Table Format 1.0 */\r\nporTables[porTables.length] = new Array(\r\n"
                   "\"SourceFile\",\"Language1\",\"Language2\",\r\n"
                   "\"uOther.pas\",\"Polski\",\"Italiano\",\r\nzwei,\r\n3);\r\n");
        H().WriteTranslationFile("Damaged_translations.ptf", {});
        Main().cbTranslateMode->setChecked(true);
        H().OpenProject("Damaged.ppr");
        QCOMPARE(H().dialogs.Texts(),
                 QStringList({"Error by load PTF-File: " + H().Path("Damaged.ppr")}));
        QVERIFY(!Main().cbTranslateMode->isChecked());  // left before the file was read
        QCOMPARE(State().ProjectFileName, H().File("Demo.ppr"));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Demo.ppr"));
        QCOMPARE(H().Column(0), QStringList({"Form", "Label"}));

        // The open project's record is whole: the settings write it unchanged.
        H().dialogs.modalScripts.push_back(ConfirmDialog);
        Main().aEditProject->trigger();
        const StoredProject stored(H().File("Demo.ppr"));
        QCOMPARE(stored["Language1"], std::string("Deutsch"));
        QCOMPARE(stored["SourceFile"], std::string("uTexte.pas"));
        // Within the second of its creation the record is written byte for byte as it was,
        // which writes nothing; later its LastSave differs and the old file is backup 1.
        QCOMPARE(fs::exists(H().File("Demo.ppr.bak1")) ? ReadBytes(H().File("Demo.ppr.bak1"))
                                                       : ReadBytes(H().File("Demo.ppr")),
                 project);
    }

    void aProjectFileThatCannotBeReadIsReported_data() {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QString() << "Datei %1 kann nicht geöffnet werden. ";
        QTest::newRow("no record") << "/* Portable Table Format 1.0 */\r\nporTables[porTables."
                                      "length] = new Array(\r\n\"SourceFile\",\r\n1);\r\n"
                                   << "Error by load PTF-File: %1";
        QTest::newRow("too short") << "/* Portable Table Format 1.0 */\r\n"
                                   << "Error by load PTF-File: %1";
    }

    void aProjectFileThatCannotBeReadIsReported() {
        QFETCH(QString, content);
        QFETCH(QString, message);
        DemoProject();
        H().dialogs.shown.clear();
        if (!content.isNull()) {
            WriteBytes(H().File("Other.ppr"), content.toStdString());
        }
        H().OpenProject("Other.ppr");
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QVERIFY(H().dialogs.Texts().at(0).startsWith(message.arg(H().Path("Other.ppr"))));
        QCOMPARE(State().ProjectFileName, H().File("Demo.ppr"));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Demo.ppr"));
        QVERIFY(H().ProjectActionsEnabled());
    }

    void aMissingTranslationFileLeavesNothingToSaveOrBuild() {
        DemoProject();
        const std::string demoTable = ReadBytes(H().File("Demo_translations.ptf"));
        H().WriteProjectFile("Other.ppr", "Polski", "Italiano", "uOther.pas");
        H().OpenProject("Other.ppr");

        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
        QVERIFY(H().dialogs.Texts().at(0).startsWith("Datei " + H().Path("Other_translations.ptf") +
                                                     " kann nicht geöffnet werden."));
        QCOMPARE(Main().windowTitle(), "Parlix LE: " + H().Path("Other.ppr"));
        QCOMPARE(H().Titles(),
                 QStringList({"Type", "Property", "StringName", "Polski", "Italiano"}));
        QVERIFY(H().Column(0).isEmpty());
        QVERIFY(H().Grid().isVisible());
        QVERIFY(State().TranslationsFileName.empty());
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(!Main().aBuild->isEnabled());
        QVERIFY(!Main().aEditProject->isEnabled());

        // Neither translate mode nor typing brings them back.
        Main().cbTranslateMode->setChecked(true);
        Main().cbTranslateMode->setChecked(false);
        QVERIFY(!Main().aBuild->isEnabled() && !Main().aEditProject->isEnabled());
        H().AddRow({"Form", "", "", "a", "b"});
        QVERIFY(!Main().aSave->isEnabled());
        QTest::keyClick(&Main(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), demoTable);
        QVERIFY(!fs::exists(H().File("Other_translations.ptf")));

        // A project that opens brings everything back.
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().Column(0), QStringList({"Form", "Label"}));
        QVERIFY(H().ProjectActionsEnabled());
        QCOMPARE(State().TranslationsFileName, H().File("Demo_translations.ptf"));
    }

    void aDamagedTranslationFileShowsWhatWasRead() {
        H().WriteProjectFile("Demo.ppr", "Deutsch", "English", "uTexte.pas");
        const std::string damaged =
            "/* Portable Table Format 1.0 */\r\nporTables[porTables.length] = new Array(\r\n"
            "\"Type\",\"Property\",\"StringName\",\"Deutsch\",\"English\",\r\n"
            "\"Form\",\"a.Caption\",\"\",\"Eins\",\"One\",\r\n"
            "\"Form\",\"b.Caption\",\"\",\"Zwei\",\"Two\",\r\n"
            "\"Form\",\"c.Caption\",\\,\r\n"
            "\"Form\",\"d.Caption\",\"\",\"Vier\",\"Four\",\r\n5);\r\n";
        WriteBytes(H().File("Demo_translations.ptf"), damaged);
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().dialogs.Texts(),
                 QStringList({"Error by load PTF-File: " + H().Path("Demo_translations.ptf")}));
        QCOMPARE(H().Column(3), QStringList({"Eins", "Zwei"}));
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(!H().ProjectActionsEnabled());
        H().EditCell(0, 3, "Uno");
        QVERIFY(!Main().aSave->isEnabled());
        Main().close();  // nothing to offer: the table has no file to go to
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), damaged);
    }

    // --- Project settings ---

    void cancellingTheSettingsReloadsTheTable() {
        DemoProject();
        H().AddRow({"Hint", "", "", "neu", "new"});
        H().dialogs.answers = {MessageAnswer::No};
        H().dialogs.modalScripts.push_back(CancelDialog);
        Main().aEditProject->trigger();
        QCOMPARE(H().dialogs.Texts(), QStringList({kSaveFirst}));
        QCOMPARE(H().Column(0), QStringList({"Form", "Label"}));
        // What the table shows is what its file holds: nothing to save.
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(!fs::exists(H().File("Demo.ppr.bak1")));
        QVERIFY(H().Grid().isVisible());
    }

    void confirmedSettingsSaveTheTableUnderTheNewNames() {
        DemoProject();
        H().AddRow({"Hint", "", "", "neu", "new"});
        H().dialogs.answers = {MessageAnswer::No};  // not now, but the settings save it
        ProjectEntries entries;
        entries.language2 = QStringLiteral("Italiano");
        entries.sourceFile = QStringLiteral("uNeu.pas");
        entries.backups = 0;
        entries.uses = QStringLiteral("uMain");
        H().dialogs.modalScripts.push_back(EnterSettings(entries));
        Main().aEditProject->trigger();

        QCOMPARE(H().Column(0), QStringList({"Form", "Label", "Hint"}));
        QCOMPARE(H().Titles().at(4), QString("Italiano"));
        QVERIFY(!Main().aSave->isEnabled());
        const StoredProject stored(H().File("Demo.ppr"));
        QCOMPARE(stored["Language2"], std::string("Italiano"));
        QCOMPARE(stored["SourceFile"], std::string("uNeu.pas"));
        QCOMPARE(stored["Backups"], std::string("0"));
        QCOMPARE(stored["Uses"], std::string("uMain"));
        QCOMPARE(State().SourceFileName, std::string("uNeu.pas"));
        QCOMPARE(State().BackupCount, 0);
        QCOMPARE(State().UsesList, std::string("uMain"));
        QVERIFY(!fs::exists(H().File("Demo.ppr.bak1")));  // no backups wanted any more
    }

    void aFailedBackupOfTheProjectFile_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("Ja") << MessageAnswer::Yes << true;
        QTest::newRow("Nein") << MessageAnswer::No << false;
        QTest::newRow("Abbrechen") << MessageAnswer::Cancel << false;
    }

    void aFailedBackupOfTheProjectFile() {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, written);
        DemoProject();
        H().EditCell(0, 3, "geändert");
        fs::create_directory(H().File("Demo.ppr.bak1"));  // no copy can take its place
        const std::string project = ReadBytes(H().File("Demo.ppr"));
        const std::string table = ReadBytes(H().File("Demo_translations.ptf"));
        H().dialogs.answers = {MessageAnswer::No, answer};
        ProjectEntries entries;
        entries.language1 = QStringLiteral("Nederlands");
        H().dialogs.modalScripts.push_back(EnterSettings(entries));
        Main().aEditProject->trigger();

        QCOMPARE(H().dialogs.Texts(), QStringList({kSaveFirst, kBackupFailed, kSaveAnyway}));
        QCOMPARE(H().dialogs.shown.at(1).kind, MessageKind::Information);
        QCOMPARE(H().dialogs.shown.at(2).buttons, MessageButtons::YesNoCancel);
        // The new names are in use either way.
        QCOMPARE(H().Titles().at(3), QString("Nederlands"));
        QCOMPARE(State().LanguageNames[1], std::string("Nederlands"));
        if (written) {
            QCOMPARE(StoredProject(H().File("Demo.ppr"))["Language1"], std::string("Nederlands"));
            QCOMPARE(H().Column(3).at(0), QString("geändert"));
        } else {
            QCOMPARE(ReadBytes(H().File("Demo.ppr")), project);
            QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), table);
            QCOMPARE(H().Column(3).at(0), QString("Adressbuch"));  // reloaded from the file
        }
    }

    void aProjectFileThatCannotBeRewrittenEndsTheSettings() {
        DemoProject();
        fs::remove(H().File("Demo.ppr"));
        fs::create_directory(H().File("Demo.ppr"));  // a folder cannot be replaced by a file
        ProjectEntries entries;
        entries.language1 = QStringLiteral("Nederlands");
        H().dialogs.modalScripts.push_back(EnterSettings(entries));
        Main().aEditProject->trigger();
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
        QVERIFY(H().dialogs.Texts().at(0).contains("kann nicht erstellt werden."));
        QCOMPARE(H().Titles().at(3), QString("Deutsch"));  // not renamed, not reloaded
        QVERIFY(H().Grid().isVisible());
    }

    void aDamagedTableFileOnReloadLeavesNothingToSave() {
        DemoProject();
        const std::string damaged =
            "/* Portable Table Format 1.0 */\r\nporTables[porTables."
            "length] = new Array(\r\n\"Type\",\r\n\"a\",\r\nzwei,\r\n5);\r\n";
        WriteBytes(H().File("Demo_translations.ptf"), damaged);
        H().dialogs.modalScripts.push_back(CancelDialog);
        Main().aEditProject->trigger();
        QCOMPARE(
            H().dialogs.Texts(),
            QStringList({"Error by load PTF-File: " + H().Path("Demo_translations.ptf"),
                         "Fehler beim Öffnen der Datei " + H().Path("Demo_translations.ptf")}));
        QCOMPARE(H().Column(0), QStringList({"a"}));
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(!H().ProjectActionsEnabled());
        QVERIFY(H().Table().IsActive());
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), damaged);
    }

    void aMissingTableFileOnReloadKeepsTheTable() {
        DemoProject();
        fs::remove(H().File("Demo_translations.ptf"));
        H().dialogs.modalScripts.push_back(CancelDialog);
        Main().aEditProject->trigger();
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
        QCOMPARE(H().Column(0), QStringList({"Form", "Label"}));
        // The records are the user's: saving them makes the file again.
        H().EditCell(0, 0, "TForm");
        Main().aSave->trigger();
        QVERIFY(ReadBytes(H().File("Demo_translations.ptf")).find("TForm") != std::string::npos);
    }

    void longerTextsFitAProjectWhoseFieldsAreWider() {
        const std::string language(40, 'x');
        H().WriteProjectFile("Wide.ppr", language, "English", "uWide.pas");
        H().WriteTranslationFile("Wide_translations.ptf", {}, language, "English");
        H().OpenProject("Wide.ppr");
        H().dialogs.modalScripts.push_back(ConfirmDialog);
        Main().aEditProject->trigger();
        QVERIFY(H().dialogs.shown.empty());  // no refusal of its 40 characters
        QCOMPARE(StoredProject(H().File("Wide.ppr"))["Language1"], language);
    }

    // --- Pending changes ---

    // The offer to save before a flow: Cancel (also Escape and the box's close button) stops
    // the flow and changes nothing, not even the edit in progress; so does a save the user
    // asked for that fails.
    void theOfferToSaveStopsTheFlowOnCancelOrAFailedSave_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("saveFails");  // else the user cancels
        for (const char* action :
             {"aNewProject", "aOpenProject", "aEditProject", "aBuild", "aExit"}) {
            QTest::addRow("%s, Abbrechen", action) << action << false;
            QTest::addRow("%s, Speichern misslingt", action) << action << true;
        }
    }

    void theOfferToSaveStopsTheFlowOnCancelOrAFailedSave() {
        QFETCH(QString, action);
        QFETCH(bool, saveFails);
        DemoProject();
        H().AddRow({"Hint", "", "", "neu", "new"});
        H().Grid().model()->setData(H().Grid().model()->index(0, 3), "Entwurf");  // not stored
        const std::string table = H().File("Demo_translations.ptf");
        const std::string saved = ReadBytes(table);
        const QString title = Main().windowTitle();
        if (saveFails) {
            fs::remove(table);
            fs::create_directory(table);  // cannot be written
        }
        H().dialogs.answers = {saveFails ? MessageAnswer::Yes : MessageAnswer::Cancel};
        if (action == "aOpenProject") {
            H().dialogs.fileAnswers.push_back({{}, H().Path("Demo.ppr")});
        }
        Main().findChild<QAction*>(action)->trigger();

        QStringList texts = {kSaveFirst};
        if (saveFails) {
            texts << "Fehler beim Speichern der Datei: " + H().Path("Demo_translations.ptf");
        }
        QCOMPARE(H().dialogs.Texts(), texts);
        QCOMPARE(H().dialogs.shown.at(0).buttons, MessageButtons::YesNoCancel);
        // The flow went no further: no dialog (the cleanup's check), no file, the window open
        // with the changes still there to be saved.
        QVERIFY(Main().isVisible());
        QCOMPARE(Main().windowTitle(), title);
        QCOMPARE(H().Column(0), QStringList({"Form", "Label", "Hint"}));
        QCOMPARE(H().Column(3).at(0), QString("Entwurf"));
        QVERIFY(Main().aSave->isEnabled());
        QVERIFY(!fs::exists(H().File("uTexte.pas")));
        if (!saveFails) {
            QCOMPARE(H().Table().State(), TableState::Edit);
            QCOMPARE(ReadBytes(table), saved);
        }
    }
};

QTEST_MAIN(ProjectFlowsTest)
#include "tst_project_flows.moc"
