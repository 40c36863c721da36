// Export and import through the main window's "Datei" menu, with the whole program in a
// temporary folder and a scripted user answering the options dialog, the file dialogs and the
// import report.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <sstream>

#include "editor/edit_commands.h"
#include "exchange/exchange.h"
#include "exchange/export_dialog.h"
#include "exchange/import_report.h"
#include "project/flows_harness.h"

using namespace parlix;
using namespace parlix::testing;

namespace {

// The translation table of Demo.ppr: texts XML and CSV must escape, Windows-1252 letters, an
// empty and a null target, and a row matched by its Property.
const std::string kTable =
    "/* Portable Table Format 1.0 */\r\n"
    "porTables[porTables.length] = new Array(\r\n"
    "\"Type\",\"Property\",\"StringName\",\"Deutsch\",\"English\",\r\n"
    "\"Form\",\"fmMain.Caption\",\"sTitle\",\"Adressbuch\",\"Address book\",\r\n"
    "\"Label\",\"fmMain.lbStreet.Caption\",\"\",\"Stra\xDF"
    "e & <Nr.>;\",\"\",\r\n"
    "\"Button\",\"fmMain.btOK.Caption\",\"sOK\",\"OK ]]> \xC4\",\"OK ]]> \x80\",\r\n"
    "\"Message\",\"\",\"sLater\",\"Sp\xE4ter, bitte\",null,\r\n"
    "5);\r\n";

// A CSV file as a spreadsheet saves it: one unit of each kind, in lines 2 to 6, from the table
// with the title's source changed as importAppliesAsOneUndoStep does.
const std::string kCsv =
    "\xEF\xBB\xBFType;Property;StringName;Deutsch;English\r\n"
    "Form;fmMain.Caption;sTitle;Adressbuch!;Address book!\r\n"  // changed
    "Label;fmMain.lbStreet.Caption;;\"Stra\xC3\x9F"
    "e & <Nr.>;\";Street\r\n"  // new, matched by its Property
    "Button;fmMain.btOK.Caption;sOK;OK ]]> \xC3\x84;OK ]]> \xE2\x82\xAC\r\n"  // unchanged (euro)
    "Form;;sNowhere;;x\r\n"                                                   // unknown
    "Message;;sLater;Sp\xC3\xA4ter, bitte;Later \xE2\x86\x92\r\n";            // refused: arrow

const QStringList kTargets = {"Address book", "", "OK ]]> \u20AC", ""};

TfmExport& ExportForm(QDialog& dialog) {
    return static_cast<TfmExport&>(dialog);
}

TfmImportReport& Report(QDialog& dialog) {
    return static_cast<TfmImportReport&>(dialog);
}

}  // namespace

class ExchangeFlowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }
    std::size_t UndoSteps() { return h_->Dm1().History.UndoCount(); }

    void OpenDemo() {
        H().WriteProjectFile("Demo.ppr", "Deutsch", "English", "uTexte.pas");
        WriteBytes(H().File("Demo_translations.ptf"), kTable);
        H().OpenProject("Demo.ppr");
        QCOMPARE(H().Column(4), kTargets);
    }

    // Exports through the menu with the options dialog confirmed as it is filled in.
    void ExportAs(const std::string& name) {
        H().dialogs.modalScripts.push_back(
            [](QDialog& dialog) { ExportForm(dialog).btOK->click(); });
        H().dialogs.fileAnswers.push_back({{}, H().Path(name)});
        Main().aExport->trigger();
    }

    // Imports through the menu; `report` answers the report dialog.
    void ImportFrom(const std::string& name, std::function<void(QDialog&)> report) {
        H().dialogs.fileAnswers.push_back({{}, H().Path(name)});
        if (report) {
            H().dialogs.modalScripts.push_back(std::move(report));
        }
        Main().aImport->trigger();
    }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() { h_ = std::make_unique<FlowsHarness>(); }

    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    // Both actions need a project whose table loaded, in translate mode as well.
    void actionsFollowTheProject() {
        QVERIFY(!Main().aExport->isEnabled() && !Main().aImport->isEnabled());
        OpenDemo();
        QVERIFY(Main().aExport->isEnabled() && Main().aImport->isEnabled());
        Main().cbTranslateMode->setChecked(true);
        QVERIFY(Main().aExport->isEnabled() && Main().aImport->isEnabled());
        Main().cbTranslateMode->setChecked(false);

        H().WriteProjectFile("Other.ppr", "Deutsch", "English", "uTexte.pas");  // no table file
        H().OpenProject("Other.ppr");
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QVERIFY(!Main().aExport->isEnabled() && !Main().aImport->isEnabled());
    }

    // --- Export ---

    void exportWritesTheChosenFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("untranslated");
        QTest::addColumn<int>("delimiterEntry");
        QTest::addColumn<char>("delimiter");
        QTest::addColumn<int>("units");
        QTest::newRow("XLIFF") << "Demo.xlf" << false << 0 << ';' << 4;
        QTest::newRow("XLIFF, untranslated") << "Demo.XLIFF" << true << 0 << ';' << 2;
        QTest::newRow("CSV, semicolon") << "Demo.csv" << false << 0 << ';' << 4;
        QTest::newRow("CSV, comma, untranslated") << "Demo.csv" << true << 1 << ',' << 2;
    }

    void exportWritesTheChosenFile() {
        QFETCH(QString, file);
        QFETCH(bool, untranslated);
        QFETCH(int, delimiterEntry);
        QFETCH(char, delimiter);
        QFETCH(int, units);
        OpenDemo();
        // A text typed but not yet stored goes out with the rest.
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 4));
        H().Grid().model()->setData(H().Grid().currentIndex(), "Address book!");

        H().dialogs.modalScripts.push_back([&](QDialog& dialog) {
            TfmExport& form = ExportForm(dialog);
            QCOMPARE(form.lbSource->text(), QString("Sprache &1 (Deutsch), Quelle:"));
            QCOMPARE(form.leSourceCode->text(), QString("de"));
            QCOMPARE(form.leTargetCode->text(), QString("en"));
            QCOMPARE(form.cbDelimiter->currentText(), QString("Semikolon (;)"));
            form.leTargetCode->setText(" en-GB ");
            form.cbUntranslated->setChecked(untranslated);
            form.cbDelimiter->setCurrentIndex(delimiterEntry);
            form.btOK->click();
        });
        H().dialogs.fileAnswers.push_back({{}, H().Path(file.toStdString())});
        Main().aExport->trigger();

        const std::size_t fileDialogs = H().dialogs.fileDialogs.size();
        const FileDialogOptions asked = H().dialogs.fileDialogs.back();
        QCOMPARE(asked.fileName, QString("Demo_en-GB.xlf"));
        QCOMPARE(asked.folder, QString::fromStdString(H().dir.Path().string()));
        QCOMPARE(asked.filterDescription, QString("XLIFF 1.2 (*.xlf *.xliff);;CSV (*.csv)"));
        QCOMPARE(H().dialogs.Texts(),
                 QStringList(QString("%1 Einheiten nach „%2“ exportiert.").arg(units).arg(file)));
        QVERIFY(Main().aSave->isEnabled());  // the typed text was stored

        exchange::ExportOptions options;
        options.sourceCode = "de";
        options.targetCode = "en-GB";
        options.onlyUntranslated = untranslated;
        options.csvDelimiter = delimiter;
        options.original = "Demo_translations.ptf";
        std::ostringstream expected;
        if (file.endsWith(".csv")) {
            exchange::ExportCsv(H().Table(), options, expected);
        } else {
            exchange::ExportXliff(H().Table(), options, expected);
        }
        const std::string written = ReadBytes(H().File(file.toStdString()));
        QCOMPARE(written, expected.str());
        QVERIFY(written.find("Address book!") != std::string::npos || untranslated);

        // The codes and choices stay for the run; the next export offers them again.
        H().dialogs.modalScripts.push_back([&](QDialog& dialog) {
            TfmExport& form = ExportForm(dialog);
            QCOMPARE(form.leSourceCode->text(), QString("de"));
            QCOMPARE(form.leTargetCode->text(), QString("en-GB"));
            QCOMPARE(form.cbUntranslated->isChecked(), untranslated);
            QCOMPARE(form.cbDelimiter->currentIndex(), delimiterEntry);
            form.btCancel->click();
        });
        Main().aExport->trigger();
        QCOMPARE(H().dialogs.fileDialogs.size(), fileDialogs);
    }

    // A wrong code keeps the dialog open; a file the format cannot be told from, a file that
    // cannot be written and an existing file the user keeps are not written.
    void exportRefusesWhatItCannotWrite() {
        OpenDemo();
        H().dialogs.modalScripts.push_back([this](QDialog& dialog) {
            TfmExport& form = ExportForm(dialog);
            for (const char* wrong : {"e1", "", "en--GB"}) {
                form.leTargetCode->setText(wrong);
                form.btOK->click();
                QVERIFY(dialog.isVisible());
            }
            form.leTargetCode->setText("en");
            form.btOK->click();
            QVERIFY(!dialog.isVisible());
        });
        H().dialogs.fileAnswers.push_back({{}, H().Path("Demo.txt")});
        Main().aExport->trigger();
        QCOMPARE(
            H().dialogs.Texts().mid(0, 3),
            QStringList({"„e1“ ist kein gültiger Sprachcode nach BCP 47 (z. B. de, en, en-US).",
                         "Bitte den Sprachcode angeben (z. B. de, en, en-US).",
                         "„en--GB“ ist kein gültiger Sprachcode nach BCP 47 (z. B. de, en, "
                         "en-US)."}));
        QCOMPARE(H().dialogs.shown.back().kind, MessageKind::Error);
        QVERIFY(H().dialogs.shown.back().text.startsWith("„Demo.txt“ wurde nicht geschrieben"));
        QVERIFY(!std::filesystem::exists(H().File("Demo.txt")));

        H().dialogs.shown.clear();
        ExportAs("missing/Demo.xlf");
        QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
        QVERIFY2(H().dialogs.shown.at(0).text.contains(H().Path("missing/Demo.xlf")),
                 qPrintable(H().dialogs.shown.at(0).text));

        H().dialogs.shown.clear();
        WriteBytes(H().File("Kept.csv"), "mine");
        H().dialogs.answers.push_back(MessageAnswer::No);
        ExportAs("Kept.csv");
        QCOMPARE(H().dialogs.Texts(),
                 QStringList("Die Datei „Kept.csv“ gibt es schon. Überschreiben?"));
        QCOMPARE(ReadBytes(H().File("Kept.csv")), std::string("mine"));
    }

    // --- Import ---

    void importAppliesAsOneUndoStep_data() {
        QTest::addColumn<bool>("translateMode");
        QTest::newRow("editing") << false;
        QTest::newRow("translate mode") << true;
    }

    void importAppliesAsOneUndoStep() {
        QFETCH(bool, translateMode);
        OpenDemo();
        H().EditCell(0, 3, "Adressbuch!");  // an earlier step, which stays
        Main().aSave->trigger();
        Main().cbTranslateMode->setChecked(translateMode);
        WriteBytes(H().File("Back.csv"), kCsv);
        const std::size_t steps = UndoSteps();

        ImportFrom("Back.csv", [](QDialog& dialog) {
            TfmImportReport& report = Report(dialog);
            QCOMPARE(report.lbFile->text(), QString("Datei: Back.csv"));
            const QStringList counts = {report.lbNew->text(), report.lbChanged->text(),
                                        report.lbUnchanged->text(), report.lbUnknown->text(),
                                        report.lbRefused->text()};
            QCOMPARE(counts, QStringList({"1", "1", "1", "1", "1"}));
            QStringList units;
            for (int row = 0; row < report.sgUnits->rowCount(); ++row) {
                units << report.sgUnits->item(row, 0)->text() + " " +
                             report.sgUnits->item(row, 1)->text() + " " +
                             report.sgUnits->item(row, 2)->text();
            }
            QCOMPARE(units,
                     QStringList({"sNowhere 5 unbekannt: keine Zeile der Tabelle hat diesen "
                                  "Schlüssel",
                                  "sLater 6 abgelehnt: Zeichen, die Windows-1252 nicht kennt: "
                                  "→ (U+2192)"}));
            QVERIFY(report.lbSummary->text().startsWith(
                "„Übernehmen“ schreibt 2 Texte in die Spalte „English“"));
            report.btApply->click();
        });
        QVERIFY(H().dialogs.shown.empty());
        QCOMPARE(H().Column(4), QStringList({"Address book!", "Street", "OK ]]> \u20AC", ""}));
        QCOMPARE(H().Column(3).at(0), QString("Adressbuch!"));
        QVERIFY(H().Table().IsNullAt(3, 4));
        QVERIFY(Main().aSave->isEnabled());
        QCOMPARE(UndoSteps(), steps + 1);
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf.bak1")), kTable);  // not saved again

        Main().Edit->aUndo->trigger();
        QCOMPARE(H().Column(4), kTargets);
        QCOMPARE(H().Column(3).at(0), QString("Adressbuch!"));
        QVERIFY(!Main().aSave->isEnabled());  // back to what was saved
    }

    void importThatChangesNothing_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fault");  // the error's text after the file's path
        QTest::newRow("no file chosen") << ""
                                        << "";
        QTest::newRow("report cancelled") << "Back.csv"
                                          << "";
        QTest::newRow("nothing new") << "Same.xlf"
                                     << "";
        QTest::newRow("truncated") << "Half.xlf"
                                   << ":5: die Datei endet mitten im XML";
        QTest::newRow("other header") << "Other.csv"
                                      << ":1: die Kopfzeile passt nicht";
    }

    void importThatChangesNothing() {
        QFETCH(QString, file);
        QFETCH(QString, fault);
        OpenDemo();
        ExportAs("Same.xlf");
        H().dialogs.shown.clear();
        const std::string same = ReadBytes(H().File("Same.xlf"));
        WriteBytes(H().File("Half.xlf"), same.substr(0, same.find("<trans-unit") + 20));
        WriteBytes(H().File("Back.csv"), kCsv);
        WriteBytes(H().File("Other.csv"), "Type;Property;StringName;Polski;Italiano\r\n");

        if (file.isEmpty()) {
            H().dialogs.fileAnswers.push_back({{}, std::nullopt});
            Main().aImport->trigger();
        } else if (!fault.isEmpty()) {
            ImportFrom(file.toStdString(), {});
            QCOMPARE(H().dialogs.shown.size(), std::size_t(1));
            QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Error);
            const QString text = H().dialogs.shown.at(0).text;
            QVERIFY2(text.startsWith("Die Datei kann nicht importiert werden; die Tabelle bleibt, "
                                     "wie sie ist.\n\n" +
                                     H().Path(file.toStdString()) + fault),
                     qPrintable(text));
        } else {
            ImportFrom(file.toStdString(), [&file](QDialog& dialog) {
                TfmImportReport& report = Report(dialog);
                if (file == "Same.xlf") {
                    QCOMPARE(report.lbUnchanged->text(), QString("2"));
                    QCOMPARE(report.lbUntranslated->text(), QString("2"));
                    QCOMPARE(report.lbDrafts->text(), QString("0"));
                    QCOMPARE(report.lbSummary->text(),
                             QString("Die Datei ändert nichts an der Tabelle."));
                    QVERIFY(!report.btApply->isEnabled());
                    QCOMPARE(report.sgUnits->rowCount(), 2);
                    QCOMPARE(report.sgUnits->item(0, 2)->text(),
                             QString("unübersetzt: leeres <target>"));
                    QCOMPARE(report.sgUnits->item(1, 2)->text(),
                             QString("unübersetzt: kein <target>"));
                }
                report.btCancel->click();
            });
            QVERIFY(H().dialogs.shown.empty());
        }
        QCOMPARE(H().Column(4), kTargets);
        QVERIFY(!Main().aSave->isEnabled());
        QCOMPARE(UndoSteps(), std::size_t(0));
    }

    // Export, the translations changed in the grid, the file imported back and saved: the
    // table file is as it was, byte for byte, null and empty targets apart in CSV. (XLIFF
    // offers no translation for the untranslated rows, which the import never clears.)
    void roundTripKeepsTheTableFile_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<int>>("rows");  // the rows whose translation is changed
        QTest::newRow("XLIFF") << "Trip.xlf" << QList<int>{0, 2};
        QTest::newRow("CSV") << "Trip.csv" << QList<int>{0, 1, 2, 3};
    }

    void roundTripKeepsTheTableFile() {
        QFETCH(QString, file);
        QFETCH(QList<int>, rows);
        OpenDemo();
        ExportAs(file.toStdString());
        H().dialogs.shown.clear();
        for (int row : rows) {
            H().EditCell(row, 4, QString("changed %1").arg(row));
        }
        ImportFrom(file.toStdString(), [&rows](QDialog& dialog) {
            TfmImportReport& report = Report(dialog);
            QCOMPARE(report.lbChanged->text(), QString::number(rows.size()));
            report.btApply->click();
        });
        QCOMPARE(H().Column(4), kTargets);
        QVERIFY(H().Table().IsNullAt(3, 4) && !H().Table().IsNullAt(1, 4));
        Main().aSave->trigger();
        QVERIFY(!Main().aSave->isEnabled());
        QCOMPARE(ReadBytes(H().File("Demo_translations.ptf")), kTable);
        QVERIFY(H().dialogs.shown.empty());
    }
};

QTEST_MAIN(ExchangeFlowTest)
#include "tst_exchange_flow.moc"
