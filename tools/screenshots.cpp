// A walk through the whole job on the example project, taking a picture of every window on
// the way: a new project and its overwrite question, the opened example with an edited row,
// the checks panel with a finding, the offer to save, the build dialog, translate mode (with
// the build's report in the status bar), the long-text dialog, the ordered and filtered rows,
// find and replace, a translation to review, the export options and the report of an import,
// and the settings; then, on the Lazarus example, the sync with the forms after a change in the
// form designer. The
// windows are the real ones with Qt's real message boxes; a timer takes each picture and
// answers in the user's place.
//
//   parlix_screenshots OUTPUT_FOLDER EXAMPLE_FOLDER [LAZARUS_EXAMPLE_FOLDER]
//                                                        (see scripts/screenshots.sh)
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <deque>
#include <filesystem>

#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/data_grid.h"
#include "editor/edit_commands.h"
#include "editor/forms_wiring.h"
#include "editor/main_window.h"
#include "editor/program.h"
#include "editor/record_navigator.h"
#include "editor/text_input_form.h"
#include "exchange/export_dialog.h"
#include "exchange/import_report.h"
#include "generator/build_form.h"
#include "project/edit_project_form.h"
#include "search/filter_bar.h"
#include "search/find_dialog.h"
#include "test_support.h"
#include "ui/dialogs.h"

using namespace parlix;

namespace {

constexpr int kSettleMs = 300;  // time for a window to be drawn before its picture is taken

// Qt's own boxes and dialogs, each photographed and then answered from a script.
class PhotographingDialogs : public QtDialogs {
  public:
    explicit PhotographingDialogs(QString folder) : folder_(std::move(folder)) {}

    struct Answer {
        QString picture;  // empty: no picture
        QMessageBox::StandardButton button;
    };
    struct Script {
        QString picture;
        std::function<void(QDialog&)> prepare;  // what the user enters before the picture
        std::function<void(QDialog&)> answer;   // how the user closes the dialog
    };
    std::deque<Answer> answers;
    std::deque<Script> scripts;
    std::deque<QString> files;

    void Take(QWidget& window, const QString& name) {
        if (!name.isEmpty()) {
            const QString path = folder_ + "/" + name + ".png";
            window.grab().save(path);
            std::printf("%s\n", qPrintable(path));
        }
    }

    MessageAnswer ShowMessage(QWidget* parent, MessageKind kind, const QString& text,
                              MessageButtons buttons) override {
        const Answer answer = Next(answers, Answer{QString(), QMessageBox::Ok});
        QTimer::singleShot(kSettleMs, [this, answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Take(*box, answer.picture);
                box->button(answer.button)->click();
            }
        });
        return QtDialogs::ShowMessage(parent, kind, text, buttons);
    }

    std::optional<QString> ExecuteFileDialog(QWidget*, FileDialogOptions&,
                                             const std::function<void(const QString&)>&) override {
        return files.empty() ? std::nullopt : std::optional<QString>(Next(files, QString()));
    }

    int ExecuteModal(QDialog& dialog) override {
        const Script script = Next(scripts, Script{});
        QTimer::singleShot(kSettleMs, &dialog, [this, script, &dialog] {
            if (script.prepare) {
                script.prepare(dialog);
            }
            QTimer::singleShot(kSettleMs, &dialog, [this, script, &dialog] {
                Take(dialog, script.picture);
                if (script.answer) {
                    script.answer(dialog);
                } else {
                    dialog.reject();
                }
            });
        });
        return QtDialogs::ExecuteModal(dialog);
    }

    void OpenUrl(const QUrl&) override {}

  private:
    template <typename T>
    static T Next(std::deque<T>& queue, T fallback) {
        if (queue.empty()) {
            return fallback;
        }
        T next = queue.front();
        queue.pop_front();
        return next;
    }

    QString folder_;
};

