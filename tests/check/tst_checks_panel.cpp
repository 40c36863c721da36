// The checks in the main window: the panel's list after every kind of change, the jump from a
// finding to its cell, the counts in the status bar, the filter's rows with a finding, and
// Build asking before it writes a unit the checks find errors in.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/edit_commands.h"
#include "generator/build_form.h"
#include "project/flows_harness.h"
#include "search/filter_bar.h"

using namespace parlix;
using namespace parlix::testing;
namespace fs = std::filesystem;

namespace {

const QStringList kTitle = {"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"};
const QStringList kUntranslated = {"Label", "frmMain.lblName.Caption", "", "Name:", ""};
const QStringList kBadName = {"Message", "", "1abc", "Fehler", "Error"};
const QStringList kReservedName = {"Message", "", "begin", "Anfang", "Beginning"};

const QString kUntranslatedMessage = QStringLiteral("Nicht übersetzt: kein Text in English");
const QString kBadNameMessage = QStringLiteral(
    "\"1abc\" ist kein gültiger Konstantenname (nur Buchstaben ohne Umlaute, Ziffern und "
    "Unterstriche, vorn keine Ziffer)");

}  // namespace

class ChecksPanelTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }
    ChecksPanel& Panel() { return *Main().Checks->Panel; }

    // The panel's lines after a check: "Warnung Zeile 2: message".
    QStringList Lines() {
        Panel().Refresh();
        const QAbstractItemModel& model = *Panel().lvFindings->model();
        QStringList lines;
        for (int line = 0; line < model.rowCount(); ++line) {
            lines << model.index(line, 0).data(Qt::ToolTipRole).toString() + " " +
                         model.index(line, 0).data().toString() + ": " +
                         model.index(line, 1).data().toString();
        }
        return lines;
    }
    QString Status() { return Main().Checks->lbChecks->text(); }

    // Double-clicks the first line of the list that holds `text`.
    void DoubleClick(const QString& text) {
        Panel().Refresh();
        QTreeView& list = *Panel().lvFindings;
        const QModelIndexList found = list.model()->match(
            list.model()->index(0, 1), Qt::DisplayRole, text, 1, Qt::MatchContains);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        list.scrollTo(found.at(0));
        const QPoint centre = list.visualRect(found.at(0)).center();
        // As the desktop delivers it: a press and release, then the double click.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    }
    QPoint Cell() {
        const QModelIndex current = H().Grid().currentIndex();
        return {current.column(), current.row()};
    }

    void NewProjectWith(const std::vector<QStringList>& rows, const ProjectEntries& entries = {}) {
        H().NewProject("Demo.ppr", entries);
        for (const QStringList& row : rows) {
            H().AddRow(row);
        }
    }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() { h_ = std::make_unique<FlowsHarness>(); }

    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    void theListFollowsEveryChangeOfTheTable() {
        QVERIFY(!Panel().isVisible());  // no project yet
        QVERIFY(Status().isEmpty());
        NewProjectWith({kTitle, kUntranslated, kBadName});
        QVERIFY(Panel().isVisible());
        QCOMPARE(Main().dockWidgetArea(&Panel()), Qt::BottomDockWidgetArea);
        QCOMPARE(Panel().windowTitle(), QString("Prüfungen"));

        // The posts are checked together once the program waits for the user again.
        QVERIFY(Panel().RefreshPending());
        QCoreApplication::processEvents();
        QVERIFY(!Panel().RefreshPending());
        const QStringList both = {"Warnung Zeile 2: " + kUntranslatedMessage,
                                  "Fehler Zeile 3: " + kBadNameMessage};
        QCOMPARE(Lines(), both);
        QCOMPARE(Status(), QString("Deutsch 100 %   English 66 %   1 Fehler   1 Warnung"));

        H().EditCell(1, 4, "Full name:");
        QVERIFY(Panel().RefreshPending());
        QCOMPARE(Lines(), QStringList({"Fehler Zeile 3: " + kBadNameMessage}));
        QCOMPARE(Status(), QString("Deutsch 100 %   English 100 %   1 Fehler   0 Warnungen"));

        // Ordering by the names moves the record: "", "1abc", "sTitle".
        Main().dbgTranslationsTitleClick(2);
        QCOMPARE(Lines(), QStringList({"Fehler Zeile 2: " + kBadNameMessage}));

        H().Grid().setCurrentIndex(H().Grid().model()->index(1, 1));
        H().dialogs.answers = {MessageAnswer::Ok};
        H().Grid().DeleteRecord();
        QCOMPARE(Lines(), QStringList());
        QCOMPARE(Status(), QString("Deutsch 100 %   English 100 %   0 Fehler   0 Warnungen"));

        Main().Edit->aUndo->trigger();  // the deleted record comes back
        QCOMPARE(Lines(), QStringList({"Fehler Zeile 2: " + kBadNameMessage}));
        Main().Edit->aUndo->trigger();  // and the English text goes again
        QCOMPARE(Lines(), QStringList({"Warnung Zeile 1: " + kUntranslatedMessage,
                                       "Fehler Zeile 2: " + kBadNameMessage}));

        // Closing the panel is remembered for the next project; the menu brings it back.
        Main().aSave->trigger();
        Panel().close();
        H().OpenProject("Demo.ppr");
        QVERIFY(!Panel().isVisible());
        QCOMPARE(Lines().size(), 2);
        Main().Checks->aShowChecks->trigger();
        QVERIFY(Panel().isVisible());
    }

    void aDoubleClickSelectsTheFindingsCell() {
        ProjectEntries entries;
        entries.language2 = QStringLiteral("Français");  // no symbol for {$IFDEF}
        NewProjectWith({kTitle, kUntranslated, kBadName}, entries);
        Main().dbgTranslationsTitleClick(3);  // by German: Adressbuch, Fehler, Name:
        QVERIFY(Lines().first().startsWith("Fehler Projekt: Der Sprachname \"Français\""));

        DoubleClick(kBadNameMessage);
        QCOMPARE(Cell(), QPoint(2, 1));
        QCOMPARE(H().Table().RecNo(), 1);
        QVERIFY(H().Grid().hasFocus());

        // A pending edit that moves its record when stored: the jump still finds "Name:".
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 3));
        H().Grid().model()->setData(H().Grid().currentIndex(), "Zzz");
        DoubleClick(QStringLiteral("Nicht übersetzt"));
        QCOMPARE(H().Column(3), QStringList({"Fehler", "Name:", "Zzz"}));
        QCOMPARE(Cell(), QPoint(4, 1));
        QCOMPARE(H().Table().State(), TableState::Browse);

        // The names of the languages belong to no row.
        DoubleClick(QStringLiteral("Français"));
        QCOMPARE(Cell(), QPoint(4, 1));

        // A row the filter hides is not selected; the status bar says why.
        Main().Edit->Filter->edFilter->setText("Fehler");
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 3));
        DoubleClick(QStringLiteral("Nicht übersetzt"));
        QCOMPARE(Cell(), QPoint(3, 0));
        QCOMPARE(Main().statusBar()->currentMessage(),
                 QString("Zeile 2 ist ausgeblendet: Der Filter zeigt sie nicht."));
        QCOMPARE(H().Column(3), QStringList({"Fehler"}));

        // Translate mode hides the name's column: the jump stays in a language column.
        Main().Edit->Filter->edFilter->clear();
        Main().cbTranslateMode->setChecked(true);
        H().Grid().setCurrentIndex(H().Grid().model()->index(2, 4));
        DoubleClick(kBadNameMessage);
        QCOMPARE(Cell(), QPoint(4, 0));
    }

    // The unit name, the uses list and the language names are the project's: checked as the
    // settings change, and shown as "Projekt".
    void theProjectsSettingsAreCheckedToo() {
        ProjectEntries entries;
        entries.sourceFile = QStringLiteral("u-Texte.pas");
        entries.uses = QStringLiteral("uAddress,\n{$I /etc/hostname}");
        entries.language1 = QStringLiteral("LINUX");
        NewProjectWith({kTitle}, entries);
        QCOMPARE(Lines(),
                 QStringList({
                     "Fehler Projekt: Der Unit-Name \"u-Texte\" aus dem Namen des Source-Files ist "
                     "ungültig (Bezeichner, wahlweise mit Punkten verbunden: nur Buchstaben ohne "
                     "Umlaute, Ziffern und Unterstriche, vorn keine Ziffer)",
                     "Fehler Projekt: Der Uses-Abschnitt ist keine Liste von Unit-Namen mit Kommas "
                     "dazwischen: \"{$I /etc/hostname}\" ist kein Unit-Name (Bezeichner, wahlweise "
                     "mit Punkten verbunden, wie System.SysUtils)",
                     "Fehler Projekt: Den Sprachnamen \"LINUX\" definieren Free Pascal oder Delphi "
                     "selbst als Symbol; sein Block gilt dann, auch wenn die Sprache nicht gewählt "
                     "ist",
                 }));
        QCOMPARE(Status(), QString("LINUX 100 %   English 100 %   3 Fehler   0 Warnungen"));

        entries.sourceFile = QStringLiteral("uTexte.de.pas");
        entries.uses = QStringLiteral("uAddress,\nSystem.SysUtils");
        entries.language1 = QStringLiteral("Deutsch");
        Main().aSave->trigger();
        H().dialogs.modalScripts.push_back(EnterSettings(entries));
        Main().aEditProject->trigger();
        QCOMPARE(Lines(), QStringList());
    }

    void theFilterShowsTheRowsWithAFinding() {
        NewProjectWith({kTitle, kUntranslated, kBadName});
        Panel().Refresh();
        FilterBar& filter = *Main().Edit->Filter;
        QCOMPARE(filter.cbRows->itemText(FilterBar::ShowWithFindings),
                 QString("Mit Prüfungsbefund"));

        // Another choice stays as it is when the findings change.
        filter.cbRows->setCurrentIndex(FilterBar::ShowUntranslated);
        QCOMPARE(H().Column(3), QStringList({"Name:"}));
        H().EditCell(0, 4, "Full name:");
        Panel().Refresh();
        QCOMPARE(H().Column(3), QStringList({"Name:"}));

        filter.cbRows->setCurrentIndex(FilterBar::ShowWithFindings);
        QCOMPARE(H().Column(3), QStringList({"Fehler"}));
        // The row being edited stays while its text changes; once stored it goes.
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 2));
        H().Grid().model()->setData(H().Grid().currentIndex(), "sError");
        Panel().Refresh();
        QCOMPARE(H().Column(3), QStringList({"Fehler"}));
        Main().dbnTranslations->Click(RecordNavigator::nbPost);
        Panel().Refresh();
        QCOMPARE(H().Column(3), QStringList());
    }

    void buildAsksBeforeWritingAUnitWithErrors() {
        struct Case {
            const char* name;
            std::vector<QStringList> rows;
            QString uses;
            std::vector<MessageAnswer> answers;  // to the question, if asked
            QStringList asked;
            bool written;
        };
        const QString question = QStringLiteral(
            "Die Tabelle enthält 2 Fehler, die Unit wird nicht übersetzbar sein. Trotzdem "
            "erstellen?");
        const std::vector<Case> cases = {
            {"errors, No",
             {kTitle, kBadName, kReservedName},
             {},
             {MessageAnswer::No},
             {question},
             false},
            {"errors, Yes",
             {kTitle, kBadName, kReservedName},
             {},
             {MessageAnswer::Yes},
             {question},
             true},
            {"warnings only", {kTitle, kUntranslated}, {}, {}, {}, true},
            // Code in the settings is never written into a unit, whatever the answer would be.
            {"an error in the settings",
             {kTitle, kBadName},
             QStringLiteral("uStub; procedure ParlixTranslate(); implementation end."),
             {},
             {QStringLiteral("Die Projekt-Einstellungen enthalten 1 Fehler (siehe Prüfungen), "
                             "die Unit wird nicht erstellt.")},
             false},
        };
        for (const Case& c : cases) {
            h_ = std::make_unique<FlowsHarness>();
            ProjectEntries entries;
            entries.uses = c.uses;
            NewProjectWith(c.rows, entries);
            Main().aSave->trigger();
            H().dialogs.answers.assign(c.answers.begin(), c.answers.end());
            H().dialogs.modalScripts.push_back(
                [](QDialog& dialog) { static_cast<TfmBuild&>(dialog).btOK->click(); });
            Main().aBuild->trigger();
            QVERIFY2(H().dialogs.unexpected.isEmpty(), c.name);
            QVERIFY2(H().dialogs.answers.empty(), c.name);
            QCOMPARE(H().dialogs.Texts(), c.asked);
            if (!c.answers.empty()) {
                QCOMPARE(H().dialogs.shown.front().buttons, MessageButtons::YesNo);
            }
            QVERIFY2(fs::exists(H().File("uTexte.pas")) == c.written, c.name);
            QVERIFY2(H().Grid().isVisible(), c.name);
        }
    }
};

QTEST_MAIN(ChecksPanelTest)
#include "tst_checks_panel.moc"
