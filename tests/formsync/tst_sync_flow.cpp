// The sync with the forms through "Projekt" -> "Mit Formularen abgleichen...": the plan's window
// with its ticks, the apply as one undo step that leaves the table unsaved, the checks that
// know the forms, and the message when no form is found.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/edit_commands.h"
#include "editor/forms_wiring.h"
#include "forms/main_form.h"
#include "formsync/sync_dialog.h"
#include "generator/build_form.h"
#include "project/flows_harness.h"

using namespace parlix;
using namespace parlix::testing;

namespace {

TfmFormSync& SyncWindow(QDialog& dialog) {
    return static_cast<TfmFormSync&>(dialog);
}

QStringList Line(const QTableWidget& lines, int row) {
    QStringList cells;
    for (int column = 0; column < lines.columnCount(); ++column) {
        cells << lines.item(row, column)->text();
    }
    return cells;
}

// The rules the checks panel found, in its order.
QList<check::Rule> Rules(const check::CheckResult& result) {
    QList<check::Rule> rules;
    for (const check::Finding& finding : result.findings) {
        rules << finding.rule;
    }
    return rules;
}

}  // namespace

class SyncFlowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;
    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }

    void OpenDemo(const std::string& uses) {
        WriteMainForm(H().dir);
        H().WriteProjectFile("Demo.ppr", "Deutsch", "English", "uTexte.pas", 2, uses);
        H().WriteTranslationFile(
            "Demo_translations.ptf",
            {{"Form", "frmMain.Caption", "sTitle", "Hauptfenster", "Main window"},
             {"Button", "frmMain.btOK.Caption", "", "Okay", "OK"},
             {"Button", "frmMain.btGone.Caption", "", "Weg", "Gone"},
             {"Item", "frmMain.btOld.Caption, frmMain.ListBox1.Items.Strings[0]", "", "Eins",
              "One"}});
        H().OpenProject("Demo.ppr");
    }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }
    void init() { h_ = std::make_unique<FlowsHarness>(); }
    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    void syncAppliesThePlanAsOneUndoStep() {
        QAction& sync = *Main().Forms->aSyncForms;
        QVERIFY(!sync.isEnabled());
        OpenDemo("uMain");
        QVERIFY(sync.isEnabled());
        Main().cbTranslateMode->setChecked(true);
        QVERIFY(!sync.isEnabled());
        Main().cbTranslateMode->setChecked(false);
        QVERIFY(sync.isEnabled());

        // The checks know the forms: the two components the form lacks, the other texts.
        ChecksPanel& panel = *Main().Checks->Panel;
        panel.Refresh();
        QCOMPARE(Rules(panel.Result()),
                 (QList<check::Rule>{check::Rule::FormTextDiffers, check::Rule::NoSuchComponent,
                                     check::Rule::NoSuchComponent}));
        const std::string table = ReadBytes(H().File("Demo_translations.ptf"));
        const std::size_t steps = H().Dm1().History.UndoCount();

        H().dialogs.modalScripts.push_back([](QDialog& dialog) {
            TfmFormSync& window = SyncWindow(dialog);
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Mit Formularen abgleichen"));
            QCOMPARE(window.lbNew->text(), QStringLiteral("4"));  // hint, item, btSave, miSave
            QCOMPARE(window.lbChanged->text(), QStringLiteral("1"));
            QCOMPARE(window.lbUnchanged->text(), QStringLiteral("2"));
            QCOMPARE(window.lbVanished->text(), QStringLiteral("2"));
            QCOMPARE(window.lbRefused->text(), QStringLiteral("2"));
            const QTableWidget& lines = *window.sgLines;
            QCOMPARE(Line(lines, 0),
                     (QStringList{"Zeile löschen", "verschwunden", "frmMain.btGone.Caption",
                                  "umain.lfm hat keine Komponente „btGone“", "Zeile 3"}));
            QCOMPARE(Line(lines, 1).at(0), QStringLiteral("Pfad entfernen"));
            QCOMPARE(Line(lines, 2), (QStringList{"", "abgelehnt", "frmMain.lbArrow.Caption",
                                                  "Zeichen, die Windows-1252 nicht kennt: → "
                                                  "(U+2192)",
                                                  "umain.lfm:8"}));
            QCOMPARE(Line(lines, 4), (QStringList{"", "geändert", "frmMain.btOK.Caption",
                                                  "„Okay“ → „OK“", "umain.lfm:4"}));
            QCOMPARE(lines.rowCount(), 9);
            QCOMPARE(window.lbSummary->text(),
                     QStringLiteral("„Übernehmen“ legt 4 Zeilen an, schreibt 1 Text in die Spalte "
                                    "„Deutsch“ und entfernt 2 verschwundene Pfade, in einem "
                                    "Schritt rückgängig zu machen. In die Datei kommt es erst mit "
                                    "„Speichern“."));
            // The user keeps the row of btOld.
            window.sgLines->item(1, 0)->setCheckState(Qt::Unchecked);
            QVERIFY(window.lbSummary->text().contains("entfernt 1 verschwundenen Pfad"));
            window.btApply->click();
        });
        sync.trigger();

        QCOMPARE(H().Column(1),
                 (QStringList{"frmMain.Caption", "frmMain.btOK.Caption",
                              "frmMain.btOld.Caption, "
                              "frmMain.ListBox1.Items.Strings[0]",
                              "frmMain.btOK.Hint", "frmMain.ListBox1.Items.Strings[1]",
                              "frmMain.btSave.Caption", "frmMain.miSave.Caption"}));
        QCOMPARE(H().Column(3), (QStringList{"Hauptfenster", "OK", "Eins", "Übernimmt alles",
                                             "Zwei", "Speichern", "Sichern"}));
        QCOMPARE(H().Column(0).at(3), QStringLiteral("Hint"));
        QCOMPARE(H().Dm1().History.UndoCount(), steps + 1);
        QVERIFY(Main().ChangesToSave());
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), table);
        panel.Refresh();
        // "OK" in both languages and, its German text changed by the form, to review; the row of
        // btOld, and the new rows without their translation.
        QCOMPARE(Rules(panel.Result()),
                 (QList<check::Rule>{check::Rule::NotTranslated, check::Rule::SourceChanged,
                                     check::Rule::NoSuchComponent, check::Rule::Untranslated,
                                     check::Rule::Untranslated, check::Rule::Untranslated,
                                     check::Rule::Untranslated}));

        Main().Edit->aUndo->trigger();
        QCOMPARE(H().Column(3), (QStringList{"Hauptfenster", "Okay", "Weg", "Eins"}));
        QVERIFY(H().dialogs.shown.empty());
    }

    // The build checks against the forms too, and writes a Lazarus project's unit in UTF-8.
    void buildKnowsTheForms() {
        OpenDemo("uMain");
        H().dialogs.modalScripts.push_back([](QDialog& dialog) {
            auto& build = static_cast<TfmBuild&>(dialog);
            QCOMPARE(build.cbEncoding->currentIndex(), 0);
            QCOMPARE(build.cbEncoding->currentText(),
                     QStringLiteral("wie die Lazarus-Formulare (UTF-8)"));
            build.btOK->click();
        });
        H().dialogs.answers.push_back(MessageAnswer::Yes);
        Main().aBuild->trigger();
        QCOMPARE(H().dialogs.Texts(),
                 QStringList{"Die Tabelle enthält 2 Fehler, die Unit wird nicht übersetzbar "
                             "sein. Trotzdem erstellen?"});
        QVERIFY(ReadBytes(H().File("uTexte.pas")).starts_with("\xEF\xBB\xBFunit uTexte;"));
    }

    void noFormFoundIsSaid() {
        OpenDemo("uNone, uOther");
        Main().Forms->aSyncForms->trigger();
        QCOMPARE(H().dialogs.Texts(),
                 QStringList{"Zu den Units des Uses-Abschnitts (uNone, uOther) wurde kein "
                             "Formular gefunden: gesucht wurden <Unit>.lfm und <Unit>.dfm neben "
                             "der Quelltext-Unit und neben der Projektdatei."});
        // Without forms, the checks know nothing of them.
        Main().Checks->Panel->Refresh();
        QVERIFY(Rules(Main().Checks->Panel->Result()).isEmpty());
    }
};

QTEST_MAIN(SyncFlowTest)
#include "tst_sync_flow.moc"
