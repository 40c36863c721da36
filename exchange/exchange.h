// Exchange with translators: the translation table handed out as XLIFF 1.2 or CSV, and taken
// back from such a file.
//
// Export reads the table in its current order and writes one unit per row. Import is two steps:
// PlanImport reads a file and works out what it would change without touching the table;
// ApplyImportPlan then writes the planned values into the target language's column and nowhere
// else. A damaged file yields a plan with a fault, which cannot be applied.
//
// XLIFF takes only finished translations: a unit without target text, or one the file marks
// as untranslated or as a draft, is listed and changes nothing, so XLIFF never clears a text.
// A null target is written as no <target>, an empty one as an empty <target>. CSV keeps null
// and empty apart (a null is an empty field, an empty text is ""); a file that has lost the
// difference (a spreadsheet saved it) changes nothing by it: a file value without text on a
// row without text counts as unchanged, whichever of the two each is.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "table/errors.h"
#include "table/ptf_table.h"

namespace parlix::exchange {

enum class Format { Xliff, Csv };

// The format a file name asks for: ".xlf" or ".xliff" is XLIFF, ".csv" is CSV (without regard
// to case); nothing otherwise.
std::optional<Format> FormatForFile(std::string_view path);

// The BCP 47 code of a common language name in Windows-1252 ("Deutsch", "German", "Français",
// "Englisch (USA)", or a code itself such as "pt-BR"); empty when the name is not known.
std::string GuessLanguageCode(std::string_view languageName);

// Whether a text is a well-formed BCP 47 tag: subtags of letters and digits joined by "-", the
// first of two or three letters (or "x" or "i" for a private or irregular tag).
bool IsLanguageCode(std::string_view code);

// ---------------------------------------------------------------------------------------------
// Export

// Language 1 of the project is the source language, language 2 the target. The CSV columns
// are titled with the table's column names, the two languages' names among them.
struct ExportOptions {
    // BCP 47 tags such as "de" or "en-US" for XLIFF's source-language and target-language.
    std::string sourceCode;
    std::string targetCode;
    bool onlyUntranslated = false;  // only rows whose target text is null or empty
    char csvDelimiter = ',';        // ',' or ';' (what German spreadsheets expect)
    // XLIFF's <file original="...">: the translation table's file name without its folder
    // (UTF-8). An import refuses an XLIFF file made from a table of another name.
    std::string original;
};

// Writes the table (active, not being edited; the translation table's five columns) in its
// current order, and returns the number of units written. XLIFF needs both language codes
// well-formed, CSV a comma or semicolon; otherwise, and on a failed stream, throws PtfError.
int ExportXliff(PtfTable& table, const ExportOptions& options, std::ostream& out);
int ExportCsv(PtfTable& table, const ExportOptions& options, std::ostream& out);

// Writes the file in one piece (FileReplacement: a temporary file, flushed, then renamed; a
// file that holds these bytes already is left alone): a failure throws (EFCreateError for the
// file) and leaves an existing file as it was.
int ExportFile(const std::string& path, Format format, PtfTable& table,
               const ExportOptions& options);

// ---------------------------------------------------------------------------------------------
// Import

// A CSV file's header row must name the table's columns.
struct ImportOptions {
    // Checked against an XLIFF file's target-language (the primary subtags must agree); empty:
    // not checked.
    std::string targetCode;
    std::string original;   // as for export; empty: not checked
    char csvDelimiter = 0;  // ',' or ';'; 0 takes the one the header row uses
    std::uint64_t maxFileBytes = std::uint64_t{1} << 30;  // larger files are refused
};

// A unit of the file: its key as the file names it (UTF-8: the XLIFF id, or the CSV record's
// StringName, or its Property when the name is empty), the line where it starts and the row
// it matches (in the table's order when the plan was made; -1 for none).
struct ImportUnit {
    std::string key;
    int line = 0;
    int row = -1;
};

// A matched unit whose text differs from its row's: the target language's value after the
// import (Windows-1252; nothing for null), and a stamp of the row's value when the plan was
// made, by which ApplyImportPlan sees that the row still holds it (a plan keeps no copy of
// the texts it replaces). `isNew` when the row had no text before (null or empty).
struct ImportChange : ImportUnit {
    bool isNew = false;
    std::uint64_t beforeStamp = 0;
    std::optional<std::string> after;
};

enum class Refusal {
    Characters,  // characters that Windows-1252 cannot hold
    LineBreak,   // a line break, which a value of the table cannot hold
    TooLong,     // more bytes than the target column holds
    Markup,      // placeholders or other inline markup inside the XLIFF target
    Converted,   // a CSV record's Type, Property or language 1 differs from its row's: a
                 // spreadsheet converted the file (a number, a date, a formula)
};

// A matched unit whose text cannot go into the table; `detail` (UTF-8) names the characters
// ("→ (U+2192)"), the length and the limit, or the column that differs.
struct RefusedUnit : ImportUnit {
    Refusal reason = Refusal::Characters;
    std::string detail;
};

// How a file marks the target it offers for a unit. Only finished targets are taken.
enum class TargetMark {
    Finished,
    Untranslated,  // no target text, or XLIFF's state "new" or "needs-translation" (often a
                   // copy of the source)
    Draft,         // a translation marked unfinished: the unit approved="no", or the state
                   // "needs-l10n", "needs-adaptation" or "needs-review-..."
};

// A matched unit whose target is no finished translation: listed, not taken. `markedAs`
// (UTF-8) tells how the file marks it, such as state="needs-translation" or "kein <target>".
struct HeldBackUnit : ImportUnit {
    TargetMark mark = TargetMark::Untranslated;
    std::string markedAs;
};

// Why a file cannot be imported at all: the file, the line (0 when the fault concerns no single
// line) and the message (UTF-8, German, for the user).
using ImportFault = Fault;

struct ImportPlan {
    std::string file;
    Format format = Format::Xliff;
    int targetColumn = -1;             // the only column ApplyImportPlan writes (language 2)
    int tableRows = 0;                 // the table's record count when the plan was made
    std::optional<ImportFault> fault;  // set: nothing may be applied, and the lists are empty

