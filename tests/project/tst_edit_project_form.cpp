// The project settings dialog: its defaults, its validation and closing, and the source-unit
// chooser, answered by a scripted stand-in for the user.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "editor/program.h"
#include "project/edit_project_form.h"
#include "ui/scripted_dialogs.h"

using namespace parlix;
using parlix::testing::ScriptedDialogs;

class EditProjectFormTest : public QObject {
    Q_OBJECT

  private:
    // Fills the dialog as a user would and shows it modally; `clicks` runs while it is open.
    int ShowWith(const std::function<void(TfmEditProject&)>& clicks) {
        dialogs_->modalScripts.push_back(
            [&clicks](QDialog& dialog) { clicks(static_cast<TfmEditProject&>(dialog)); });
        return dialogs_->ExecuteModal(*form_);
    }

    void Fill(const QString& language1, const QString& language2, const QString& source) {
        form_->SetLanguageText(1, language1);
        form_->SetLanguageText(2, language2);
        form_->leSourceName->setText(source);
    }

    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<TfmEditProject> form_;

  private slots:
    void initTestCase() { QVERIFY(InstallGermanTranslations(*QCoreApplication::instance())); }

    void init() {
        dialogs_ = std::make_unique<ScriptedDialogs>();
        form_ = std::make_unique<TfmEditProject>(*dialogs_, nullptr);
    }

    void cleanup() {
        QVERIFY2(dialogs_->unexpected.isEmpty(), qPrintable(dialogs_->unexpected.join(" | ")));
        form_.reset();
        dialogs_.reset();
    }

    void startsWithItsDefaults() {
        QCOMPARE(form_->windowTitle(), QString("Neues Projekt erstellen"));
        QCOMPARE(form_->size(), QSize(346, 325));
        QCOMPARE(form_->sgLanguages->rowCount(), 3);
        QCOMPARE(form_->sgLanguages->columnCount(), 1);
        QCOMPARE(form_->LanguageText(0), QString("Sprachen"));
        QVERIFY(!(form_->sgLanguages->item(0, 0)->flags() & Qt::ItemIsEditable));
        QVERIFY(form_->LanguageText(1).isEmpty() && form_->LanguageText(2).isEmpty());
        QVERIFY(form_->leSourceName->text().isEmpty());
        QVERIFY(form_->mUses->toPlainText().isEmpty());
        QCOMPARE(form_->mUses->toolTip(), QString("Units für Uses-Abschnitt durch Komma getrennt"));
        QStringList entries;
        for (int i = 0; i < form_->cbBackups->count(); ++i) {
            entries << form_->cbBackups->itemText(i);
        }
        QCOMPARE(entries, QStringList({"0", "1", "2", "3", "4", "5"}));
        QCOMPARE(form_->cbBackups->currentText(), QString("2"));
        QVERIFY(!form_->cbBackups->isEditable());
        QVERIFY(form_->btSave->isDefault());
        QCOMPARE(form_->btCancel->text(), QString("Abbrechen"));
        QCOMPARE(form_->SpeedButton2->focusPolicy(), Qt::NoFocus);
        QCOMPARE(form_->leSourceName->geometry(), QRect(16, 20, 241, 21));
        QCOMPARE(form_->sgLanguages->geometry(), QRect(16, 56, 281, 60));
        QCOMPARE(form_->btCancel->geometry(), QRect(184, 266, 113, 33));
    }

    void okNeedsBothLanguagesFirst_data() {
        QTest::addColumn<QString>("language1");
        QTest::addColumn<QString>("language2");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << ""
                                 << "Bitte Sprachen definieren";
        QTest::newRow("blanks only") << "Deutsch"
                                     << " \t "
                                     << "Demo.pas"
                                     << "Bitte Sprachen definieren";
        QTest::newRow("no source") << "Deutsch"
                                   << "English"
                                   << "  "
                                   << "Bitte Source-File angeben";
    }

    void okNeedsBothLanguagesFirst() {
        QFETCH(QString, language1);
        QFETCH(QString, language2);
        QFETCH(QString, source);
        QFETCH(QString, message);
        bool keptOpen = false;
        const int result = ShowWith([&](TfmEditProject& form) {
            Fill(language1, language2, source);
            QTest::mouseClick(form.btSave, Qt::LeftButton);
            keptOpen = form.isVisible() && form.ModalResult == TfmEditProject::mrNone;
            form.SetLanguageText(1, "Deutsch");  // the user puts it right
            form.SetLanguageText(2, "English");
            form.leSourceName->setText("Demo.pas");
            QTest::mouseClick(form.btSave, Qt::LeftButton);
        });
        QVERIFY(keptOpen);
        QCOMPARE(dialogs_->Texts(), QStringList({message}));
        QCOMPARE(dialogs_->shown.at(0).kind, MessageKind::Information);
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(form_->ModalResult, int(TfmEditProject::mrOk));
    }

    void cancelEscapeAndTheFrameAlwaysClose() {
        QCOMPARE(ShowWith([](TfmEditProject& form) { form.btCancel->click(); }),
                 int(QDialog::Rejected));
        QCOMPARE(ShowWith([](TfmEditProject& form) { QTest::keyClick(&form, Qt::Key_Escape); }),
                 int(QDialog::Rejected));
        QCOMPARE(ShowWith([](TfmEditProject& form) { form.close(); }), int(QDialog::Rejected));
        QVERIFY(dialogs_->shown.empty());
        QVERIFY(form_->FormCloseQuery(TfmEditProject::mrOk));
        QVERIFY(form_->FormCloseQuery(TfmEditProject::mrCancel));
        QVERIFY(!form_->FormCloseQuery(TfmEditProject::mrKeepOpen));
    }

