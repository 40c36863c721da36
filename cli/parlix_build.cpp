#include "cli/parlix_build.h"

#include <optional>
#include <string_view>

#include "cli/check_command.h"
#include "cli/exchange_command.h"
#include "cli/read_project.h"
#include "cli/review_command.h"
#include "cli/sync_command.h"
#include "forms/project_forms.h"
#include "formsync/form_sync.h"
#include "generator/unit_file.h"
#include "generator/unit_generator.h"
#include "project/project_files.h"
#include "table/errors.h"
#include "table/ptf_table.h"

namespace parlix::build_tool {

const char* const kUsage =
    "Aufruf: parlix-build [--check] [--strict] [--define 1|2] [--encoding utf8|cp1252]\n"
    "                    [--output DATEI] [--forms PFAD]... PROJEKT.ppr";

namespace {

constexpr const char* kHelp =
    "\n"
    "Erzeugt die übersetzte Unit eines Parlix-Projekts aus seiner Übersetzungstabelle\n"
    "(PROJEKT_translations.ptf) und schreibt sie über die Quelltext-Unit des Projekts,\n"
    "nachdem die alte Unit in nummerierten Backups gesichert wurde.\n"
    "\n"
    "  --define 1|2     die Unit definiert Sprache 1 oder 2 selbst\n"
    "  --encoding utf8|cp1252\n"
    "                   der Zeichensatz der Unit: UTF-8 mit Byte-Order-Mark (Lazarus,\n"
    "                   Delphi ab 2009) oder Windows-1252 (Delphi bis 2007); ohne die\n"
    "                   Option UTF-8, wenn die Formulare des Projekts Lazarus-Formulare\n"
    "                   (.lfm) sind, sonst der Zeichensatz der Unit, die ersetzt wird\n"
    "                   (UTF-8, wenn sie mit einer Byte-Order-Mark beginnt), sonst\n"
    "                   Windows-1252\n"
    "  --output DATEI   die Unit nach DATEI schreiben (mit Backups dieser Datei);\n"
    "                   \"-\" schreibt sie auf die Standardausgabe\n"
    "  --check          nur prüfen: jeden Befund der Übersetzungstabelle als\n"
    "                   \"DATEI:ZEILE: error: ...\" oder \"DATEI:ZEILE: warning: ...\"\n"
    "                   (englisch, für Editoren und CI) und eine Summe ausgeben;\n"
    "                   nichts schreiben\n"
    "  --strict         bei jedem Befund, auch einer Warnung, nichts schreiben und\n"
    "                   mit Exit-Status 1 enden\n"
    "  --forms PFAD     weitere Formulardatei oder ein Ordner mit Formularen für die\n"
    "                   Prüfungen, neben denen zu den Units des Uses-Abschnitts; mehrfach\n"
    "                   möglich\n"
    "  --help           diese Hilfe anzeigen\n"
    "\n"
    "Ohne --check gibt die Erstellung die Befunde auf der Standardfehlerausgabe aus;\n"
    "bei einem Fehler der Prüfungen schreibt sie keine Unit, bei Warnungen nur\n"
    "ohne --strict. Eine Übersetzung, deren Text in Sprache 1 sich seither geändert hat\n"
    "oder die als Entwurf übernommen wurde (PROJEKT_sources.ptf), ist eine Warnung: zu\n"
    "prüfen.\n"
    "\n"
    "Exit-Status: 0 bei Erfolg, 1 bei einem Fehler (dann wird keine Unit geschrieben),\n"
    "auch bei einem Fehler der Prüfungen und mit --strict bei jedem Befund,\n"
    "2 bei falschem Aufruf.\n";

constexpr std::string_view kStandardOutput = "-";

struct Options {
    bool check = false;
    bool strict = false;
    int language = 0;
    std::optional<UnitEncodingChoice> encoding;
    std::optional<std::string> output;
    std::vector<std::string> forms;
    std::string project;
};

constexpr OptionSpec kOptions[] = {{"--check"},          {"--strict"},       {"--define", true},
                                   {"--encoding", true}, {"--output", true}, {"--forms", true}};

// The call's options; throws UsageError for a wrong one. Empty for a call that asks for help.
std::optional<Options> ReadOptions(const std::vector<std::string>& args) {
    Options options;
    bool defineSeen = false;
    const Call call =
        ReadCall(args, kOptions, [&](std::string_view name, const std::string& value) {
            if (name == "--check") {
                options.check = true;
            } else if (name == "--strict") {
                options.strict = true;
            } else if (name == "--define") {
                if (defineSeen) {
                    throw UsageError{"--define ist mehrfach angegeben"};
                }
                if (value != "1" && value != "2") {
                    throw UsageError{"--define erwartet 1 oder 2, nicht \"" + value + "\""};
                }
                options.language = value[0] - '0';
                defineSeen = true;
            } else if (name == "--encoding") {
                if (options.encoding) {
                    throw UsageError{"--encoding ist mehrfach angegeben"};
                }
                if (value == "utf8") {
                    options.encoding = UnitEncodingChoice::Utf8;
                } else if (value == "cp1252") {
                    options.encoding = UnitEncodingChoice::Windows1252;
                } else {
                    throw UsageError{"--encoding erwartet utf8 oder cp1252, nicht \"" + value +
                                     "\""};
                }
            } else if (name == "--forms") {
                if (value.empty()) {
                    throw UsageError{"--forms braucht einen Pfad"};
                }
                options.forms.push_back(value);
            } else if (name == "--output") {
                if (options.output) {
                    throw UsageError{"--output ist mehrfach angegeben"};
                }
                if (value.empty()) {
                    throw UsageError{"--output braucht einen Dateinamen"};
                }
                options.output = value;
            }
        });
    if (call.help) {
        return std::nullopt;
    }
    if (options.check && (options.output || options.encoding)) {
        throw UsageError{std::string("--check schreibt nichts; ") +
                         (options.output ? "--output" : "--encoding") + " passt nicht dazu"};
    }
    options.project = call.project;
    return options;
}

void Build(const Options& options, std::ostream& out, std::ostream& err) {
    ProjectState state;
    PtfTable translations;
    ReadProject(options.project, state, translations);
    review::SourceMemory marks(translations);
    ReadMarks(state, translations, marks, err);
    state.BuildLanguage = options.language;
    CheckBeforeBuild(state, translations, marks, options.strict, err, options.forms);

    // A Lazarus program's strings are UTF-8: so is the unit of a project with Lazarus forms.
    const UnitEncodingChoice encoding = options.encoding.value_or(
        forms::HasLazarusForms(formsync::FormsSourceOf(state, options.forms))
            ? UnitEncodingChoice::Utf8
            : UnitEncodingChoice::AsBefore);
    if (options.output && *options.output == kStandardOutput) {
        // Standard output replaces no unit: Windows-1252 unless asked otherwise.
        GenerateUnit(
            state, translations,
            [&out](std::string_view text) {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
            },
            encoding == UnitEncodingChoice::Utf8 ? UnitEncoding::Utf8 : UnitEncoding::Windows1252);
        out.flush();
        if (!out) {
            throw FaultError(
                Fault::In("Standardausgabe", "die Unit kann nicht geschrieben werden"));
        }
        return;
    }
    // --output cannot be empty, so an empty target means an empty SourceFile.
    const std::string target = options.output ? *options.output : SourceFilePath(state);
    if (target.empty()) {
        throw FaultError(Fault::In(
            options.project, "keine Quelltext-Unit angegeben (das Feld SourceFile ist leer)"));
    }
    std::string backupFailure;
    const auto refuse = [&backupFailure](const EFCreateError& failure) {
        backupFailure = failure.GetFault().Text();
        return false;
    };
    if (GenerateUnitFile(target, state.BackupCount, state, translations, refuse, encoding) ==
        Replacement::Declined) {
        throw FaultError(Fault::In(target,
                                   "Fehler beim Erstellen der Backup-Dateien - Unit nicht "
                                   "geschrieben: " +
                                       backupFailure));
    }
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (IsExchangeCall(args)) {
        return RunExchange(args, out, err);
    }
    if (IsFillCall(args)) {
        return RunFill(args, out, err);
    }
    if (IsSyncCall(args)) {
        return RunSync(args, out, err);
    }
    std::optional<Options> options;
    try {
        options = ReadOptions(args);
    } catch (const UsageError& error) {
        err << "parlix-build: " << error.problem << '\n' << kUsage << '\n';
        return kWrongUsage;
    }
    if (!options) {
        out << kUsage << '\n'
            << kHelp << '\n'
            << kExchangeUsage << '\n'
            << kExchangeHelp << '\n'
            << kFillUsage << '\n'
            << kFillHelp << '\n'
            << kSyncUsage << '\n'
            << kSyncHelp;
        return kSuccess;
    }
    try {
        if (options->check) {
            return RunCheck(options->project, options->strict, out, err, options->forms);
        }
        Build(*options, out, err);
        return kSuccess;
    } catch (...) {
        ReportFailure(err, std::current_exception());
    }
    return kFailure;
}

}  // namespace parlix::build_tool
