// The long-text dialog, opened from the grid's ellipsis buttons of the property list and the
// two language columns, with a scripted user typing into it.
#include <QAction>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "editor/text_input_form.h"
#include "project/flows_harness.h"

using namespace parlix;
using namespace parlix::testing;

namespace {

// What the dialog showed when it opened.
struct Opened {
    QString caption;
    QString text;
    bool focusInBox = false;
    int caret = -1;
    bool selection = true;
};

}  // namespace

class TextInputTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<FlowsHarness> h_;
    Opened opened_;

    FlowsHarness& H() { return *h_; }
    TfmMain& Main() { return h_->Main(); }

    // Opens the dialog on a cell with the ellipsis button's key, records what it showed, and
    // lets `user` work in it.
    void EditLongText(int row, int column, const std::function<void(TfmTextInput&)>& user) {
        H().Grid().setFocus();
        H().Grid().setCurrentIndex(H().Grid().model()->index(row, column));
        H().dialogs.modalScripts.push_back([this, user](QDialog& dialog) {
            auto& form = static_cast<TfmTextInput&>(dialog);
            opened_.caption = form.windowTitle();
            opened_.text = form.mProperties->toPlainText();
            opened_.focusInBox = form.focusWidget() == form.mProperties;
            opened_.caret = form.mProperties->textCursor().position();
            opened_.selection = form.mProperties->textCursor().hasSelection();
            user(form);
        });
        QTest::keyClick(&H().Grid(), Qt::Key_F2, Qt::ShiftModifier);
    }

    QString Value(int row, int column) {
        return H().Grid().model()->index(row, column).data().toString();
    }

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() {
        h_ = std::make_unique<FlowsHarness>();
        opened_ = {};
        H().NewProject("Demo.ppr");
        H().AddRow({"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"});
        Main().aSave->setEnabled(false);
    }

    void cleanup() {
        h_->dialogs.VerifyUsedUp();
        h_.reset();
    }

    void thePropertyListOpensReadyToType() {
        EditLongText(0, 1, [](TfmTextInput& form) {
            QTest::keyClicks(form.mProperties, "x");
            form.btSave->click();
        });
        QCOMPARE(opened_.caption, QString("Komponenten-Eigenschaften"));
        QCOMPARE(opened_.text, QString("frmMain.Caption"));
        QVERIFY(opened_.focusInBox);
        QCOMPARE(opened_.caret, 0);
        QVERIFY(!opened_.selection);
        QCOMPARE(Value(0, 1), QString("xfrmMain.Caption"));
        QVERIFY(Main().aSave->isEnabled());
        QVERIFY(H().dialogs.shown.empty());
    }

    void linesAreJoinedWithNothingBetweenThem() {
        EditLongText(0, 1, [](TfmTextInput& form) {
            form.mProperties->clear();
            QTest::keyClicks(form.mProperties, " a.Caption");
            QTest::keyClick(form.mProperties, Qt::Key_Return);
            QTest::keyClicks(form.mProperties, "b.Caption");
            QTest::keyClick(form.mProperties, Qt::Key_Return, Qt::ShiftModifier);
            QTest::keyClicks(form.mProperties, "c.Caption ");
            QTest::keyClick(form.mProperties, Qt::Key_Return);
            form.btSave->click();
        });
        QCOMPARE(Value(0, 1), QString(" a.Captionb.Captionc.Caption "));  // not trimmed
    }

    void aValueThatOnlyWrapsComesBackAsItWent() {
        // Long enough to wrap several times, with a no-break space and blanks at both ends.
        const QString text =
            "  " + QString(300, 'w') + QChar(0xA0) + "Wörter, die umbrechen " + QString(80, 'z');
        H().EditCell(0, 3, text);
        Main().aSave->setEnabled(false);
        EditLongText(0, 3, [](TfmTextInput& form) { form.btSave->click(); });
        QCOMPARE(Value(0, 3), text);
        QVERIFY(Main().aSave->isEnabled());  // posted again, though nothing changed
    }

    void aLanguageColumnNamesItsLanguage() {
        EditLongText(0, 4, [](TfmTextInput& form) {
            form.mProperties->setPlainText("Address Book");
            form.btSave->click();
        });
        QCOMPARE(opened_.caption, QString("Wert für Sprache English"));
        QCOMPARE(opened_.text, QString("Address book"));
        QCOMPARE(Value(0, 4), QString("Address Book"));
        QCOMPARE(Value(0, 3), QString("Adressbuch"));
        QCOMPARE(Value(0, 1), QString("frmMain.Caption"));
    }

    void otherColumnsOpenNothing() {
        for (int column : {0, 2}) {
            H().Grid().setCurrentIndex(H().Grid().model()->index(0, column));
            Main().dbgTranslationsEditButtonClick();
        }
        QVERIFY(!Main().aSave->isEnabled());
    }

    void cancellingLeavesTheRecord_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Abbrechen") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("window frame") << 2;
    }

    void cancellingLeavesTheRecord() {
        QFETCH(int, way);
        EditLongText(0, 3, [way](TfmTextInput& form) {
            form.mProperties->setPlainText("geändert");
            if (way == 0) {
                form.btCancel->click();
            } else if (way == 1) {
                QTest::keyClick(form.mProperties, Qt::Key_Escape);
            } else {
                form.close();
            }
        });
        QCOMPARE(Value(0, 3), QString("Adressbuch"));
        QVERIFY(!Main().aSave->isEnabled());
    }

    void theBoxIsEmptiedForEveryUse() {
        H().AddRow({"Label"});  // no property list yet
        Main().aSave->setEnabled(false);
        EditLongText(1, 1, [](TfmTextInput& form) { form.btSave->click(); });
        QCOMPARE(opened_.text, QString());
        QCOMPARE(Value(1, 1), QString());
        QVERIFY(Main().aSave->isEnabled());
    }

    void refusesWhatTheFieldCannotHold() {
        bool keptOpen = false;
        EditLongText(0, 3, [&keptOpen](TfmTextInput& form) {
            form.mProperties->setPlainText(QString(1000, 'a') + "\n" + QString(25, 'b'));
            form.btSave->click();
            form.mProperties->setPlainText("Łódź");
            form.btSave->click();
            keptOpen = form.isVisible();
            form.mProperties->setPlainText(QString(1000, 'a') + "\n" + QString(24, 'b'));
            form.btSave->click();
        });
        QVERIFY(keptOpen);
        QCOMPARE(H().dialogs.Texts(),
                 QStringList({"Der Text darf höchstens 1024 Zeichen lang sein; er ist 1025 "
                              "Zeichen lang.",
                              UnstorableCharacterMessage("Ł")}));
        QCOMPARE(H().dialogs.shown.at(0).kind, MessageKind::Information);
        QCOMPARE(Value(0, 3), QString(1000, 'a') + QString(24, 'b'));
    }

    void theRecordBeingInsertedTakesTheText() {
        H().Grid().AppendRecord();
        H().Grid().model()->setData(H().Grid().model()->index(1, 0), "Button");
        EditLongText(1, 1, [](TfmTextInput& form) {
            form.mProperties->setPlainText("btOK.Caption");
            form.btSave->click();
        });
        QCOMPARE(H().Table().RecordCount(), 2);
        QCOMPARE(Value(1, 0), QString("Button"));
        QCOMPARE(Value(1, 1), QString("btOK.Caption"));
    }

    void translateModeOnAnEmptyTableChangesNothing() {
        H().Grid().setCurrentIndex(H().Grid().model()->index(0, 0));
        H().dialogs.answers = {MessageAnswer::Ok};
        H().Grid().DeleteRecord();
        QCOMPARE(H().Table().RecordCount(), 0);
        Main().aSave->setEnabled(false);
        Main().cbTranslateMode->setChecked(true);
        Main().dbgTranslationsEditButtonClick();
        QCOMPARE(H().Table().RowCount(), 0);
        QVERIFY(!Main().aSave->isEnabled());
        QVERIFY(H().dialogs.shown.size() == 1);  // the delete question only
    }
};

QTEST_MAIN(TextInputTest)
#include "tst_text_input.moc"
