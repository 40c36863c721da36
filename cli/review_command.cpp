#include "cli/review_command.h"

#include "cli/command_line.h"
#include "cli/read_project.h"
#include "review/consistency.h"
#include "review/source_memory.h"

namespace parlix::build_tool {

const char* const kFillUsage = "Aufruf: parlix-build --fill-from-table [--dry-run] PROJEKT.ppr";

const char* const kFillHelp =
    "\n"
    "Übersetzungen aus der Tabelle: --fill-from-table gibt jeder Zeile ohne Text in Sprache 2,\n"
    "deren Text in Sprache 1 anderswo in der Tabelle übersetzt ist, diese Übersetzung (die\n"
    "häufigste) und speichert die Tabelle mit nummerierten Backups wie \"Speichern\".\n"
    "Übersetzungen, die zu prüfen sind, dienen nicht als Vorbild.\n"
    "\n"
    "  --dry-run                nur zählen, nichts schreiben\n"
    "\n"
    "Auf der Standardausgabe steht eine Zeile mit der Zahl der übernommenen Übersetzungen.\n"
    "Exit-Status: 0 bei Erfolg, 1 bei einem Fehler (dann bleibt die Tabelle unverändert),\n"
    "2 bei falschem Aufruf.\n";

namespace {

constexpr OptionSpec kOptions[] = {{"--fill-from-table"}, {"--dry-run"}};

}  // namespace

bool IsFillCall(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        if (arg == "--fill-from-table") {
            return true;
        }
    }
    return false;
}

int RunFill(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool dryRun = false;
    Call call;
    try {
        call = ReadCall(args, kOptions, [&dryRun](std::string_view name, const std::string&) {
            dryRun = dryRun || name == "--dry-run";
        });
    } catch (const UsageError& wrong) {
        err << "parlix-build: " << wrong.problem << '\n' << kFillUsage << '\n';
        return kWrongUsage;
    }
    if (call.help) {
        out << kFillUsage << '\n' << kFillHelp;
        return kSuccess;
    }
    try {
        ProjectState state;
        PtfTable translations;
        ReadProject(call.project, state, translations);
        review::SourceMemory marks(translations);
        ReadMarks(state, translations, marks, err);
        const review::FillPlan plan = review::PlanFill(translations, &marks);
        if (!dryRun && plan.Count() > 0) {
            translations.ApplyChanges(plan.changes);
            SaveTranslations(state, translations, marks);
        }
        out << plan.Count() << (plan.Count() == 1 ? " Übersetzung" : " Übersetzungen")
            << (dryRun ? " zu übernehmen\n" : " übernommen\n");
        return kSuccess;
    } catch (...) {
        ReportFailure(err, std::current_exception());
    }
    return kFailure;
}

}  // namespace parlix::build_tool
