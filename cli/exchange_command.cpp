#include "cli/exchange_command.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string_view>

#include "cli/command_line.h"
#include "cli/read_project.h"
#include "exchange/exchange.h"
#include "project/project_files.h"
#include "table/cp1252.h"
#include "table/errors.h"
#include "table/file_io.h"
#include "table/ptf_format.h"

namespace parlix::build_tool {

const char* const kExchangeUsage =
    "Aufruf: parlix-build --export DATEI.xlf|DATEI.csv [--languages CODE1,CODE2]\n"
    "                     [--delimiter ,|;] [--untranslated] PROJEKT.ppr\n"
    "        parlix-build --import DATEI.xlf|DATEI.csv [--languages CODE1,CODE2]\n"
    "                     [--delimiter ,|;] [--dry-run] PROJEKT.ppr";

const char* const kExchangeHelp =
    "\n"
    "Austausch mit Übersetzern: --export schreibt die Übersetzungstabelle als XLIFF 1.2\n"
    "(.xlf, .xliff) oder CSV (.csv, UTF-8 mit BOM, alle Spalten); Quelle ist Sprache 1,\n"
    "Ziel Sprache 2. --import übernimmt aus einer solchen Datei nur die Spalte von Sprache 2\n"
    "und speichert die Tabelle mit nummerierten Backups wie \"Speichern\". Einheiten werden\n"
    "über die id (XLIFF) bzw. StringName oder, ohne Namen, Property (CSV) zugeordnet;\n"
    "unbekannte werden gemeldet und nie hinzugefügt. Texte mit Zeichen außerhalb von\n"
    "Windows-1252 werden abgelehnt: dann wird nichts geschrieben.\n"
    "\n"
    "  --languages CODE1,CODE2  BCP-47-Codes der Sprachen 1 und 2 (z. B. de,en); ohne die\n"
    "                           Option aus den Sprachnamen des Projekts geraten\n"
    "  --delimiter , oder ;     Trennzeichen der CSV-Datei (Export: Komma; Import: wie in\n"
    "                           der Kopfzeile)\n"
    "  --untranslated           nur Zeilen ohne Text in Sprache 2 und zu prüfende exportieren\n"
    "  --dry-run                den Import nur melden, nichts schreiben\n"
    "\n"
    "Der Import meldet auf der Standardausgabe eine Zeile mit den Zahlen der neuen,\n"
    "geänderten, unveränderten, unbekannten, abgelehnten und unübersetzten Einheiten und der\n"
    "Entwürfe, die zu prüfen bleiben. Ziele, die die Datei als unübersetzt markiert (XLIFF:\n"
    "state), werden nicht übernommen; Entwürfe (XLIFF: approved=\"no\", state=\"needs-l10n\"\n"
    "u. a., CSV: ein x in der Spalte Review) werden übernommen, und ihre Zeilen bleiben zu\n"
    "prüfen (PROJEKT_sources.ptf). Jede nicht übernommene Einheit und jeder Entwurf steht als\n"
    "DATEI:ZEILE: warning: (unbekannt, unübersetzt, Entwurf) bzw. error: (abgelehnt) auf der\n"
    "Standardfehlerausgabe. Der Export gibt zu prüfenden Übersetzungen in XLIFF den state\n"
    "\"needs-review-translation\" und den früheren Quelltext als <note>, in CSV ein x in der\n"
    "sechsten Spalte Review. Exit-Status: 0 bei Erfolg, 1 bei einem Fehler (dann bleibt die\n"
    "Tabelle unverändert), 2 bei falschem Aufruf.\n";

namespace {

struct ExchangeCall {
    bool import = false;
    std::string file;
    std::optional<std::pair<std::string, std::string>> codes;
    char delimiter = 0;
    bool untranslated = false;
    bool dryRun = false;
    std::string project;
};

constexpr OptionSpec kOptions[] = {
    {"--export", true},    {"--import", true}, {"--languages", true},
    {"--delimiter", true}, {"--untranslated"}, {"--dry-run"},
};

// The call's options; throws UsageError for a wrong one. Empty for a call that asks for help.
std::optional<ExchangeCall> ReadExchangeCall(const std::vector<std::string>& args) {
    ExchangeCall call;
    bool fileSeen = false;
    const Call read =
        ReadCall(args, kOptions, [&](std::string_view name, const std::string& value) {
            if (name == "--export" || name == "--import") {
                if (fileSeen) {
                    throw UsageError{"--export und --import sind zusammen nur einmal erlaubt"};
                }
                call.import = name == "--import";
                call.file = value;
                fileSeen = true;
            } else if (name == "--languages") {
                const std::size_t comma = value.find(',');
                call.codes = {value.substr(0, comma),
                              comma == std::string::npos ? "" : value.substr(comma + 1)};
                if (!exchange::IsLanguageCode(call.codes->first) ||
                    !exchange::IsLanguageCode(call.codes->second)) {
                    throw UsageError{"--languages erwartet zwei BCP-47-Codes wie de,en, nicht \"" +
                                     value + "\""};
                }
            } else if (name == "--delimiter") {
                if (value != "," && value != ";" && value != "comma" && value != "semicolon") {
                    throw UsageError{"--delimiter erwartet , oder ;, nicht \"" + value + "\""};
                }
                call.delimiter = value == "," || value == "comma" ? ',' : ';';
            } else if (name == "--untranslated") {
                call.untranslated = true;
            } else if (name == "--dry-run") {
                call.dryRun = true;
            }
        });
    if (read.help) {
        return std::nullopt;
    }
    call.project = read.project;
    if (!exchange::FormatForFile(call.file)) {
        throw UsageError{"\"" + call.file + "\" ist weder .xlf, .xliff noch .csv"};
    }
    if (call.untranslated && call.import) {
        throw UsageError{"--untranslated gilt nur für --export"};
    }
    if (call.dryRun && !call.import) {
        throw UsageError{"--dry-run gilt nur für --import"};
    }
    return call;
}

// The codes of the call, or those guessed from the project's language names.
std::pair<std::string, std::string> Codes(const ExchangeCall& call, const ProjectState& state) {
    if (call.codes) {
        return *call.codes;
    }
    return {exchange::GuessLanguageCode(state.LanguageNames[1]),
            exchange::GuessLanguageCode(state.LanguageNames[2])};
}

void Export(const ExchangeCall& call, const ProjectState& state, PtfTable& translations,
            const review::SourceMemory& marks) {
    const exchange::Format format = *exchange::FormatForFile(call.file);
    exchange::ExportOptions options;
    std::tie(options.sourceCode, options.targetCode) = Codes(call, state);
    if (format == exchange::Format::Xliff) {
        for (int language : {1, 2}) {
            const std::string& code = language == 1 ? options.sourceCode : options.targetCode;
            if (code.empty()) {
                throw FaultError(Fault::In(
                    state.ProjectFileName,
                    "kein Sprachcode für \"" +
                        Cp1252ToUtf8(state.LanguageNames[static_cast<std::size_t>(language)]) +
                        "\" bekannt; bitte mit --languages angeben"));
            }
        }
    }
    options.onlyUntranslated = call.untranslated;
    options.csvDelimiter = call.delimiter == 0 ? ',' : call.delimiter;
    options.original = std::string(ExtractFileName(state.TranslationsFileName));
    options.marks = &marks;
    exchange::ExportFile(call.file, format, translations, options);
}

int Import(const ExchangeCall& call, const ProjectState& state, PtfTable& translations,
           review::SourceMemory& marks, std::ostream& out, std::ostream& err) {
    exchange::ImportOptions options;
    options.targetCode = Codes(call, state).second;
    options.original = std::string(ExtractFileName(state.TranslationsFileName));
    options.csvDelimiter = call.delimiter;
    const exchange::ImportPlan plan = exchange::PlanImport(call.file, translations, options);
    if (plan.fault) {
        throw FaultError(*plan.fault);
    }
    for (const exchange::ImportUnit& unit : plan.unknown) {
        err << plan.file << ':' << unit.line << ": warning: unbekannte Einheit \"" << unit.key
            << "\" (nicht übernommen)\n";
    }
    for (const exchange::HeldBackUnit& unit : plan.heldBack) {
        err << plan.file << ':' << unit.line << ": warning: Einheit \"" << unit.key
            << "\" nicht übernommen: unübersetzt (" << unit.markedAs << ")\n";
    }
    auto draft = [&plan, &err](const exchange::ImportUnit& unit) {
        if (!unit.draft.empty()) {
            err << plan.file << ':' << unit.line << ": warning: Einheit \"" << unit.key
                << "\" als Entwurf übernommen, zu prüfen (" << unit.draft << ")\n";
        }
    };
    std::for_each(plan.changes.begin(), plan.changes.end(), draft);
    std::for_each(plan.unchanged.begin(), plan.unchanged.end(), draft);
    for (const exchange::RefusedUnit& unit : plan.refused) {
        err << plan.file << ':' << unit.line << ": error: Einheit \"" << unit.key
            << "\" abgelehnt: " << unit.detail << '\n';
    }
    out << plan.NewCount() << " neu, " << plan.ChangedCount() << " geändert, "
        << plan.unchanged.size() << " unverändert, " << plan.unknown.size() << " unbekannt, "
        << plan.refused.size() << " abgelehnt, " << plan.UntranslatedCount() << " unübersetzt, "
        << plan.DraftCount() << " zu prüfen\n";
    if (!plan.refused.empty()) {
        err << "parlix-build: " << state.TranslationsFileName
            << ": nicht geschrieben, weil Einheiten abgelehnt wurden\n";
        return kFailure;
    }
    if (call.dryRun || !plan.HasChanges()) {
        return kSuccess;  // nothing to write: the file stays as it is, without new backups
    }
    exchange::ApplyImportPlan(plan, translations, &marks);
    SaveTranslations(state, translations, marks);
    return kSuccess;
}

}  // namespace

bool IsExchangeCall(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") {
            return false;
        }
        for (std::string_view name : {"--export", "--import"}) {
            if (arg.compare(0, name.size(), name) == 0 &&
                (arg.size() == name.size() || arg[name.size()] == '=')) {
                return true;
            }
        }
    }
    return false;
}

int RunExchange(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<ExchangeCall> call;
    try {
        call = ReadExchangeCall(args);
    } catch (const UsageError& wrong) {
        err << "parlix-build: " << wrong.problem << '\n' << kExchangeUsage << '\n';
        return kWrongUsage;
    }
    if (!call) {
        out << kExchangeUsage << '\n' << kExchangeHelp;
        return kSuccess;
    }
    const std::string* working = &call->project;  // the file a lack of memory is reported for
    try {
        ProjectState state;
        PtfTable translations;
        ReadProject(call->project, state, translations);
        review::SourceMemory marks(translations);
        ReadMarks(state, translations, marks, err);
        working = &call->file;
        if (!call->import) {
            Export(*call, state, translations, marks);
            return kSuccess;
        }
        const int status = Import(*call, state, translations, marks, out, err);
        out.flush();
        return status;
    } catch (const std::bad_alloc&) {
        err << "parlix-build: " << *working << ": nicht genug Arbeitsspeicher\n";
    } catch (...) {
        ReportFailure(err, std::current_exception());
    }
    return kFailure;
}

}  // namespace parlix::build_tool
