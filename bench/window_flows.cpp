// Speed of the program's big steps on a large project, measured through the real windows on
// Qt's offscreen platform: opening the project, ordering it by a title click, saving it,
// building its unit, the checks panel's new check after a post (the check and the list's
// update alone, and with the post and the repaint), typing into the filter (also with the
// choice "Zu prüfen": every hundredth row has a translation to review), replacing all and
// undoing it. Each step includes the repaint that follows it, and the check that the step's
// changes ask for.
//
//   parlix_gui_bench [RECORDS] [RUNS]     (defaults: 100000 records, 5 runs)
//
// Prints the fastest and the median run of each step next to its target.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unordered_map>
#include <vector>

#include "bench/translation_tables.h"
#include "check/checks_panel.h"
#include "editor/checks_wiring.h"
#include "editor/edit_commands.h"
#include "editor/main_window.h"
#include "editor/program.h"
#include "generator/build_form.h"
#include "project/data_module.h"
#include "project/project_files.h"
#include "review/source_memory.h"
#include "review/sources_file.h"
#include "search/filter_bar.h"
#include "search/find_dialog.h"
#include "table/ptf_format.h"
#include "test_support.h"
#include "ui/scripted_dialogs.h"

using namespace parlix;

namespace {

// Writes a project with `records` generated records to `folder` and returns its path.
std::string WriteProject(const parlix::testing::TempDir& folder, int records) {
    PtfTable project;
    DefineProjectFields(project);
    project.CreateTable();
    project.Edit();
    project.FieldByName(project_field::kSourceFile).SetAsString("uTexte.pas");
    project.FieldByName(project_field::kLanguage1).SetAsString("Deutsch");
    project.FieldByName(project_field::kLanguage2).SetAsString("English");
    project.FieldByName(project_field::kBackups).SetAsInteger(2);
    project.FieldByName(project_field::kUses).SetAsString("Forms, Dialogs");
    SetIdentityFields(project);
    project.Post();
    const std::string path = folder.File("Bench.ppr");
    SavePtfFile(path, '"', project);

    PtfTable translations;
    DefineTranslationFields(translations);
    RenameLanguageFields(translations, "Deutsch", "English");
    translations.CreateTable();
    bench::FillTranslationTable(translations, records);
    SavePtfFile(TranslationsFileNameFor(path), '"', translations);
    review::SourceMemory marks(translations);
    std::unordered_map<RecordId, review::Mark> marked;
    for (int row = 0; row < records; row += 100) {
        marked.emplace(translations.IdAt(row), review::Mark{"der Text vorher"});
    }
    marks.Reset(std::move(marked));
    review::SaveMarks(review::SourcesFileNameFor(path), translations, marks);
    return path;
}

struct Step {
    const char* name;
    double targetMs;
    std::function<void()> run;
    std::vector<double> milliseconds;
};

}  // namespace

