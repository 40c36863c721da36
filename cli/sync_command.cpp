#include "cli/sync_command.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "cli/command_line.h"
#include "cli/read_project.h"
#include "formsync/form_sync.h"
#include "project/project_files.h"
#include "table/cp1252.h"
#include "table/errors.h"
#include "table/ptf_format.h"

namespace parlix::build_tool {

const char* const kSyncUsage =
    "Aufruf: parlix-build --sync-forms [--dry-run] [--forms PFAD]... PROJEKT.ppr";

const char* const kSyncHelp =
    "\n"
    "Gleicht die Übersetzungstabelle mit den Formularen der Anwendung ab: zu jeder Unit des\n"
    "Uses-Abschnitts <Unit>.lfm oder <Unit>.dfm neben der Quelltext-Unit oder der\n"
    "Projektdatei. Die Formulare geben die Texte von Sprache 1 vor: ein Text, dessen Pfad\n"
    "keine Zeile zuweist, bekommt eine neue Zeile; weicht Sprache 1 einer Zeile vom Text im\n"
    "Formular ab, übernimmt sie ihn. Zeilen, deren Komponente im Formular fehlt, werden\n"
    "gemeldet, aber nie gelöscht. Texte, die die Tabelle nicht fassen kann (Zeichen\n"
    "außerhalb von Windows-1252, Zeilenumbrüche), werden gemeldet und ausgelassen. Die\n"
    "Tabelle wird nur geschrieben, wenn sich etwas ändert, mit nummerierten Backups wie\n"
    "bei \"Speichern\".\n"
    "\n"
    "  --forms PFAD     weitere Formulardatei oder ein Ordner mit Formularen (auch in\n"
    "                   Unterordnern); mehrfach möglich\n"
    "  --dry-run        nur melden, nichts schreiben\n"
    "\n"
    "Auf der Standardausgabe steht eine Zeile mit den Zahlen der neuen, geänderten,\n"
    "unveränderten, verschwundenen und abgelehnten Texte; jeder neue und geänderte Text steht\n"
    "als DATEI:ZEILE: note: (Ort im Formular), jeder verschwundene Pfad (Zeile der Tabelle)\n"
    "und jeder abgelehnte Text als DATEI:ZEILE: warning: auf der Standardfehlerausgabe.\n"
    "Exit-Status: 0 bei Erfolg, 1 bei einem Fehler (dann bleibt die Tabelle unverändert;\n"
    "auch wenn kein Formular gefunden wird), 2 bei falschem Aufruf.\n";

namespace {

struct SyncCall {
    bool dryRun = false;
    std::vector<std::string> forms;
    std::string project;
};

constexpr OptionSpec kOptions[] = {{"--sync-forms"}, {"--dry-run"}, {"--forms", true}};

// The call's options; throws UsageError for a wrong one. Empty for a call that asks for help.
std::optional<SyncCall> ReadSyncCall(const std::vector<std::string>& args) {
    SyncCall call;
    const Call read =
        ReadCall(args, kOptions, [&](std::string_view name, const std::string& value) {
            if (name == "--dry-run") {
                call.dryRun = true;
            } else if (name == "--forms") {
                if (value.empty()) {
                    throw UsageError{"--forms braucht einen Pfad"};
                }
                call.forms.push_back(value);
            }
        });
    if (read.help) {
        return std::nullopt;
    }
    call.project = read.project;
    return call;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string Quoted1252(std::string_view bytes) {
    return Quoted(Cp1252ToUtf8(bytes));
}

// "file:line: severity: " or, for a binary form, "file: Byte N: severity: ".
std::string Where(const formsync::FormSpot& spot, const char* severity) {
    return spot.Text() + ": " + severity + ": ";
}

void List(const formsync::SyncPlan& plan, const ProjectState& state, std::ostream& err) {
    for (const formsync::NewRow& row : plan.added) {
        err << Where(row.spot, "note") << "neu: " << Cp1252ToUtf8(row.path) << " = "
            << Quoted1252(row.text) << '\n';
    }
    for (const formsync::ChangedText& change : plan.changed) {
        err << Where(change.spot, "note") << "geändert: " << Cp1252ToUtf8(change.path) << ": "
            << Quoted1252(change.before.value_or("")) << " -> " << Quoted1252(change.after) << '\n';
    }
    for (const formsync::VanishedPath& gone : plan.vanished) {
        err << state.TranslationsFileName << ':' << gone.row + kPtfFirstRecordLine
            << ": warning: verschwunden: " << Cp1252ToUtf8(gone.path) << ": " << gone.form
            << " hat keine Komponente " << Quoted(gone.missing) << " (nicht gelöscht)\n";
    }
    for (const formsync::RefusedText& refused : plan.refused) {
        err << Where(refused.spot, "warning") << "abgelehnt: " << refused.path << ": "
            << refused.reason << '\n';
    }
}

int Sync(const SyncCall& call, std::ostream& out, std::ostream& err) {
    ProjectState state;
    PtfTable translations;
    ReadProject(call.project, state, translations);
    // A language 1 text the forms change under its translation marks the row for review.
    review::SourceMemory marks(translations);
    ReadMarks(state, translations, marks, err);
    const forms::ProjectForms forms(formsync::FormsSourceOf(state, call.forms));
    for (const Fault& fault : forms.Faults()) {
        // A form named on the command line that is not there is a mistake of the call.
        if (fault.line == 0 && fault.offset < 0 &&
            std::find(call.forms.begin(), call.forms.end(), fault.file) != call.forms.end()) {
            throw FaultError(fault);
        }
        err << "parlix-build: " << fault.Text() << " (Formular übergangen)\n";
    }
    if (!forms.Found()) {
        throw FaultError(
            Fault::In(call.project,
                      "kein Formular gefunden (gesucht: zu jeder Unit des Uses-Abschnitts "
                      "\"" +
                          Cp1252ToUtf8(state.UsesList) +
                          "\" <Unit>.lfm oder <Unit>.dfm neben der Quelltext-Unit und der "
                          "Projektdatei, und in --forms)"));
    }
    const formsync::SyncPlan plan = formsync::PlanFormSync(forms, translations);
    List(plan, state, err);
    out << plan.added.size() << " neu, " << plan.changed.size() << " geändert, " << plan.unchanged
        << " unverändert, " << plan.vanished.size() << " verschwunden, " << plan.refused.size()
        << " abgelehnt\n";
    out.flush();
    if (call.dryRun || !plan.HasChanges()) {
        return kSuccess;  // nothing to write: the file stays as it is, without new backups
    }
    formsync::ApplyFormSync(plan, translations);
    SaveTranslations(state, translations, marks);
    return kSuccess;
}

}  // namespace

bool IsSyncCall(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        if (arg == "--sync-forms") {
            return true;
        }
    }
    return false;
}

int RunSync(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<SyncCall> call;
    try {
        call = ReadSyncCall(args);
    } catch (const UsageError& wrong) {
        err << "parlix-build: " << wrong.problem << '\n' << kSyncUsage << '\n';
        return kWrongUsage;
    }
    if (!call) {
        out << kSyncUsage << '\n' << kSyncHelp;
        return kSuccess;
    }
    try {
        return Sync(*call, out, err);
    } catch (...) {
        ReportFailure(err, std::current_exception());
    }
    return kFailure;
}

}  // namespace parlix::build_tool