    void keepsItsContentsBetweenUses() {
        ShowWith([this](TfmEditProject& form) {
            Fill("Deutsch", "English", "Demo.pas");
            form.cbBackups->setCurrentIndex(4);
            form.mUses->setPlainText("Forms, Dialogs,\nSysUtils");
            form.btSave->click();
        });
        ShowWith([](TfmEditProject& form) { form.btCancel->click(); });
        QCOMPARE(form_->LanguageText(2), QString("English"));
        QCOMPARE(form_->leSourceName->text(), QString("Demo.pas"));
        QCOMPARE(form_->cbBackups->currentText(), QString("4"));
        QCOMPARE(form_->UsesLines(), QStringList({"Forms, Dialogs,", "SysUtils"}));
        QCOMPARE(form_->LanguageText(0), QString("Sprachen"));
    }

    void theChooserCopiesEverySelectionIntoTheSourceField() {
        dialogs_->fileAnswers = {{{"/work/a.pas", "/work/b.pas"}, std::nullopt}};
        form_->SpeedButton2->click();
        QCOMPARE(form_->leSourceName->text(), QString("/work/b.pas"));  // cancelled: kept

        dialogs_->fileAnswers = {{{"/work/c.pas"}, QString("/work/New.pas")}};
        form_->SpeedButton2->click();  // a new name typed into the chooser and confirmed
        QCOMPARE(form_->leSourceName->text(), QString("/work/New.pas"));

        const FileDialogOptions& chooser = dialogs_->fileDialogs.at(0);
        QCOMPARE(chooser.title, QString("Datei auswählen / angeben"));
        QCOMPARE(chooser.defaultExtension, QString("pas"));
        QCOMPARE(chooser.fileName, QString("*.pas"));
        QCOMPARE(chooser.filterDescription, QString("Delphi-Unit (*.pas)"));
        QVERIFY(!chooser.fileMustExist);

        QCOMPARE(form_->sdProjectSave.mode, FileDialogOptions::Mode::Save);
        QCOMPARE(form_->sdProjectSave.defaultExtension, QString("ppr"));
        QCOMPARE(form_->sdProjectSave.fileName, QString("*.ppr"));
        QCOMPARE(form_->sdProjectSave.filterDescription, QString("Parlix Project File"));
        QCOMPARE(form_->sdProjectSave.filterMask, QString("*.ppr"));
    }

    void aBackupCountOutsideTheListShowsTheNearestEntry() {
        form_->SetBackupCount(3);
        QCOMPARE(form_->cbBackups->currentText(), QString("3"));
        form_->SetBackupCount(9);
        QCOMPARE(form_->cbBackups->currentText(), QString("5"));
        form_->SetBackupCount(-1);
        QCOMPARE(form_->cbBackups->currentText(), QString("0"));
    }

    void refusesWhatTheProjectFileCannotHold_data() {
        QTest::addColumn<QString>("language1");
        QTest::addColumn<QString>("language2");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("uses");
        QTest::addColumn<QString>("message");
        QTest::newRow("character") << "Polski"
                                   << "Łacina"
                                   << "Demo.pas"
                                   << ""
                                   << "Das Zeichen „Ł“ ist im Windows-Zeichensatz (Windows-1252) "
                                      "nicht enthalten und kann nicht gespeichert werden.";
        QTest::newRow("language length") << QString(33, 'x') << "English"
                                         << "Demo.pas"
                                         << ""
                                         << "Ein Sprachname darf höchstens 32 Zeichen lang sein.";
        QTest::newRow("source length")
            << "Deutsch"
            << "English" << QString(129, 'p') << ""
            << "Der Pfad des Source-Files darf höchstens 128 Zeichen lang sein.";
        QTest::newRow("uses length")
            << "Deutsch"
            << "English"
            << "Demo.pas" << QString(200, 'u') + "\n" + QString(56, 'u')
            << "Die Units für den Uses-Abschnitt dürfen zusammen höchstens 255 Zeichen lang sein.";
        QTest::newRow("same names") << "Deutsch"
                                    << "deutsch"
                                    << "Demo.pas"
                                    << ""
                                    << "Bitte unterschiedliche Sprachen definieren";
        QTest::newRow("column name")
            << "Property"
            << "English"
            << "Demo.pas"
            << ""
            << "Bitte Sprachen definieren, die nicht Type, Property oder StringName heißen";
    }

    void refusesWhatTheProjectFileCannotHold() {
        QFETCH(QString, language1);
        QFETCH(QString, language2);
        QFETCH(QString, source);
        QFETCH(QString, uses);
        QFETCH(QString, message);
        const int result = ShowWith([&](TfmEditProject& form) {
            Fill(language1, language2, source);
            form.mUses->setPlainText(uses);
            form.btSave->click();
            QVERIFY(form.isVisible());
            form.btCancel->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(dialogs_->Texts(), QStringList({message}));
    }

    void theLongestStorableTextsPass() {
        const int result = ShowWith([this](TfmEditProject& form) {
            Fill(QString(32, 'x') + "  ", " English", QString(128, 'p'));
            form.mUses->setPlainText(QString(255, 'u'));
            form.btSave->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(dialogs_->shown.empty());
    }

    void tabMovesFromTheFirstLanguageToTheSecondAndOn() {
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        form_->sgLanguages->setFocus();
        form_->sgLanguages->setCurrentCell(1, 0);
        QTest::keyClick(form_->sgLanguages, Qt::Key_Tab);
        QCOMPARE(form_->sgLanguages->currentRow(), 2);
        QTest::keyClick(form_->sgLanguages, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form_->cbBackups);
        form_->hide();
    }
};

QTEST_MAIN(EditProjectFormTest)
#include "tst_edit_project_form.moc"
