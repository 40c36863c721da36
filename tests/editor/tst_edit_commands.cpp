// Working in a big table through the real windows: the filter with sorting and inserting,
// undo and redo around a save and in translate mode, find and replace, and the jump to the
// next untranslated text.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "editor/edit_commands.h"
#include "editor/record_navigator.h"
#include "project/flows_harness.h"
#include "search/filter_bar.h"
#include "search/find_dialog.h"

using namespace parlix;
using namespace parlix::testing;

class EditCommandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }
    EditCommands& Edit() { return *h_->Main().Edit; }

    // Demo.ppr with four saved records; the last one lacks its English text (null).
    void DemoProject() {
        H().WriteDemoProject();
        const std::string file = H().File("Demo_translations.ptf");
        std::string bytes = ReadBytes(file);
        bytes.replace(bytes.rfind("\"\","), 3, "null,");  // the last English text is null
        WriteBytes(file, bytes);
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().Table().RecordCount(), 4);
    }

    std::string TableFile() { return ReadBytes(H().File("Demo_translations.ptf")); }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }
    void init() { h_ = std::make_unique<FlowsHarness>(); }
    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    void theFilterHidesRowsOnlyAndKeepsWhatTheUserWorksOn() {
        DemoProject();
        const std::string saved = TableFile();
        Edit().Filter->edFilter->setText("ADRES");  // case does not matter
        QCOMPARE(H().Column(3), QStringList({"Adressbuch", "Adresse speichern"}));
        QCOMPARE(Edit().lbRows->text(), QString("Datensätze: 4   Gefiltert: 2   Zeile: 1"));

        // A title click orders the shown rows; the filter stays.
        Main().dbgTranslationsTitleClick(3);
        QCOMPARE(H().Column(3), QStringList({"Adressbuch", "Adresse speichern"}));
        Main().dbgTranslationsTitleClick(4);
        QCOMPARE(H().Column(3), QStringList({"Adresse speichern", "Adressbuch"}));

        // A new row that does not match stays visible, in its place once stored, and so does an
        // edited row that no longer matches; a change of the filter lets them go.
        H().AddRow({"Label", "frmMain.lblZip.Caption", "", "PLZ", "Zip"});
        QCOMPARE(H().Column(3), QStringList({"Adresse speichern", "Adressbuch", "PLZ"}));
        H().EditCell(1, 3, "Anschriften");
        QCOMPARE(H().Column(3), QStringList({"Adresse speichern", "Anschriften", "PLZ"}));
        Edit().Filter->edFilter->setText("adress");
        QCOMPARE(H().Column(3), QStringList({"Adresse speichern"}));

        // Untranslated: the rows without a text in one language.
        Edit().Filter->edFilter->clear();
        Edit().Filter->cbRows->setCurrentIndex(FilterBar::ShowUntranslated);
        QCOMPARE(H().Column(3), QStringList({"Adresse speichern"}));

        // Saving writes every record, whatever the filter shows.
        Main().aSave->trigger();
        Edit().Filter->cbRows->setCurrentIndex(FilterBar::ShowAll);
        QCOMPARE(H().Table().RecordCount(), 5);
        QVERIFY(TableFile() != saved);
        QVERIFY(TableFile().find("\"PLZ\",\"Zip\"") != std::string::npos);
    }

    // Deleting (and starting an edit) acts only on a row the grid shows: while the filter hides
    // the current record, the navigator's delete and edit are off and Strg+Entf does nothing.
    void rowCommandsActOnlyOnARowTheGridShows_data() {
        QTest::addColumn<int>("current");  // the row made current before filtering
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("deleted");  // empty: nothing can be deleted
        QTest::newRow("kein Treffer") << 0 << "nirgends" << QStringList() << "";
        QTest::newRow("ein Treffer, nicht der aktuelle")
            << 0 << "lblName" << QStringList({"Name:"}) << "";
        QTest::newRow("der aktuelle") << 1 << "lblName" << QStringList({"Name:"}) << "Name:";
        QTest::newRow("ohne Filter") << 2 << "" << QStringList() << "Speichern";
    }

    void rowCommandsActOnlyOnARowTheGridShows() {
        QFETCH(int, current);
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        QFETCH(QString, deleted);
        DemoProject();
        H().Grid().setFocus();
        H().Grid().setCurrentIndex(H().Grid().model()->index(current, 3));
        Edit().Filter->edFilter->setText(filter);
        if (!filter.isEmpty()) {
            QCOMPARE(H().Column(3), shown);
        }
        const QStringList before = H().Column(3);
        RecordNavigator& navigator = *Main().dbnTranslations;
        QCOMPARE(navigator.ButtonAt(RecordNavigator::nbDelete)->isEnabled(), !deleted.isEmpty());
        QCOMPARE(navigator.ButtonAt(RecordNavigator::nbEdit)->isEnabled(), !deleted.isEmpty());

        navigator.Click(RecordNavigator::nbEdit);
        QCOMPARE(H().Table().State() == TableState::Edit, !deleted.isEmpty());
        navigator.Click(RecordNavigator::nbCancel);
        if (!deleted.isEmpty()) {
            H().dialogs.answers = {MessageAnswer::Ok};
        }
        QTest::keyClick(&H().Grid(), Qt::Key_Delete, Qt::ControlModifier);
        if (deleted.isEmpty()) {
            navigator.Click(RecordNavigator::nbDelete);
        }
        QCOMPARE(H().Table().RecordCount(), deleted.isEmpty() ? 4 : 3);
        QStringList after = before;
        after.removeOne(deleted);
        QCOMPARE(H().Column(3), after);
        QCOMPARE(H().dialogs.Texts(),
                 deleted.isEmpty() ? QStringList() : QStringList({"Datensatz löschen?"}));
    }

    // Saving, building and deleting leave the user on the row (and in the column) they were:
    // on the same record, or after a delete on the one that took its place.
    void theCurrentRowStaysAcrossSaveBuildAndDelete_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("orderedBy");  // the column of a title click first, or -1
        QTest::addColumn<int>("row");        // made current, and edited unless deleted
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("expected");  // the language 1 text of the current row after
        QTest::newRow("Speichern") << "aSave" << -1 << 1 << 2 << "Name:!";
        QTest::newRow("Speichern, geordnet") << "aSave" << 3 << 2 << 2 << "Name:!";
        QTest::newRow("Speichern, letzte Zelle") << "aSave" << -1 << 3 << 4 << "Adresse speichern!";
        QTest::newRow("Erstellen") << "aBuild" << -1 << 1 << 2 << "Name:!";
        QTest::newRow("Erstellen, geordnet") << "aBuild" << 4 << 1 << 0 << "Adressbuch!";
        QTest::newRow("Erstellen, letzte Zelle")
            << "aBuild" << -1 << 3 << 4 << "Adresse speichern!";
        QTest::newRow("Löschen") << "delete" << -1 << 1 << 2 << "Speichern";
        QTest::newRow("Löschen, geordnet") << "delete" << 3 << 1 << 2 << "Name:";
    }

    void theCurrentRowStaysAcrossSaveBuildAndDelete() {
        QFETCH(QString, action);
        QFETCH(int, orderedBy);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, expected);
        DemoProject();
        if (orderedBy >= 0) {
            Main().dbgTranslationsTitleClick(orderedBy);
        }
        DataGrid& grid = H().Grid();
        grid.setFocus();
        grid.setCurrentIndex(grid.model()->index(row, column));
        if (action == "delete") {
            H().dialogs.answers = {MessageAnswer::Ok};
            QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        } else {
            // Typed but not stored: the build stores it; Save needs a stored change.
            const QModelIndex cell = grid.model()->index(row, 3);
            grid.model()->setData(cell, cell.data().toString() + "!");
            if (action == "aBuild") {
                H().dialogs.answers = {MessageAnswer::No};  // the offer to save first
                H().dialogs.modalScripts.push_back(ConfirmDialog);
            } else {
                Main().dbnTranslations->Click(RecordNavigator::nbPost);
            }
            Main().findChild<QAction*>(action)->trigger();
        }
        QCOMPARE(H().Table().State(), TableState::Browse);
        QCOMPARE(H().Table().RecordCount(), action == "delete" ? 3 : 4);
        QCOMPARE(grid.currentIndex().row(), row);
        QCOMPARE(grid.currentIndex().column(), column);
        QCOMPARE(H().Table().RecNo(), row);
        QCOMPARE(H().Column(3).at(row), expected);
        QVERIFY(grid.hasFocus());
    }

    void undoAndRedoFollowTheSavedStateAndTranslateMode() {
        DemoProject();
        const std::string saved = TableFile();
        QVERIFY(!Edit().aUndo->isEnabled());

        H().EditCell(3, 4, "Save the address");  // null becomes a text
        QVERIFY(Main().aSave->isEnabled());
        QVERIFY(Edit().aUndo->isEnabled());
        Edit().aUndo->trigger();
        QVERIFY(H().Table().IsNullAt(3, 4));  // null again, not empty
        QVERIFY(!Main().aSave->isEnabled());  // back at the state of the file
        Edit().aRedo->trigger();
        QCOMPARE(H().Column(4).at(3), QString("Save the address"));
        QVERIFY(Main().aSave->isEnabled());

        Main().aSave->trigger();
        QVERIFY(!Main().aSave->isEnabled());
        Edit().aUndo->trigger();  // past the save
        QVERIFY(Main().aSave->isEnabled());
        Main().aSave->trigger();
        QCOMPARE(TableFile(), saved);

        // Translate mode refuses taking back an insert or a delete, as it refuses them.
        H().AddRow({"Label", "frmMain.lblZip.Caption", "", "PLZ", "Zip"});
        H().EditCell(4, 4, "ZIP code");
        Main().cbTranslateMode->setChecked(true);
        Edit().aUndo->trigger();  // the edit: allowed
        QCOMPARE(H().Column(4).at(4), QString("Zip"));
        Edit().aUndo->trigger();  // the insert: refused without a word
        QCOMPARE(H().Table().RecordCount(), 5);
        QVERIFY(H().dialogs.shown.empty());
        Main().cbTranslateMode->setChecked(false);
        Edit().aUndo->trigger();
        QCOMPARE(H().Table().RecordCount(), 4);

        // Opening a project starts a new history.
        H().OpenProject("Demo.ppr");
        QVERIFY(!Edit().aUndo->isEnabled());
        QVERIFY(!Edit().aRedo->isEnabled());
    }

    void replaceAllIsOneStepAndUndoGivesTheFileBack() {
        DemoProject();
        const std::string saved = TableFile();
        Edit().aFindReplace->trigger();
        TfmFindReplace& find = *Edit().FindReplace();
        find.leFind->setText("a");
        find.leReplace->setText("ä");
        find.rbLanguageColumns->setChecked(true);
        find.btReplaceAll->click();
        QCOMPARE(H().dialogs.Texts().value(0), QString("6 Ersetzungen"));
        QCOMPARE(H().Column(4).at(0), QString("äddress book"));
        QCOMPARE(H().Column(1).at(0), QString("frmMain.Caption"));  // not a language column
        QVERIFY(Main().aSave->isEnabled());
        Edit().aUndo->trigger();
        QVERIFY(!Edit().aUndo->isEnabled());
        Main().aSave->trigger();
        QCOMPARE(TableFile(), saved);

        // A replacement that would outgrow its field is left alone and named.
        H().dialogs.shown.clear();
        find.leFind->setText("Name:");
        find.leReplace->setText(QString(1100, QLatin1Char('x')));
        find.btReplaceAll->click();
        QCOMPARE(H().dialogs.Texts().value(0).left(38),
                 QString("0 Ersetzungen\n\n2 Felder nicht geändert"));
        QCOMPARE(H().Column(3).at(1), QString("Name:"));
    }

    void findGoesForwardAndBackAroundTheEndAndReplacesOneMatch() {
        DemoProject();
        Edit().aFindReplace->trigger();
        TfmFindReplace& find = *Edit().FindReplace();
        find.leFind->setText("speichern");
        find.cbMatchCase->setChecked(true);
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 0));
        QVERIFY(find.FindNext(true));
        QCOMPARE(H().Grid().currentIndex().row(), 3);
        QCOMPARE(H().Grid().currentIndex().column(), 3);
        QVERIFY(find.FindNext(true));  // the only match again, around the end
        QCOMPARE(Main().statusBar()->currentMessage(),
                 QString("Suche am Anfang der Tabelle fortgesetzt"));
        find.cbMatchCase->setChecked(false);
        QVERIFY(find.FindNext(false));  // "Speichern" in the row above
        QCOMPARE(H().Grid().currentIndex().row(), 2);

        find.leReplace->setText("Sichern");
        QVERIFY(find.ReplaceOne());
        QCOMPARE(H().Column(3).at(2), QString("Sichern"));
        QCOMPARE(H().Grid().currentIndex().row(), 3);  // on to the next match

        find.leFind->setText("nirgends");
        QVERIFY(!find.FindNext(true));
        QCOMPARE(H().dialogs.Texts().last(), QString("\"nirgends\" wurde nicht gefunden."));
    }

    void nextUntranslatedJumpsToTheEmptyTextAndWrapsAround() {
        DemoProject();
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 0));
        Edit().aNextUntranslated->trigger();
        QCOMPARE(H().Grid().currentIndex().row(), 3);
        QCOMPARE(H().Grid().currentIndex().column(), 4);  // the empty one of the two
        Edit().aNextUntranslated->trigger();
        QCOMPARE(H().Grid().currentIndex().row(), 3);
        QCOMPARE(Main().statusBar()->currentMessage(), QString("Weiter am Anfang der Tabelle"));
        H().EditCell(3, 4, "Save the address");
        Edit().aPriorUntranslated->trigger();
        QCOMPARE(Main().statusBar()->currentMessage(),
                 QString("Kein unübersetzter oder zu prüfender Text"));
    }
};

QTEST_MAIN(EditCommandsTest)
#include "tst_edit_commands.moc"
