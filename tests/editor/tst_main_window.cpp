// The main window with its grid, navigator, actions, translate mode and closing, driven as a
// user would drive it, with a scripted stand-in answering the message boxes.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "editor/column_layout.h"
#include "editor/data_grid.h"
#include "editor/edit_commands.h"
#include "editor/main_window.h"
#include "editor/program.h"
#include "editor/record_navigator.h"
#include "project/data_module.h"
#include "table/errors.h"
#include "test_support.h"
#include "ui/error_report.h"
#include "ui/scripted_dialogs.h"
#include "ui/text_input_rules.h"

using namespace parlix;
using parlix::testing::ScriptedDialogs;

namespace {

struct Row {
    const char* type;
    const char* property;
    const char* stringName;
    const char* language1;
    const char* language2;
};

const std::vector<Row> kRows = {
    {"TLabel", "lbName.Caption", "sName", "Name", "Name"},
    {"TButton", "btOK.Caption", "", "Übernehmen", "Apply"},
    {"TForm", "fmMain.Caption", "sTitle", "Änderungen", "Changes"},
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    TfmMain& Main() { return program_->fmMain(); }
    DataGrid& Grid() { return *Main().dbgTranslations; }
    PtfTable& Table() { return program_->dm1().cdsTranslations; }
    ProjectState& State() { return program_->dm1().State; }

    // Builds the translation table as the open flow does: it leaves translate mode first and
    // gives the table its file.
    void LoadProject(const std::vector<Row>& rows = kRows) {
        Main().cbTranslateMode->setChecked(false);
        State().TranslationsFileName = folder_->File("Demo_translations.ptf");
        RenameLanguageFields(Table(), "Deutsch", "English");
        Table().Close();
        Table().CreateTable();
        for (const Row& row : rows) {
            Table().Append();
            const char* values[] = {row.type, row.property, row.stringName, row.language1,
                                    row.language2};
            for (int i = 0; i < 5; ++i) {
                Table().Field(i).SetAsString(ToCp1252(QString::fromUtf8(values[i])));
            }
            Table().Post();
        }
        Table().First();
        Main().ResetColumnLayout();
        Main().FormResize();
        Main().AfterProjectLoaded();
    }

    // Resizes the window until the grid's client width is `width`.
    void SetGridClientWidth(int width) {
        for (int attempt = 0; attempt < 10 && Grid().ClientWidth() != width; ++attempt) {
            Main().resize(Main().width() + width - Grid().ClientWidth(), Main().height());
            QCoreApplication::processEvents();
        }
        QCOMPARE(Grid().ClientWidth(), width);
    }

    QList<int> Widths() {
        QList<int> widths;
        for (int i = 0; i < Grid().ColumnCount(); ++i) {
            widths << Grid().ColumnWidth(i);
        }
        return widths;
    }

    QStringList Column(int column) {
        QStringList values;
        for (int row = 0; row < Table().RecordCount(); ++row) {
            values << Grid().model()->index(row, column).data().toString();
        }
        return values;
    }

    // Types into a cell as a user does: the first key opens the cell's editor.
    void TypeIntoCell(int row, int column, const QString& text) {
        Grid().setFocus();
        Grid().setCurrentIndex(Grid().model()->index(row, column));
        QTest::keyClick(&Grid(), text.at(0).toLatin1());
        QWidget* editor = Grid().indexWidget(Grid().currentIndex());
        QVERIFY(editor != nullptr);
        QTest::keyClicks(editor, text.mid(1));
    }

    // A key that types a character, as the keyboard delivers it.
    void TypeCharacter(QWidget* widget, const QString& character) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, character);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, character);
        QApplication::sendEvent(widget, &release);
    }

    void PressInGrid(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* editor = Grid().indexWidget(Grid().currentIndex());
        QTest::keyClick(editor != nullptr ? editor : &Grid(), key, modifiers);
    }

    void ClickTitle(int column) {
        QHeaderView* header = Grid().horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, 5));
    }

    std::unique_ptr<parlix::testing::TempDir> folder_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<QAbstractItemModelTester> tester_;

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() {
        folder_ = std::make_unique<parlix::testing::TempDir>();
        dialogs_ = std::make_unique<ScriptedDialogs>();
        program_ = std::make_unique<Program>(*dialogs_);
        // Every test also checks that the grid's model keeps Qt's contract throughout.
        tester_ = std::make_unique<QAbstractItemModelTester>(
            program_->dm1().dsTranslations.get(),
            QAbstractItemModelTester::FailureReportingMode::QtTest);
        Main().show();
        QVERIFY(QTest::qWaitForWindowActive(&Main()));
    }

    void cleanup() {
        QVERIFY2(dialogs_->unexpected.isEmpty(), qPrintable(dialogs_->unexpected.join(" | ")));
        QVERIFY(dialogs_->answers.empty());
        tester_.reset();
        program_.reset();
        dialogs_.reset();
        folder_.reset();
    }

    // --- Start-up ---

    void startsWithoutAProject() {
        TfmMain& main = Main();
        QCOMPARE(main.windowTitle(), QString("Parlix LE"));
        QCOMPARE(main.size(), QSize(750, 550));
        QVERIFY(main.aNewProject->isEnabled());
        QVERIFY(main.aOpenProject->isEnabled());
        QVERIFY(!main.aSave->isEnabled());
        QVERIFY(!main.aBuild->isEnabled());
        QVERIFY(!main.aEditProject->isEnabled());
        QVERIFY(main.aExit->isEnabled());
        QVERIFY(main.cbTranslateMode->isVisible());
        QVERIFY(!main.cbTranslateMode->isChecked());
        QCOMPARE(main.cbTranslateMode->text(), QString("Übersetzungs-Modus"));
        QVERIFY(!Table().IsActive());
        QCOMPARE(Grid().ColumnCount(), 0);
        QVERIFY(!main.LayoutLock);

        QCOMPARE(main.dbnTranslations->VisibleButtonCount(), 9);
        QVERIFY(!main.dbnTranslations->ButtonVisible(RecordNavigator::nbRefresh));
        for (int i = 0; i < RecordNavigator::kButtonCount; ++i) {
            QVERIFY(!main.dbnTranslations->ButtonAt(RecordNavigator::Button(i))->isEnabled());
        }
        QCOMPARE(main.dbnTranslations->ButtonAt(RecordNavigator::nbPost)->toolTip(),
                 QString("Übernehmen"));
        QCOMPARE(main.dbnTranslations->ButtonAt(RecordNavigator::nbNext)->toolTip(),
                 QString("Nächster Datensatz"));

        for (QToolButton* button : {main.sbNew, main.sbOpen, main.sbSave, main.sbBuild}) {
            QVERIFY(!button->icon().isNull());
            QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
        }
        QCOMPARE(main.sbSave->defaultAction(), main.aSave);
        QVERIFY(!main.sbSave->isEnabled());
        QCOMPARE(main.bKontakt->text(),
                 QString("Kontakt (Fehler melden, Verbesserungsvorschläge ...)"));
    }

    void qtsOwnButtonsSpeakGerman() {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QString("Ja"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QString("Nein"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text().remove('&'), QString("Abbrechen"));
    }

    void menuAndActionsSpeakGerman() {
        TfmMain& main = Main();
        QStringList titles;
        for (QAction* menu : main.menuBar()->actions()) {
            titles << menu->text();
        }
        QCOMPARE(titles, QStringList({"Datei", "Bearbeiten", "Ansicht", "Projekt", "Start"}));
        QStringList entries;
        for (QAction* entry : main.N1->actions()) {
            if (!entry->isSeparator()) {
                entries << entry->text();
            }
        }
        QCOMPARE(entries, QStringList({"&Neues Projekt", "Ö&ffnen...", "&Speichern",
                                       "&Exportieren...", "&Importieren...", "Beenden"}));
        QCOMPARE(main.Project1->actions().value(0), main.aEditProject);
        QCOMPARE(main.aEditProject->text(), QString("Einstellungen"));
        QCOMPARE(main.Start1->actions().value(0), main.aBuild);
        QCOMPARE(main.aBuild->text(), QString("Erstellen"));

        QCOMPARE(main.aNewProject->shortcut().toString(QKeySequence::NativeText),
                 QString("Strg+N"));
        QCOMPARE(main.aOpenProject->shortcut().toString(QKeySequence::NativeText),
                 QString("Strg+O"));
        QCOMPARE(main.aSave->shortcut().toString(QKeySequence::NativeText), QString("Strg+S"));
        QCOMPARE(main.aSave->property("category").toString(), QString("Datei"));
        QCOMPARE(main.aBuild->property("category").toString(), QString("Start"));
        QCOMPARE(main.aEditProject->property("category").toString(), QString("Projekt"));
        QCOMPARE(main.aExport->property("category").toString(), QString("Datei"));
        QCOMPARE(main.aImport->property("category").toString(), QString("Datei"));

        QStringList edits;
        for (QAction* entry : main.Edit->Edit1->actions()) {
            if (!entry->isSeparator()) {
                edits << entry->text() + " " + entry->shortcut().toString(QKeySequence::NativeText);
            }
        }
        QCOMPARE(edits,
                 QStringList({"&Rückgängig Strg+Z", "&Wiederherstellen Strg+Y", "&Filter Strg+F",
                              "&Suchen und Ersetzen... Strg+H", "&Nächster unübersetzter Text F8",
                              "&Vorheriger unübersetzter Text Umschalt+F8"}));
    }

    // --- Column fits ---

    void resizingWithoutAProjectLeavesTheGridAlone() {
        SetGridClientWidth(600);
        QCOMPARE(Grid().ColumnCount(), 0);
        QVERIFY(!Main().LayoutLock);
    }

    void fitsTheColumnsToTheGridsClientWidth() {
        SetGridClientWidth(532);
        LoadProject();
        QCOMPARE(Widths(), QList<int>({64, 96, 96, 128, 128}));
        QCOMPARE(Grid().horizontalHeader()->sectionSize(4), 128);

        SetGridClientWidth(798);  // the window's resize runs the fit
        QCOMPARE(Widths(), QList<int>({96, 144, 144, 192, 192}));
        QVERIFY(!Main().LayoutLock);
    }

    void roundsAnExactHalfToTheEvenNeighbour() {
        QCOMPARE(RoundHalfToEven(4.5), 4);
        QCOMPARE(RoundHalfToEven(5.5), 6);
        QCOMPARE(RoundHalfToEven(5.4999), 5);
        QCOMPARE(RoundHalfToEven(-1.5), -2);
        QCOMPARE(RoundHalfToEven(7.0), 7);
    }

    void theOpenFitSpreadsFreshColumnsOverTheWholeWidth() {
        SetGridClientWidth(640);
        Table().CreateTable();  // five fresh columns of 64 pixels: 320 in all
        QCOMPARE(Widths(), QList<int>({128, 128, 128, 128, 128}));
    }

    void aFitDuringTheFitDoesNothing() {
        SetGridClientWidth(532);
        LoadProject();
        Main().LayoutLock = true;
        SetGridClientWidth(798);
        QCOMPARE(Widths(), QList<int>({64, 96, 96, 128, 128}));
        bool resize = true;
        Main().FormCanResize(800, 600, resize);
        QVERIFY(!resize);
        Main().LayoutLock = false;
        Main().FormCanResize(800, 600, resize = true);
        QVERIFY(resize);
    }

    // --- Translate mode ---

    void translateModeShowsOnlyTheLanguages() {
        SetGridClientWidth(546);
        LoadProject();  // the standard layout, fitted to 546
        Main().ResetColumnLayout();
        Main().cbTranslateMode->setChecked(true);

        QVERIFY(State().TranslateMode);
        QCOMPARE(Widths(), QList<int>({-1, -1, -1, 256, 256}));
        QVERIFY(Grid().isColumnHidden(0) && Grid().isColumnHidden(2));
        QVERIFY(!Main().aNewProject->isEnabled());
        QVERIFY(!Main().aEditProject->isEnabled());
        QVERIFY(!Main().aBuild->isEnabled());
        QVERIFY(Main().aOpenProject->isEnabled());
        QCOMPARE(Main().dbnTranslations->VisibleButtonCount(), 7);
        QVERIFY(!Main().dbnTranslations->ButtonVisible(RecordNavigator::nbInsert));
        QVERIFY(!Main().dbnTranslations->ButtonVisible(RecordNavigator::nbDelete));
        QVERIFY(Grid().ColumnButton(3) && Grid().ColumnButton(4));

        Grid().SetColumnWidth(3, 300);  // whatever the widths were, leaving restores them
        Main().cbTranslateMode->setChecked(false);
        QVERIFY(!State().TranslateMode);
        const double factor = 546.0 / 532.0;
        QCOMPARE(Widths(), QList<int>({RoundHalfToEven(64 * factor), RoundHalfToEven(96 * factor),
                                       RoundHalfToEven(96 * factor), RoundHalfToEven(128 * factor),
                                       RoundHalfToEven(128 * factor)}));
        QVERIFY(Main().aNewProject->isEnabled() && Main().aEditProject->isEnabled() &&
                Main().aBuild->isEnabled());
        QCOMPARE(Main().dbnTranslations->VisibleButtonCount(), 9);
    }

    void translateModeRefusesInsertAndDeleteSilently() {
        LoadProject();
        Main().cbTranslateMode->setChecked(true);
        Grid().setFocus();
        Grid().setCurrentIndex(Grid().model()->index(2, 3));

        PressInGrid(Qt::Key_Insert);
        PressInGrid(Qt::Key_Down);  // from the last row
        Main().dbnTranslations->Click(RecordNavigator::nbInsert);
        QCOMPARE(Table().RowCount(), 3);
        QCOMPARE(Grid().model()->rowCount(), 3);
        QVERIFY(dialogs_->shown.empty());

        dialogs_->answers = {MessageAnswer::Ok};
        PressInGrid(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(dialogs_->Texts(), QStringList({"Datensatz löschen?"}));
        QCOMPARE(dialogs_->shown.at(0).buttons, MessageButtons::OkCancel);
        QCOMPARE(Table().RecordCount(), 3);
        QVERIFY(!Main().aSave->isEnabled());
    }

    void translateModeCanBeToggledBeforeAProjectIsOpen() {
        Main().cbTranslateMode->setChecked(true);
        QVERIFY(State().TranslateMode);
        QVERIFY(!Main().aNewProject->isEnabled());
        Main().cbTranslateMode->setChecked(false);
        QVERIFY(!State().TranslateMode);
        QVERIFY(Main().aNewProject->isEnabled());
        // Without a project there are no settings to edit and nothing to build.
        QVERIFY(!Main().aEditProject->isEnabled());
        QVERIFY(!Main().aBuild->isEnabled());

        Main().cbTranslateMode->setChecked(true);
        SetGridClientWidth(532);
        LoadProject();
        QVERIFY(!Main().cbTranslateMode->isChecked());
        QVERIFY(!State().TranslateMode);
        QCOMPARE(Widths(), QList<int>({64, 96, 96, 128, 128}));
        QVERIFY(Main().aEditProject->isEnabled() && Main().aBuild->isEnabled());
        QCOMPARE(Main().dbnTranslations->VisibleButtonCount(), 9);
        Grid().setCurrentIndex(Grid().model()->index(2, 0));
        PressInGrid(Qt::Key_Insert);
        QCOMPARE(Table().RowCount(), 4);
    }

    // --- Editing in the grid ---

    void aPostedEditEnablesSave() {
        LoadProject();
        QVERIFY(!Main().aSave->isEnabled());
        TypeIntoCell(1, 4, "OK");  // typing replaces the cell's text
        QCOMPARE(Table().State(), TableState::Edit);
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(Main().dbnTranslations->ButtonAt(RecordNavigator::nbPost)->isEnabled());

        PressInGrid(Qt::Key_Up);  // leaving the row stores it
        QCOMPARE(Table().State(), TableState::Browse);
        QCOMPARE(Column(4).at(1), QString("OK"));
        QVERIFY(Main().aSave->isEnabled());
        QVERIFY(Main().sbSave->isEnabled());
    }

    void theNavigatorPostsAndCancels() {
        LoadProject();
        TypeIntoCell(0, 2, "X");
        Main().dbnTranslations->Click(RecordNavigator::nbCancel);
        QCOMPARE(Column(2).at(0), QString("sName"));
        QVERIFY(Grid().indexWidget(Grid().currentIndex()) == nullptr);  // editor closed
        QVERIFY(!Main().aSave->isEnabled());

        TypeIntoCell(0, 2, "Y");
        Main().dbnTranslations->Click(RecordNavigator::nbPost);
        QCOMPARE(Column(2).at(0), QString("Y"));
        QVERIFY(Main().aSave->isEnabled());

        Main().dbnTranslations->Click(RecordNavigator::nbLast);
        QCOMPARE(Grid().currentIndex().row(), 2);
        QVERIFY(!Main().dbnTranslations->ButtonAt(RecordNavigator::nbNext)->isEnabled());
        Main().dbnTranslations->Click(RecordNavigator::nbFirst);
        QCOMPARE(Grid().currentIndex().row(), 0);
        QVERIFY(!Main().dbnTranslations->ButtonAt(RecordNavigator::nbPrior)->isEnabled());
    }

    void escapeDropsTheEdit() {
        LoadProject();
        TypeIntoCell(2, 3, "zz");
        PressInGrid(Qt::Key_Escape);
        QCOMPARE(Table().State(), TableState::Browse);
        QCOMPARE(Column(3).at(2), QString("Änderungen"));
        QVERIFY(!Main().aSave->isEnabled());
    }

    void anAppendedRowLeftEmptyIsDroppedAgain() {
        LoadProject();
        Grid().setFocus();
        Grid().setCurrentIndex(Grid().model()->index(2, 0));
        PressInGrid(Qt::Key_Down);  // past the last row
        QCOMPARE(Grid().model()->rowCount(), 4);
        QCOMPARE(Grid().currentIndex().row(), 3);
        PressInGrid(Qt::Key_Down);  // a new record without any entry stays the only new one
        QCOMPARE(Grid().model()->rowCount(), 4);
        PressInGrid(Qt::Key_Up);
        QCOMPARE(Grid().model()->rowCount(), 3);
        QCOMPARE(Table().RecordCount(), 3);
        QVERIFY(!Main().aSave->isEnabled());

        PressInGrid(Qt::Key_Insert);
        TypeIntoCell(3, 0, "TEdit");
        PressInGrid(Qt::Key_Up);
        QCOMPARE(Table().RecordCount(), 4);
        QCOMPARE(Column(0).at(3), QString("TEdit"));
        QVERIFY(Main().aSave->isEnabled());
    }

    void tabMovesThroughTheCellsAndOnToANewRecord() {
        LoadProject();
        TypeIntoCell(2, 3, "x");
        PressInGrid(Qt::Key_Tab);
        QCOMPARE(Grid().currentIndex(), Grid().model()->index(2, 4));
        PressInGrid(Qt::Key_Tab);  // from the last cell: the changed record is stored first
        QCOMPARE(Table().RecordCount(), 3);
        QCOMPARE(Table().State(), TableState::Insert);
        QCOMPARE(Grid().currentIndex(), Grid().model()->index(3, 0));

        PressInGrid(Qt::Key_Escape);
        Main().cbTranslateMode->setChecked(true);
        Grid().setCurrentIndex(Grid().model()->index(2, 4));
        PressInGrid(Qt::Key_Tab);  // no new record in translate mode
        QCOMPARE(Grid().currentIndex(), Grid().model()->index(2, 4));
        QCOMPARE(Table().RowCount(), 3);
    }

    void typingIntoAnEmptyTableStartsItsFirstRecord() {
        LoadProject({});
        Grid().setFocus();
        QTest::keyClick(&Grid(), Qt::Key_A);
        QCOMPARE(Table().State(), TableState::Insert);
        QCOMPARE(Grid().model()->rowCount(), 1);
        QCOMPARE(Grid().model()->index(0, 0).data().toString(), QString("a"));
    }

    void ctrlDeleteAsksBeforeDeleting() {
        LoadProject();
        Grid().setFocus();
        Grid().setCurrentIndex(Grid().model()->index(1, 1));
        dialogs_->answers = {MessageAnswer::Cancel, MessageAnswer::Ok};
        PressInGrid(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(Table().RecordCount(), 3);
        PressInGrid(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(Table().RecordCount(), 2);
        QCOMPARE(Column(0), QStringList({"TLabel", "TForm"}));
        QCOMPARE(dialogs_->Texts(), QStringList({"Datensatz löschen?", "Datensatz löschen?"}));
        QVERIFY(Main().aSave->isEnabled());
    }

    void theCellEditorTakesOnlyWhatTheFieldCanHold() {
        LoadProject();
        TypeIntoCell(0, 2, "s");
        auto* editor = qobject_cast<QLineEdit*>(Grid().indexWidget(Grid().currentIndex()));
        QVERIFY(editor != nullptr);
        QCOMPARE(editor->maxLength(), 32);
        TypeCharacter(editor, "Ł");  // Windows-1252 has the euro sign, not the L with stroke
        TypeCharacter(editor, "€");
        QCOMPARE(editor->text(), QString("s€"));
        QCOMPARE(Table().Field(2).AsString(), std::string("s\x80"));
        QTest::keyClicks(editor, QString(40, QChar('x')));
        QCOMPARE(editor->text().size(), 32);
    }

    void theCurrentCellOfAFlaggedColumnShowsAnEllipsisButton() {
        LoadProject();
        QSignalSpy clicks(&Grid(), &DataGrid::editButtonClick);
        auto cancel = [](QDialog& dialog) { dialog.reject(); };  // the long-text dialog
        dialogs_->modalScripts = {cancel, cancel};
        const QModelIndex plain = Grid().model()->index(0, 2);
        const QModelIndex flagged = Grid().model()->index(0, 1);
        Grid().setCurrentIndex(plain);
        QVERIFY(!Grid().ShowsEditButton(plain));
        Grid().setCurrentIndex(flagged);
        QVERIFY(Grid().ShowsEditButton(flagged));
        QVERIFY(!Grid().ShowsEditButton(Grid().model()->index(1, 1)));
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {},
                          Grid().EditButtonRect(flagged).center());
        QCOMPARE(clicks.count(), 1);
        Grid().setCurrentIndex(Grid().model()->index(2, 4));
        QTest::keyClick(&Grid(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks.count(), 2);
    }

    // --- Ordering ---

    // The title shows the order: an ascending mark on the ordered column, none before.
    void aTitleClickOrdersByThatField() {
        LoadProject();
        QHeaderView& titles = *Grid().horizontalHeader();
        QVERIFY(!titles.isSortIndicatorShown());
        ClickTitle(3);
        QCOMPARE(Table().IndexFieldNames(), std::string("Deutsch"));
        QCOMPARE(Column(3), QStringList({"Name", "Änderungen", "Übernehmen"}));  // bytewise
        QVERIFY(titles.isSortIndicatorShown());
        QCOMPARE(titles.sortIndicatorSection(), 3);
        QCOMPARE(titles.sortIndicatorOrder(), Qt::AscendingOrder);
        ClickTitle(3);  // the same order again, not the other way round
        QCOMPARE(titles.sortIndicatorOrder(), Qt::AscendingOrder);
        ClickTitle(0);
        QCOMPARE(Column(0), QStringList({"TButton", "TForm", "TLabel"}));
        QCOMPARE(titles.sortIndicatorSection(), 0);

        Main().cbTranslateMode->setChecked(true);
        ClickTitle(4);
        QCOMPARE(Column(4), QStringList({"Apply", "Changes", "Name"}));
        QVERIFY(Grid().isColumnHidden(0));  // the order changes nothing of the layout
        QCOMPARE(Widths().mid(0, 3), QList<int>({-1, -1, -1}));
        QCOMPARE(titles.sortIndicatorSection(), 4);

        LoadProject();  // a new table keeps the order, and its mark
        QCOMPARE(titles.sortIndicatorSection(), 4);
        Table().SetIndexFieldNames("");
        QVERIFY(!titles.isSortIndicatorShown());
    }

    void aTitleClickStoresAChangedRecordFirst() {
        LoadProject();
        TypeIntoCell(0, 4, "s");
        ClickTitle(4);
        QCOMPARE(Table().State(), TableState::Browse);
        QVERIFY(Column(4).contains("s"));
        QVERIFY(Main().aSave->isEnabled());
    }

    void aStoredRecordTakesItsPlaceInTheOrder() {
        LoadProject();
        ClickTitle(0);  // TButton, TForm, TLabel
        TypeIntoCell(0, 0, "TZ");
        PressInGrid(Qt::Key_Down);  // stores the record, which moves to the end
        QCOMPARE(Column(0), QStringList({"TForm", "TLabel", "TZ"}));
        QVERIFY(Grid().currentIndex().isValid());
        QCOMPARE(Grid().currentIndex().row(), Table().RecNo());
        QVERIFY(Main().aSave->isEnabled());
    }

    // --- Saving and closing ---

    void ctrlSSavesOnlyWhileSaveIsEnabled() {
        parlix::testing::TempDir dir;
        LoadProject();
        State().TranslationsFileName = dir.File("Demo_translations.ptf");
        QTest::keyClick(&Main(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!std::filesystem::exists(State().TranslationsFileName));

        TypeIntoCell(0, 0, "x");
        PressInGrid(Qt::Key_Down);
        QVERIFY(Main().aSave->isEnabled());
        QTest::keyClick(&Main(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(std::filesystem::exists(State().TranslationsFileName));
        QVERIFY(parlix::testing::ReadBytes(State().TranslationsFileName).find("\"x\"") !=
                std::string::npos);
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(Grid().isVisible());
        QVERIFY(dialogs_->shown.empty());
    }

    void aSaveThatFailsKeepsSaveEnabled() {
        parlix::testing::TempDir dir;
        LoadProject();
        State().TranslationsFileName = dir.File("missing/Demo_translations.ptf");
        Main().aSave->setEnabled(true);
        Main().aSave->trigger();
        QCOMPARE(dialogs_->Texts(),
                 QStringList({"Fehler beim Speichern der Datei: " +
                              QString::fromStdString(State().TranslationsFileName)}));
        QCOMPARE(dialogs_->shown.at(0).kind, MessageKind::Information);
        QVERIFY(Main().aSave->isEnabled());
        QVERIFY(Grid().isVisible());
    }

    void aFailedBackupAsksWhetherToSaveAnyway() {
        parlix::testing::TempDir dir;
        LoadProject();
        State().TranslationsFileName = dir.File("Demo_translations.ptf");
        State().BackupCount = 1;
        parlix::testing::WriteBytes(State().TranslationsFileName, "old");
        std::filesystem::create_directory(State().TranslationsFileName + ".bak1");  // in the way
        Main().aSave->setEnabled(true);

        dialogs_->answers = {MessageAnswer::Cancel};
        Main().aSave->trigger();
        QCOMPARE(dialogs_->Texts(),
                 QStringList({"Fehler beim Erstellen der Backup-Dateien",
                              "Fehler beim Erstellen der Backup-Dateien - Änderungen trotzdem "
                              "speichern?"}));
        QCOMPARE(dialogs_->shown.at(1).buttons, MessageButtons::YesNoCancel);
        QCOMPARE(parlix::testing::ReadBytes(State().TranslationsFileName), std::string("old"));
        QVERIFY(Main().aSave->isEnabled());

        dialogs_->answers = {MessageAnswer::Yes};
        Main().aSave->trigger();
        QVERIFY(parlix::testing::ReadBytes(State().TranslationsFileName).find("TLabel") !=
                std::string::npos);
        QVERIFY(!Main().aSave->isEnabled());
    }

    void closingWithUnsavedChangesOffersToSave_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("written");
        QTest::newRow("Ja") << MessageAnswer::Yes << true;
        QTest::newRow("Nein") << MessageAnswer::No << false;
    }

    void closingWithUnsavedChangesOffersToSave() {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, written);
        parlix::testing::TempDir dir;
        LoadProject();
        State().TranslationsFileName = dir.File("Demo_translations.ptf");
        TypeIntoCell(0, 0, "x");  // still being edited: closing stores it first
        dialogs_->answers = {answer};
        Main().aExit->trigger();
        QCOMPARE(dialogs_->Texts(), QStringList({"Tabelle vorher speichern?"}));
        QCOMPARE(dialogs_->shown.at(0).buttons, MessageButtons::YesNoCancel);
        QVERIFY(!Main().isVisible());
        QCOMPARE(std::filesystem::exists(State().TranslationsFileName), written);
        QVERIFY(Main().LayoutLock);
    }

    void closingWithNothingToSaveAsksNothing() {
        LoadProject();
        Main().close();
        QVERIFY(dialogs_->shown.empty());
        QVERIFY(!Main().isVisible());
    }

    void closingStaysOpenWhenTheWantedSaveFails() {
        parlix::testing::TempDir dir;
        LoadProject();
        State().TranslationsFileName = dir.File("missing/Demo_translations.ptf");
        Main().aSave->setEnabled(true);
        dialogs_->answers = {MessageAnswer::Yes};
        Main().close();
        QVERIFY(Main().isVisible());
        QVERIFY(!Main().LayoutLock);
        QCOMPARE(dialogs_->Texts().size(), 2);

        dialogs_->answers = {MessageAnswer::No};  // the user gives up the changes
        Main().close();
        QVERIFY(!Main().isVisible());
    }

    // --- Other commands ---

    void theContactButtonOpensTheContactPage() {
        QTest::mouseClick(Main().bKontakt, Qt::LeftButton);
        QCOMPARE(dialogs_->openedUrls.size(), std::size_t(1));
        QCOMPARE(dialogs_->openedUrls.at(0).toString(), QString(kContactPageAddress));
    }

    void cancellingTheOpenDialogChangesNothing() {
        Main().cbTranslateMode->setChecked(true);
        dialogs_->fileAnswers = {{{}, std::nullopt}};
        QTest::keyClick(&Main(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogs_->fileDialogs.size(), std::size_t(1));
        const FileDialogOptions& dialog = dialogs_->fileDialogs.at(0);
        QCOMPARE(dialog.defaultExtension, QString("ppr"));
        QCOMPARE(dialog.fileName, QString("*.ppr"));
        QCOMPARE(dialog.filterDescription, QString("Parlix-Projekt (*.ppr)"));
        QCOMPARE(dialog.filterMask, QString("*.ppr"));
        QVERIFY(Main().cbTranslateMode->isChecked());
        QVERIFY(State().TranslateMode);
    }

    void theGeneralErrorReportShowsErrorsAndPassesOverEAbort() {
        RunHandler(*dialogs_, &Main(), [] { throw PtfError("Die Tabelle ist nicht geöffnet"); });
        RunHandler(*dialogs_, &Main(), [] { throw EAbort(); });
        QCOMPARE(dialogs_->Texts(), QStringList({"Die Tabelle ist nicht geöffnet"}));
        QCOMPARE(dialogs_->shown.at(0).kind, MessageKind::Error);
        QCOMPARE(dialogs_->shown.at(0).buttons, MessageButtons::Ok);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
