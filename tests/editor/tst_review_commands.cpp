// Review marks through the real windows: a changed language 1 shows as "zu prüfen" in the grid,
// the filter, F8, the status bar and the checks panel; confirming clears it and undo brings it
// back; the mark survives save and reopen; and the table's own translations fill its gaps.
#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/edit_commands.h"
#include "editor/review_commands.h"
#include "exchange/import_report.h"
#include "project/flows_harness.h"
#include "search/filter_bar.h"

using namespace parlix;
using namespace parlix::testing;

class ReviewCommandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }
    ReviewCommands& Review() { return *h_->Main().Review; }

    // Demo.ppr with four saved records; the last one is not translated.
    void DemoProject() {
        H().WriteDemoProject();
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().Table().RecordCount(), 4);
    }

    // The tooltip of each row's English cell, empty where nothing needs review; a tinted cell
    // has one.
    QStringList Notes() {
        QStringList notes;
        for (int row = 0; row < H().Grid().model()->rowCount(); ++row) {
            const QModelIndex cell = H().Grid().model()->index(row, 4);
            notes << cell.data(Qt::ToolTipRole).toString();
            [&] { QCOMPARE(cell.data(Qt::BackgroundRole).isValid(), !notes.last().isEmpty()); }();
        }
        return notes;
    }

    QString Summary() {
        Main().Checks->Panel->Refresh();
        return Main().Checks->lbChecks->text();
    }

    const QString changed = QStringLiteral(
        "Quelltext geändert: war »Adressbuch«, jetzt »Adressbuch 2« - Übersetzung "
        "prüfen");

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }
    void init() { h_ = std::make_unique<FlowsHarness>(); }
    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    void aChangedSourceIsToReviewUntilConfirmedAndSurvivesReopening() {
        DemoProject();
        QCOMPARE(Summary(), QString("Deutsch 100 %   English 75 %   0 Fehler   2 Warnungen"));
        H().EditCell(0, 3, "Adressbuch 2");
        QCOMPARE(Notes(), QStringList({changed, "", "", ""}));
        QCOMPARE(Summary(),
                 QString("Deutsch 100 %   English 75 % (1 zu prüfen)   0 Fehler   3 Warnungen"));
        const ChecksPanel& panel = *Main().Checks->Panel;
        QCOMPARE(panel.Message(panel.Result().findings.front()), changed);

        // The filter's "Zu prüfen" and F8, which also stops at untranslated rows.
        FilterBar& filter = *Main().Edit->Filter;
        filter.SetChoice(FilterBar::ShowToReview);
        QCOMPARE(filter.cbRows->currentText(), QString("Zu prüfen"));
        QCOMPARE(H().Column(3), QStringList({"Adressbuch 2"}));
        filter.SetChoice(FilterBar::ShowAll);
        H().Grid().setCurrentIndex(H().Grid().model()->index(1, 0));
        Main().Edit->aNextUntranslated->trigger();
        QCOMPARE(H().Grid().currentIndex(), H().Grid().model()->index(3, 4));
        Main().Edit->aNextUntranslated->trigger();
        QCOMPARE(H().Grid().currentIndex(), H().Grid().model()->index(0, 4));

        // Strg+Eingabe confirms; undo brings the mark back, redo takes it again.
        QVERIFY(Main().aSave->isEnabled());
        H().Main().aSaveExecute();
        QVERIFY(!Main().aSave->isEnabled());
        QTest::keyClick(&H().Grid(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(Main().statusBar()->currentMessage(), QString("Übersetzung bestätigt"));
        QCOMPARE(Notes(), QStringList({"", "", "", ""}));
        QVERIFY(Main().aSave->isEnabled());
        Main().Edit->aUndo->trigger();
        QCOMPARE(Notes(), QStringList({changed, "", "", ""}));
        QCOMPARE(Summary(),
                 QString("Deutsch 100 %   English 75 % (1 zu prüfen)   0 Fehler   3 Warnungen"));
        QVERIFY(!Main().aSave->isEnabled());  // as saved
        Main().Edit->aRedo->trigger();
        QCOMPARE(Notes(), QStringList({"", "", "", ""}));
        Main().Edit->aUndo->trigger();

        // The mark was saved beside the table and comes back with the project.
        QCOMPARE(ReadBytes(H().File("Demo_sources.ptf")),
                 std::string("/* Portable Table Format 1.0 */\r\n"
                             "porTables[porTables.length] = new Array(\r\n"
                             "\"Key\",\"Deutsch\",\r\n"
                             "\"sTitle\",\"Adressbuch\",\r\n"
                             "2);\r\n"));
        H().OpenProject("Demo.ppr");
        QCOMPARE(Notes(), QStringList({changed, "", "", ""}));

        // Two rows selected are confirmed at once; a row without a mark is left alone.
        H().EditCell(2, 3, "Sichern");
        QItemSelectionModel& selection = *H().Grid().selectionModel();
        selection.select(H().Grid().model()->index(0, 4), QItemSelectionModel::ClearAndSelect);
        selection.select(H().Grid().model()->index(1, 4), QItemSelectionModel::Select);
        selection.select(H().Grid().model()->index(2, 4), QItemSelectionModel::Select);
        Review().aConfirmTranslation->trigger();
        QCOMPARE(Main().statusBar()->currentMessage(), QString("2 Übersetzungen bestätigt"));
        QCOMPARE(Notes(), QStringList({"", "", "", ""}));
        H().Main().aSaveExecute();
        QCOMPARE(ReadBytes(H().File("Demo_sources.ptf")),
                 std::string("/* Portable Table Format 1.0 */\r\n"
                             "porTables[porTables.length] = new Array(\r\n"
                             "\"Key\",\"Deutsch\",\r\n"
                             "2);\r\n"));
    }

    void aDamagedSourcesFileIsToldOnceAndCountsAsMissing() {
        DemoProject();
        H().EditCell(0, 3, "Adressbuch 2");
        H().Main().aSaveExecute();
        WriteBytes(H().File("Demo_sources.ptf"), "kaputt");
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().dialogs.shown.size(), std::size_t{1});
        QVERIFY2(H().dialogs.Texts().front().startsWith("Die Prüfmarken können nicht gelesen "
                                                        "werden: " +
                                                        H().Path("Demo_sources.ptf")),
                 qPrintable(H().dialogs.Texts().front()));
        QCOMPARE(Notes(), QStringList({"", "", "", ""}));
        H().EditCell(1, 4, "Your name:");
        H().Main().aSaveExecute();  // writes the file anew
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().dialogs.shown.size(), std::size_t{1});
    }

    // A translator's draft comes in with its text unchanged: the row is to review, the table has
    // changes to save, and undo takes the mark back.
    void anImportedDraftIsToReview() {
        DemoProject();
        WriteBytes(H().File("Back.xlf"),
                   "<?xml version=\"1.0\"?>\n<xliff version=\"1.2\" "
                   "xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
                   "<file original=\"Demo_translations.ptf\" source-language=\"de\" "
                   "target-language=\"en\" datatype=\"plaintext\"><body>\n"
                   "<trans-unit id=\"sSave\"><source>Speichern</source>"
                   "<target state=\"needs-l10n\">Save</target></trans-unit>\n"
                   "</body></file></xliff>\n");
        H().dialogs.fileAnswers.push_back({{}, H().Path("Back.xlf")});
        H().dialogs.modalScripts.push_back([](QDialog& dialog) {
            auto& report = static_cast<TfmImportReport&>(dialog);
            QCOMPARE(report.lbDrafts->text(), QString("1"));
            QCOMPARE(report.lbSummary->text(),
                     QString("„Übernehmen“ schreibt 0 Texte in die Spalte „English“ und markiert "
                             "eine Zeile als zu prüfen, in einem Schritt rückgängig zu machen. In "
                             "die Datei kommt es erst mit „Speichern“."));
            report.btApply->click();
        });
        Main().aImport->trigger();
        QCOMPARE(Notes(), QStringList({"", "", "Entwurf - Übersetzung prüfen", ""}));
        QVERIFY(Main().aSave->isEnabled());
        Main().Edit->aUndo->trigger();
        QCOMPARE(Notes(), QStringList({"", "", "", ""}));
        QVERIFY(!Main().aSave->isEnabled());
    }

    void untranslatedRowsTakeTheTablesOwnTranslationInOneStep() {
        DemoProject();
        H().AddRow({"Hint", "frmMain.btOk.Hint", "", "Adresse speichern", "Save the address"});
        H().dialogs.answers.push_back(MessageAnswer::Yes);
        Review().aFillFromTable->trigger();
        QCOMPARE(H().dialogs.Texts().last(),
                 QString("1 unübersetzte Zeile hat einen Text, der anderswo in der Tabelle "
                         "übersetzt ist. Die Übersetzung übernehmen?"));
        QCOMPARE(H().Column(4).at(3), QString("Save the address"));
        QCOMPARE(Main().statusBar()->currentMessage(), QString("1 Übersetzung übernommen"));
        Main().Edit->aUndo->trigger();
        QCOMPARE(H().Column(4).at(3), QString());
        QCOMPARE(H().Table().RecordCount(), 5);  // the added row is a step of its own

        Main().Edit->aRedo->trigger();
        Review().aFillFromTable->trigger();
        QCOMPARE(H().dialogs.Texts().last(),
                 QString("Keine Übersetzung zu übernehmen: Keine unübersetzte Zeile hat einen "
                         "Text, der anderswo in der Tabelle übersetzt ist."));
    }
};

QTEST_MAIN(ReviewCommandsTest)
#include "tst_review_commands.moc"
