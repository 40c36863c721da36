// Speed of the sync with the forms: 1,000 generated forms of 100 texts each, with the unit
// beside every one, against a translation table of 100,000 rows that assign them (some with a
// changed text, some with two paths, some whose component is gone, some of other forms). The
// plan is timed on forms read before (target: less than a second), and once more with the
// forms read from the files as the command line does.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "formsync/form_sync.h"
#include "project/project_files.h"
#include "tests/test_support.h"

namespace parlix::bench {
namespace {

constexpr int kForms = 1000;
constexpr int kTextsPerForm = 100;

// The application: folder app/ with uForm<n>.pas and uForm<n>.lfm, a form of buttons, labels
// and a list box.
class Application {
  public:
    Application() {
        const std::filesystem::path app = dir_.Path() / "app";
        std::filesystem::create_directories(app);
        for (int f = 0; f < kForms; ++f) {
            const std::string name = "Form" + std::to_string(f);
            std::ofstream unit(app / ("u" + name + ".pas"));
            unit << "unit u" << name << ";\ninterface\ntype T" << name
                 << " = class(TForm) end;\nvar\n  frm" << name << ": T" << name
                 << ";\nimplementation\nend.\n";
            std::ofstream form(app / ("u" + name + ".lfm"));
            form << "object " << name << ": T" << name << "\n  Caption = 'Formular " << f << "'\n";
            for (int c = 0; c < kTextsPerForm / 2 - 1; ++c) {
                form << "  object Button" << c << ": TButton\n    Left = " << c
                     << "\n    Caption = 'Knopf " << c << " von " << f << "'\n    Hint = 'Hinweis "
                     << c << "'\n  end\n";
            }
            form << "  object List: TListBox\n    Items.Strings = (\n      'Eintrag'\n    )\n"
                 << "  end\nend\n";
        }
        folder_ = app.string();
    }

    forms::ProjectFormsSource Source() const {
        return {(dir_.Path() / "App.ppr").string(), "", "", {folder_}};
    }

  private:
    parlix::testing::TempDir dir_;
    std::string folder_;
};

const Application& App() {
    static const Application app;
    return app;
}

// A row for every text of every form, 100,000 in all, but for every 100th, which is a row of a
// component that is gone or of a form that is not there instead; every 50th with another
// text, every 100th with a second path.
void FillTable(PtfTable& table) {
    DefineTranslationFields(table);
    table.CreateTable();
    const auto add = [&](const std::string& path, const std::string& text) {
        table.Append();
        table.Field(0).SetAsString("Button");
        table.Field(1).SetAsString(path);
        table.Field(2).SetAsString("");
        table.Field(3).SetAsString(text);
        table.Field(4).SetAsString("Button");
        table.Post();
    };
    int row = 0;
    for (int f = 0; f < kForms; ++f) {
        const std::string form = "frmForm" + std::to_string(f);
        const std::string of = " von " + std::to_string(f);
        std::vector<std::pair<std::string, std::string>> texts = {
            {form + ".Caption", "Formular " + std::to_string(f)},
            {form + ".List.Items.Strings[0]", "Eintrag"}};
        for (int c = 0; c < kTextsPerForm / 2 - 1; ++c) {
            const std::string button = form + ".Button" + std::to_string(c);
            texts.push_back({button + ".Caption", "Knopf " + std::to_string(c) + of});
            texts.push_back({button + ".Hint", "Hinweis " + std::to_string(c)});
        }
        for (auto& [path, text] : texts) {
            if (row % 100 == 99) {
                add(row % 200 == 99 ? form + ".Gone" + std::to_string(row) + ".Caption"
                                    : "frmOther" + std::to_string(row) + ".Caption",
                    "Weg");
            } else {
                add(row % 100 == 1 ? path + ", " + path : path, row % 50 == 0 ? text + "!" : text);
            }
            ++row;
        }
    }
}

void Report(benchmark::State& state, const formsync::SyncPlan& plan, PtfTable& table) {
    state.counters["rows"] = table.RecordCount();
    state.counters["new"] = static_cast<double>(plan.added.size());
    state.counters["changed"] = static_cast<double>(plan.changed.size());
    state.counters["vanished"] = static_cast<double>(plan.vanished.size());
}

void BM_PlanFormSync(benchmark::State& state) {
    const forms::ProjectForms forms(App().Source());
    PtfTable table;
    FillTable(table);
    formsync::SyncPlan plan;
    for (auto _ : state) {
        plan = formsync::PlanFormSync(forms, table);
        benchmark::DoNotOptimize(plan.unchanged);
    }
    Report(state, plan, table);
    state.counters["forms"] = static_cast<double>(forms.Scanned().Forms().size());
}
BENCHMARK(BM_PlanFormSync)->Unit(benchmark::kMillisecond);

void BM_ReadFormsAndPlanFormSync(benchmark::State& state) {
    App();
    PtfTable table;
    FillTable(table);
    formsync::SyncPlan plan;
    for (auto _ : state) {
        const forms::ProjectForms forms(App().Source());
        plan = formsync::PlanFormSync(forms, table);
        benchmark::DoNotOptimize(plan.unchanged);
    }
    Report(state, plan, table);
}
BENCHMARK(BM_ReadFormsAndPlanFormSync)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace parlix::bench