    std::vector<ImportChange> changes;  // new and changed units, in the file's order
    std::vector<ImportUnit> unchanged;  // matched units with the row's text
    std::vector<ImportUnit> unknown;    // units that match no row: listed, never added
    // A unit whose row a unit of an earlier XLIFF <file> matched takes its place in the lists
    // (translate-toolkit's po2xliff -t appends its units after the template's); so does an
    // unknown key that an earlier <file> names too.
    std::vector<RefusedUnit> refused;
    std::vector<HeldBackUnit> heldBack;  // untranslated and draft targets: listed, not taken

    int NewCount() const;
    int ChangedCount() const;
    int UntranslatedCount() const;
    int DraftCount() const;
    bool HasChanges() const { return !fault && !changes.empty(); }
};

// Reads the file in the format its name asks for (see FormatForFile; otherwise the plan has a
// fault) and plans the import into `table` (active, not being edited; it is only read). Throws
// EFOpenError when the file cannot be read.
ImportPlan PlanImport(const std::string& path, PtfTable& table, const ImportOptions& options);

// The same for a file's bytes in a given format; `fileName` names the file in the fault.
ImportPlan PlanImportBytes(std::string_view bytes, Format format, const std::string& fileName,
                           PtfTable& table, const ImportOptions& options);

// Writes the plan's changes into the target column through Edit, the field and Post (so that
// AfterPost runs once per changed row), with the table's views told once at the end. The
// table must be as it was planned, in the same order; the cursor stays on its row number.
// Throws PtfError, before changing anything, when the plan has a fault or no longer fits the
// table. Returns the number of rows written.
int ApplyImportPlan(const ImportPlan& plan, PtfTable& table);

}  // namespace parlix::exchange
