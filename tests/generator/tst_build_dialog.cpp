// Build from the main window: the build dialog and its language choice, the offer to save
// first, the backups of the unit and a unit that cannot be written.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <filesystem>

#include "generator/build_form.h"
#include "project/flows_harness.h"

using namespace parlix;
using namespace parlix::testing;
namespace fs = std::filesystem;

namespace {

const QString kSaveAnyway =
    QStringLiteral("Fehler beim Erstellen der Backup-Dateien - Änderungen trotzdem speichern?");

// What the build dialog showed when it opened.
struct Shown {
    bool defineChecked = false;
    bool listVisible = false;
    QStringList entries;
    int selectedRow = -1;
};

Shown Look(const TfmBuild& form) {
    Shown shown;
    shown.defineChecked = form.cbDefine->isChecked();
    shown.listVisible = form.lbLanguages->isVisible();
    for (int i = 0; i < form.lbLanguages->count(); ++i) {
        shown.entries << form.lbLanguages->item(i)->text();
    }
    const QList<QListWidgetItem*> selected = form.lbLanguages->selectedItems();
    shown.selectedRow = selected.size() == 1 ? form.lbLanguages->row(selected.at(0)) : -1;
    return shown;
}

}  // namespace

class BuildDialogTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }
    std::string Unit() { return H().File("uTexte.pas"); }
    // The lines of the unit written, each ending with CR LF.
    qsizetype UnitLines() { return QByteArray::fromStdString(ReadBytes(Unit())).count("\r\n"); }

    // Runs Build; `user` works in the dialog.
    void Build(const std::function<void(TfmBuild&)>& user) {
        H().dialogs.modalScripts.push_back(
            [user](QDialog& dialog) { user(static_cast<TfmBuild&>(dialog)); });
        Main().aBuild->trigger();
    }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() {
        h_ = std::make_unique<FlowsHarness>();
        H().NewProject("Demo.ppr");
        H().AddRow({"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"});
        Main().aSave->trigger();
    }

    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    void theDialogOffersTheProjectsLanguages() {
        Shown first;
        Build([&first, this](TfmBuild& form) {
            first = Look(form);
            QCOMPARE(form.windowTitle(), QString("Delphi-Unit erstellen"));
            QCOMPARE(form.pos(), QPoint(573, 338));
            QCOMPARE(form.size(), QSize(341, 265));
            QCOMPARE(form.lbTarget->text(), "Ziel: " + H().Path("uTexte.pas"));
            QCOMPARE(form.cbDefine->text(), QString("Sprache einstellen"));
            QCOMPARE(form.lbEncoding->text(), QString("Zeichensatz der Unit:"));
            QVERIFY(form.btOK->isDefault());
            form.btCancel->click();
        });
        QVERIFY(!first.defineChecked);
        QVERIFY(!first.listVisible);
        QCOMPARE(first.entries, QStringList({"Deutsch", "English"}));
        QCOMPARE(first.selectedRow, 0);
        QVERIFY(!fs::exists(Unit()));  // cancelled: nothing written
        QVERIFY(H().dialogs.shown.empty());
        QVERIFY(H().Grid().isVisible());
    }

    void theListIsRefilledAtEveryShowingTheBoxIsKept() {
        Build([](TfmBuild& form) {
            form.cbDefine->setChecked(true);
            QVERIFY(form.lbLanguages->isVisible());
            form.lbLanguages->setCurrentRow(1);
            form.btCancel->click();
        });
        ProjectEntries entries;
        entries.language2 = QStringLiteral("Français");
        H().dialogs.modalScripts.push_back(EnterSettings(entries));
        Main().aEditProject->trigger();

        Shown second;
        Build([&second](TfmBuild& form) {
            second = Look(form);
            form.cbDefine->setChecked(false);
            QVERIFY(form.lbLanguages->isHidden());
            form.btCancel->click();
        });
        QVERIFY(second.defineChecked);
        QVERIFY(second.listVisible);
        QCOMPARE(second.entries, QStringList({"Deutsch", "Français"}));
        QCOMPARE(second.selectedRow, 0);
    }

    void theLanguageIsChosenOnlyWithOK() {
        ProjectState& state = H().State();
        Build([](TfmBuild& form) {
            form.cbDefine->setChecked(true);
            form.lbLanguages->setCurrentRow(1);
            form.btCancel->click();
        });
        QCOMPARE(state.BuildLanguage, 0);

        Build([](TfmBuild& form) {
            form.cbDefine->setChecked(true);
            form.lbLanguages->setCurrentRow(1);
            form.btOK->click();
        });
        QCOMPARE(state.BuildLanguage, 2);
        QVERIFY(ReadBytes(Unit()).find("procedure ParlixTranslate();\r\n{$DEFINE English}\r\n\r\n"
                                       "const\r\n") != std::string::npos);

        Build([](TfmBuild& form) {
            form.lbLanguages->clearSelection();  // checked, but nothing chosen
            form.btOK->click();
        });
        QCOMPARE(state.BuildLanguage, 0);

        Build([](TfmBuild& form) {
            form.cbDefine->setChecked(false);
            form.lbLanguages->setCurrentRow(1);
            form.btOK->click();
        });
        QCOMPARE(state.BuildLanguage, 0);
        QVERIFY(ReadBytes(Unit()).find("{$DEFINE") == std::string::npos);
    }

    // The character set of the unit: as the unit on disk (named in the first entry), or the one
    // chosen, which the dialog keeps for the next build.
    void theUnitsCharacterSetIsTheOneOnDiskOrTheOneChosen_data() {
        QTest::addColumn<QString>("before");  // the unit on disk: "", "cp1252" or "utf8"
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("firstEntry");
        QTest::addColumn<bool>("utf8");
        const QString asBefore = QStringLiteral("wie die vorhandene Unit (%1)");
        QTest::newRow("neue Unit") << "" << 0 << asBefore.arg("Windows-1252") << false;
        QTest::newRow("Windows-1252 auf der Platte")
            << "cp1252" << 0 << asBefore.arg("Windows-1252") << false;
        QTest::newRow("UTF-8 auf der Platte") << "utf8" << 0 << asBefore.arg("UTF-8") << true;
        QTest::newRow("UTF-8 gewählt") << "cp1252" << 2 << asBefore.arg("Windows-1252") << true;
        QTest::newRow("Windows-1252 gewählt") << "utf8" << 1 << asBefore.arg("UTF-8") << false;
    }

    void theUnitsCharacterSetIsTheOneOnDiskOrTheOneChosen() {
        QFETCH(QString, before);
        QFETCH(int, choice);
        QFETCH(QString, firstEntry);
        QFETCH(bool, utf8);
        const std::string bom = "\xEF\xBB\xBF";
        if (!before.isEmpty()) {
            WriteBytes(Unit(), (before == "utf8" ? bom : "") + "unit uTexte;\r\n");
        }
        H().EditCell(0, 3, "Stra\u00DFe");
        H().dialogs.answers = {MessageAnswer::Yes};
        Build([&](TfmBuild& form) {
            QCOMPARE(form.cbEncoding->itemText(0), firstEntry);
            QCOMPARE(form.cbEncoding->itemText(1), QString("Windows-1252 (Delphi bis 2007)"));
            QCOMPARE(form.cbEncoding->itemText(2),
                     QString("UTF-8 mit BOM (Lazarus, Delphi ab 2009)"));
            QCOMPARE(form.cbEncoding->currentIndex(), 0);
            form.cbEncoding->setCurrentIndex(choice);
            form.btOK->click();
        });
        const std::string unit = ReadBytes(Unit());
        QCOMPARE(unit.starts_with(bom), utf8);
        QVERIFY(Main().statusBar()->currentMessage().startsWith(
            utf8 ? "uTexte.pas (UTF-8) geschrieben: " : "uTexte.pas geschrieben: "));
        QVERIFY(unit.find(utf8 ? "'Stra\xC3\x9F"
                                 "e'"
                               : "'Stra\xDF"
                                 "e'") != std::string::npos);
        Build([choice](TfmBuild& form) {
            QCOMPARE(form.cbEncoding->currentIndex(), choice);  // kept for the next build
            form.btCancel->click();
        });
    }

    // The status bar tells what a build wrote: the file, its lines and the table's findings.
    void theStatusBarTellsWhatWasWritten() {
        H().AddRow({"Label", "frmMain.lblName.Caption", "", "Name:", ""});  // untranslated
        Main().aSave->trigger();
        Build([](TfmBuild& form) { form.btOK->click(); });
        QCOMPARE(
            Main().statusBar()->currentMessage(),
            QString("uTexte.pas geschrieben: %1 Zeilen, 0 Fehler, 1 Warnung").arg(UnitLines()));

        H().AddRow({"Label", "frmMain.lblZip.Caption", "", "PLZ", ""});
        Main().aSave->trigger();
        Build([](TfmBuild& form) { form.btOK->click(); });
        QCOMPARE(
            Main().statusBar()->currentMessage(),
            QString("uTexte.pas geschrieben: %1 Zeilen, 0 Fehler, 2 Warnungen").arg(UnitLines()));
    }

    void theUnitFollowsTheGridsOrder() {
        H().AddRow({"Form", "", "sAbout", "Über", "About"});
        Main().dbgTranslationsTitleClick(2);  // ordered by StringName
        H().dialogs.answers = {MessageAnswer::No};
        Build([](TfmBuild& form) { form.btOK->click(); });
        const std::string unit = ReadBytes(Unit());
        QVERIFY(unit.find("sAbout") < unit.find("sTitle"));
        QVERIFY(unit.find("  sAbout\t= '\xDC"
                          "ber';\r\n") != std::string::npos);
    }

    void buildOffersToSaveFirst_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Ja") << MessageAnswer::Yes << true;
        QTest::newRow("Nein") << MessageAnswer::No << false;
    }

    void buildOffersToSaveFirst() {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, saved);
        H().EditCell(0, 3, "Adressen");
        H().dialogs.answers = {answer};
        Build([](TfmBuild& form) { form.btOK->click(); });
        QCOMPARE(H().dialogs.Texts(), QStringList({"Tabelle vorher speichern?"}));
        const std::string table = ReadBytes(H().File("Demo_translations.ptf"));
        QCOMPARE(table.find("Adressen") != std::string::npos, saved);
        QCOMPARE(Main().aSave->isEnabled(), !saved);
        // The unit is built from the table as the grid shows it, saved or not.
        QVERIFY(ReadBytes(Unit()).find("  sTitle\t= 'Adressen';\r\n") != std::string::npos);
    }

    void aFailedBackupAsksBeforeTheUnitIsWritten_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("Ja") << MessageAnswer::Yes << true;
        QTest::newRow("Nein") << MessageAnswer::No << false;
        QTest::newRow("Abbrechen") << MessageAnswer::Cancel << false;
    }

    void aFailedBackupAsksBeforeTheUnitIsWritten() {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, written);
        WriteBytes(Unit(), "old unit");
        fs::create_directory(Unit() + ".bak1");  // no copy can take its place
        H().dialogs.answers = {answer};
        Build([](TfmBuild& form) { form.btOK->click(); });
        QCOMPARE(H().dialogs.Texts(), QStringList({kSaveAnyway}));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Confirmation);
        QCOMPARE(H().dialogs.shown.at(0).buttons, MessageButtons::YesNoCancel);
        QCOMPARE(ReadBytes(Unit()) != "old unit", written);
        QCOMPARE(Main().statusBar()->currentMessage().endsWith(" nicht geschrieben"), !written);
        QVERIFY(!fs::exists(Unit() + ".bak2"));  // there was no older copy to keep
        QVERIFY(H().Grid().isVisible());
    }

    void aUnitThatCannotBeWrittenIsReported() {
        ProjectEntries entries;
        entries.sourceFile = QStringLiteral("missing/uTexte.pas");
        H().dialogs.modalScripts.push_back(EnterSettings(entries));
        Main().aEditProject->trigger();
        Build([](TfmBuild& form) { form.btOK->click(); });
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
        QVERIFY(H().dialogs.Texts().at(0).startsWith("Datei \"" + H().Path("missing/uTexte.pas") +
                                                     "\" kann nicht erstellt werden. "));
        QVERIFY(H().Grid().isVisible());
        QVERIFY(!fs::exists(H().File("missing")));
    }
};

QTEST_MAIN(BuildDialogTest)
#include "tst_build_dialog.moc"