void Settle() {
    QTest::qWait(kSettleMs);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "Aufruf: parlix_screenshots AUSGABEORDNER BEISPIELORDNER "
                     "[LAZARUS-BEISPIELORDNER]\n");
        return 2;
    }
    ParlixApplication application(argc, argv);
    InstallGermanTranslations(application);
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    PhotographingDialogs dialogs(output);
    application.SetDialogs(&dialogs);

    // The example and a project to be replaced, in a scratch folder.
    parlix::testing::TempDir scratch;
    for (const auto& entry : std::filesystem::directory_iterator(argv[2])) {
        std::filesystem::copy(entry.path(), scratch.Path() / entry.path().filename());
    }
    parlix::testing::WriteBytes(scratch.File("Demo.ppr"), "an older project");
    auto path = [&scratch](const char* name) { return QString::fromStdString(scratch.File(name)); };

    Program program(dialogs);
    TfmMain& main = program.fmMain();
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) {
        std::fprintf(stderr, "parlix_screenshots: the main window is not shown\n");
        return 1;
    }

    // A new project over an older one.
    dialogs.scripts.push_back(
        {"new-project",
         [](QDialog& dialog) {
             auto& form = static_cast<TfmEditProject&>(dialog);
             form.SetLanguageText(1, "Deutsch");
             form.SetLanguageText(2, "English");
             form.leSourceName->setText("uTexte.pas");
             form.mUses->setPlainText("uAddress, uAbout");
         },
         [](QDialog& dialog) { static_cast<TfmEditProject&>(dialog).btSave->click(); }});
    dialogs.files.push_back(path("Demo.ppr"));
    dialogs.answers.push_back({"overwrite-question", QMessageBox::Yes});
    main.aNewProject->trigger();
    Settle();
    dialogs.Take(main, "new-project-created");

    // The example opened, a translation changed.
    main.aOpenProjectAccept(path("AddressBook.ppr"));
    DataGrid& grid = *main.dbgTranslations;
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(2, 4));
    grid.model()->setData(grid.currentIndex(), "Street and number:");
    grid.setCurrentIndex(grid.model()->index(3, 4));
    Settle();
    dialogs.Take(main, "main-window");

    // The checks: a text left without its translation shows in the panel below the grid, and
    // its line leads to the cell.
    grid.setCurrentIndex(grid.model()->index(4, 4));
    grid.model()->setData(grid.currentIndex(), "");
    main.dbnTranslations->Click(RecordNavigator::nbPost);
    ChecksPanel& checks = *main.Checks->Panel;
    checks.Refresh();
    checks.lvFindings->setCurrentIndex(checks.lvFindings->model()->index(0, 0));
    checks.Activate(0);
    Settle();
    dialogs.Take(main, "checks");

    // Build: first the offer to save, then the build dialog with a language define.
    dialogs.answers.push_back({"save-question", QMessageBox::Yes});
    dialogs.scripts.push_back(
        {"build",
         [](QDialog& dialog) {
             auto& form = static_cast<TfmBuild&>(dialog);
             form.cbDefine->setChecked(true);
             form.lbLanguages->setCurrentRow(1);
         },
         [](QDialog& dialog) { static_cast<TfmBuild&>(dialog).btOK->click(); }});
    main.aBuild->trigger();

    // Translate mode, and the long text of the about box in the long-text dialog.
    main.cbTranslateMode->setChecked(true);
    grid.setCurrentIndex(grid.model()->index(9, 4));
    Settle();
    dialogs.Take(main, "translate-mode");
    dialogs.scripts.push_back({"long-text", {}, {}});
    main.dbgTranslationsEditButtonClick();

    // The filter narrowing the rows ordered by the German texts, and find and replace.
    main.cbTranslateMode->setChecked(false);
    main.dbgTranslationsTitleClick(3);
    main.Edit->Filter->edFilter->setText("adress");
    Settle();
    dialogs.Take(main, "filter");
    main.Edit->Filter->edFilter->clear();
    main.Edit->aFindReplace->trigger();
    TfmFindReplace& find = *main.Edit->FindReplace();
    find.leFind->setText("Adressbuch");
    find.leReplace->setText("Anschriftenbuch");
    find.btFindNext->click();
    Settle();
    dialogs.Take(find, "find-replace");
    dialogs.Take(main, "find-in-main-window");
    find.close();

    // A German text changed under its English one: the cell to review is tinted, the checks
    // panel says what changed, and the status bar counts it.
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
        if (grid.model()->index(row, 3).data().toString() == "Kein Eintrag gefunden.") {
            grid.setCurrentIndex(grid.model()->index(row, 3));
            grid.model()->setData(grid.currentIndex(), "Kein Eintrag zu diesem Namen gefunden.");
            main.dbnTranslations->Click(RecordNavigator::nbPost);
            grid.setCurrentIndex(grid.model()->index(row == 0 ? 1 : 0, 3));
        }
    }
    checks.Refresh();
    checks.lvFindings->setCurrentIndex(checks.lvFindings->model()->index(0, 0));
    Settle();
    dialogs.Take(main, "review");

    // The table handed out to a translator, and a spreadsheet of theirs coming back: two
    // texts changed, one with a character the table cannot hold, two of another version.
    dialogs.scripts.push_back(
        {"export",
         [](QDialog& dialog) { static_cast<TfmExport&>(dialog).leTargetCode->setText("en-GB"); },
         [](QDialog& dialog) { static_cast<TfmExport&>(dialog).btOK->click(); }});
    dialogs.files.push_back(path("AddressBook_en-GB.xlf"));
    main.aExport->trigger();
    parlix::testing::WriteBytes(
        scratch.File("AddressBook_en-GB.csv"),
        "\xEF\xBB\xBFType;Property;StringName;Deutsch;English\r\n"
        "Form;frmAddress.Caption;sTitle;Adressbuch;Address Book\r\n"
        "Label;frmAddress.lblName.Caption;;Vor- und Nachname:;Name:\r\n"
        "Label;frmAddress.lblStreet.Caption;;Stra\xC3\x9F"
        "e:;Street and number:\r\n"
        "Message;;sNotFound;Kein Eintrag gefunden.;No entry found.\r\n"
        "Message;;sUnsaved;Sie haben Ihre \xC3\x84nderungen noch nicht gespeichert.;"
        "Changes not saved \xE2\x9C\x8E\r\n"
        "Message;;sDeleted;Eintrag gel\xC3\xB6scht.;Entry deleted.\r\n"
        "Message;;sPrinted;Gedruckt.;Printed.\r\n");
    dialogs.files.push_back(path("AddressBook_en-GB.csv"));
    dialogs.scripts.push_back({"import-report", {}, {}});  // closed with "Abbrechen"
    main.aImport->trigger();

    // The project's settings, after the offer to save the text changed above.
    dialogs.answers.push_back({QString(), QMessageBox::No});
    dialogs.scripts.push_back({"settings", {}, {}});
    main.aEditProject->trigger();
    Settle();

    // The Lazarus example: its table made from its forms, then the forms changed in the
    // designer (a button renamed, a caption reworded) and the sync's plan of that.
    if (argc == 4) {
        parlix::testing::TempDir lazarus;
        for (const auto& entry : std::filesystem::directory_iterator(argv[3])) {
            std::filesystem::copy(entry.path(), lazarus.Path() / entry.path().filename());
        }
        if (main.ChangesToSave()) {
            dialogs.answers.push_back({QString(), QMessageBox::No});
        }
        main.aOpenProjectAccept(QString::fromStdString(lazarus.File("Tasks.ppr")));
        dialogs.scripts.push_back({QString(), {}, [](QDialog& dialog) { dialog.accept(); }});
        main.Forms->aSyncForms->trigger();
        for (const char* name : {"umain.lfm", "umain.pas"}) {
            std::string text = parlix::testing::ReadBytes(lazarus.File(name));
            for (const auto& [from, to] : {std::pair<std::string, std::string>{"btAdd", "btNew"},
                                           {"Offene Aufgaben:", "Meine Aufgaben:"}}) {
                for (std::size_t at = text.find(from); at != std::string::npos;
                     at = text.find(from, at + to.size())) {
                    text.replace(at, from.size(), to);
                }
            }
            parlix::testing::WriteBytes(lazarus.File(name), text);
        }
        dialogs.scripts.push_back({"form-sync", {}, {}});  // closed with "Abbrechen"
        main.Forms->aSyncForms->trigger();
        Settle();
    }

    application.SetDialogs(nullptr);
    return 0;
}
