// The checks of a translation table: what would make the generated unit fail to compile or
// lose a text (errors), and what is most likely a mistake of translation (warnings).
//
// One call walks the table in its current order by random access: the cursor, the state and
// the views bound to the table stay as they are, so that the window can check after every
// post and delete. A record being edited or inserted is checked as it stands in the buffer.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "table/ptf_table.h"

namespace parlix::forms {
class ProjectForms;
}
namespace parlix::review {
class SourceMemory;
}

namespace parlix::check {

enum class Severity {
    Error,    // the unit will not compile, or a text does not reach it
    Warning,  // likely a mistake
};

enum class Rule {
    // Errors
    InvalidConstantName,    // the StringName is no identifier (subject: the name)
    ReservedConstantName,   // the StringName is a reserved word
    ConstantNameTooLong,    // the StringName has more than kMaxIdentifierLength characters
    ProcedureName,          // the StringName is ParlixTranslate, the unit's own procedure
    DuplicateConstantName,  // an earlier record (otherRow) has the same name, ignoring case
    InvalidPropertyPath,    // a property piece is no path (subject: the piece; detail: a
                            // reserved or over-long word in it, if that is the fault)
    HiddenPropertyPath,     // a piece starts with a constant of the unit (otherRow), the
                            // procedure or the unit's name (detail: that first word)
    InvalidLanguageName,    // a language field's name is no conditional symbol (row -1)
    SameLanguageNames,      // both language fields have one name, ignoring case (row -1)
    CompilerLanguageName,   // a language field's name is a symbol a compiler defines (row -1)
    InvalidUnitName,        // the unit name is no unit name (row and column -1; detail: a
                            // reserved or over-long word in it, if that is the fault)
    InvalidUsesEntry,       // an entry of the uses list is no unit name (row and column -1;
                            // subject: the entry, empty for an empty one; detail as above)
    DuplicateUsesEntry,     // the uses list names a unit (subject) a second time
    UsesOwnUnit,            // the uses list names the unit itself (subject)
    UsesImplicitUnit,       // the uses list names System or ObjPas (subject), which every
                            // unit uses already
    ColumnTitle,            // the table file titles this column (subject; empty when it has
                            // no title for it) otherwise than the project names it (detail);
                            // row -1. Values are read by position, so they may be swapped.
    NoSuchComponent,        // a piece (subject) names a scanned form without the component
                            // (detail); place: the form file
    // Warnings
    Untranslated,           // empty in this language (column), not in the other
    NotTranslated,          // the same text, with letters, in both languages
    PlaceholdersDiffer,     // other Format placeholders (subject, detail: those of language
                            // 1 and 2 as written, separated by blanks)
    AcceleratorCount,       // another number of '&' marks (subject, detail: the counts)
    EdgeBlanksDiffer,       // other blanks at the start or end, which the unit drops
    AcceleratorConflict,    // an earlier record (otherRow) marks the same letter (subject)
                            // for the same form (detail) in this language (column)
    DuplicatePropertyPath,  // an earlier record (otherRow) assigns the same path (subject)
    NothingGenerated,       // texts, but neither a constant name nor a property
    UnknownFormVariable,    // a piece's first word (detail) names no scanned form, no unit of
                            // the uses list and nothing these units declare
    FormTextDiffers,        // language 1 differs from the text of a piece (subject) in its form
                            // (detail: that text); place: the form file and line
    SourceChanged,          // the translation was made for another language 1 text (subject;
                            // detail: the text now)
    DraftTranslation,       // the translation was taken over as a draft, not confirmed
    TranslatedDifferently,  // an earlier record (otherRow) translates the same language 1
                            // text otherwise (its translation: CheckResult::Translation)
};

struct Finding {
    Severity severity;
    Rule rule;
    int row;     // in the table's current order; -1 for the project's settings
    int column;  // translation_field: kPropertyColumn, kStringNameColumn, LanguageColumn(k);
                 // -1 for the unit name and the uses list
    int otherRow = -1;
    std::string subject;  // Windows-1252 bytes from the table
    std::string detail;
    std::string place = {};  // UTF-8: the form file of a finding about forms, with its line
};

struct CheckResult {
    std::vector<Finding> findings;  // by row, the project's settings first; per row by column
    int records = 0;
    int errors = 0;
    int warnings = 0;
    // Records whose text in language 1 and 2 is not empty (after trimming).
    std::array<int, 2> translated = {0, 0};
    int toReview = 0;  // records whose translation needs review
    // The translations of the records that TranslatedDifferently findings name, by row: one
    // copy however many findings name a record.
    std::vector<std::pair<int, std::string>> translations;
    const std::string& Translation(int row) const;
    std::array<std::string, 2> languages;  // the language fields' names
};

// What the checks know of the unit beside the table: the project's settings that the unit
// holds as they stand, Windows-1252 bytes.
struct UnitContext {
    std::string unitName;       // as the unit declares itself (UnitNameFor); empty: not known
    std::string usesList = {};  // the units it uses, as the project gives them
    // The application's forms the unit assigns to; when some were found, the paths are
    // checked against them (check/form_checks.h).
    const forms::ProjectForms* forms = nullptr;
};

// Checks every record of the translation table, the names of its language fields, the column
// titles of the file it was read from (FileColumnNames), and the unit's name and uses list;
// with the table's review marks, the translations that need review.
// Throws PtfError when the table lacks the language columns; opens a closed table.
CheckResult CheckTranslations(PtfTable& translations, const UnitContext& unit = {},
                              const review::SourceMemory* marks = nullptr);

// The finding as a sentence for the window (German) or the command line (English), UTF-8.
// Another record is named by its row counted from `firstRowNumber` ("Zeile 3", "line 6").
std::string GermanMessage(const Finding& finding, const CheckResult& result,
                          int firstRowNumber = 1);
std::string EnglishMessage(const Finding& finding, const CheckResult& result,
                           int firstRowNumber = 1);

}  // namespace parlix::check