int main(int argc, char** argv) {
    const int records = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    ParlixApplication application(argc, argv);

    parlix::testing::TempDir folder;
    const QString project = QString::fromStdString(WriteProject(folder, records));
    parlix::testing::ScriptedDialogs dialogs;
    Program program(dialogs);
    TfmMain& main = program.fmMain();
    main.show();
    QApplication::processEvents();

    int column = 3;
    // Typing "Kunde" letter by letter, then clearing the filter: six keystrokes a run.
    const QString typed = QStringLiteral("Kunde");
    int keystroke = 0;
    auto typeIntoFilter = [&] {
        QLineEdit& filter = *main.Edit->Filter->edFilter;
        const int length = keystroke++ % (typed.size() + 1);
        filter.setText(length == typed.size() ? QString() : typed.left(length + 1));
    };
    PtfTable& table = program.dm1().cdsTranslations;
    ChecksPanel& checks = *main.Checks->Panel;
    bool emptied = false;
    std::vector<Step> steps = {
        {"open", 1000, [&] { main.aOpenProjectAccept(project); }, {}},
        {"order by a title click",
         300,
         [&] {
             column = column == 3 ? 4 : 3;  // another column each time, so that rows move
             main.dbgTranslationsTitleClick(column);
         },
         {}},
        {"check and list", 100, [&] { checks.Refresh(); }, {}},
        // The post and the grid's repaint take about a tenth of it.
        {"post, check, list",
         120,
         [&] {
             // A text emptied and filled again, so that the findings change each time.
             emptied = !emptied;
             table.MoveTo(records / 2);
             table.Edit();
             table.Field(translation_field::LanguageColumn(2))
                 .SetAsString(emptied ? "" : "Changed text");
             table.Post();
         },
         {}},
        {"save",
         500,
         [&] {
             main.aSave->setEnabled(true);
             main.aSave->trigger();
         },
         {}},
        {"build",
         500,
         [&] {
             dialogs.modalScripts.push_back(
                 [](QDialog& dialog) { static_cast<TfmBuild&>(dialog).btOK->click(); });
             main.aBuild->trigger();
         },
         {}},
    };
    for (int i = 0; i <= typed.size(); ++i) {
        steps.push_back({"filter: one keystroke", 100, typeIntoFilter, {}});
    }
    FilterBar& filter = *main.Edit->Filter;
    steps.push_back(
        {"filter: \"Zu prüfen\"", 100, [&] { filter.SetChoice(FilterBar::ShowToReview); }, {}});
    for (int i = 0; i <= typed.size(); ++i) {
        steps.push_back({"... and one keystroke", 100, typeIntoFilter, {}});
    }
    steps.push_back({"filter: \"Alle\"", 100, [&] { filter.SetChoice(FilterBar::ShowAll); }, {}});
    steps.push_back({"replace all",
                     500,
                     [&] {
                         main.Edit->aFindReplace->trigger();
                         TfmFindReplace& find = *main.Edit->FindReplace();
                         find.leFind->setText(QStringLiteral("e"));
                         find.leReplace->setText(QStringLiteral("E"));
                         find.rbLanguageColumns->setChecked(true);
                         find.cbMatchCase->setChecked(true);
                         find.ReplaceAll();
                         find.close();
                         dialogs.shown.clear();  // "n Ersetzungen"
                     },
                     {}});
    steps.push_back({"undo replace all", 500, [&] { main.Edit->aUndo->trigger(); }, {}});

    for (int run = 0; run < runs; ++run) {
        for (Step& step : steps) {
            QElapsedTimer timer;
            timer.start();
            step.run();
            QApplication::processEvents();  // the repaint belongs to the step
            step.milliseconds.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    }

    bool correct = table.RecordCount() == records && dialogs.unexpected.isEmpty() &&
                   dialogs.shown.empty() && !checks.RefreshPending() &&
                   checks.Result().records == records;
    std::printf("%d records, %d runs\n", records, runs);
    // The keystrokes are one step of many samples.
    for (std::size_t i = 0; i < steps.size(); ++i) {
        for (std::size_t j = i + 1; j < steps.size();) {
            if (std::string(steps[j].name) == steps[i].name) {
                steps[i].milliseconds.insert(steps[i].milliseconds.end(),
                                             steps[j].milliseconds.begin(),
                                             steps[j].milliseconds.end());
                steps.erase(steps.begin() + static_cast<std::ptrdiff_t>(j));
            } else {
                ++j;
            }
        }
    }
    for (Step& step : steps) {
        std::sort(step.milliseconds.begin(), step.milliseconds.end());
        const double median = step.milliseconds[step.milliseconds.size() / 2];
        std::printf("  %-24s fastest %8.1f ms   median %8.1f ms   target %6.0f ms%s\n", step.name,
                    step.milliseconds.front(), median, step.targetMs,
                    median <= step.targetMs ? "" : "   (over)");
    }
    if (!correct) {
        std::printf("the steps did not run as expected: %s\n",
                    qPrintable(dialogs.unexpected.join(" | ") + dialogs.Texts().join(" | ")));
        return 1;
    }
    return 0;
}
