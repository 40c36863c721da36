// The sentences of the findings, German for the window and English for the command line.
#include <string_view>

#include "check/pascal_names.h"
#include "check/table_checks.h"
#include "project/project_files.h"
#include "table/cp1252.h"

namespace parlix::check {

namespace {

// The words of one language, in the order of the rules' sentences.
struct Words {
    const char* invalidName;
    const char* reservedName;
    const char* nameTooLong;
    const char* procedureName;
    const char* duplicateName;  // name, row
    const char* invalidPath;
    const char* reservedInPath;     // path, word
    const char* longInPath;         // path, word
    const char* hiddenByConstant;   // path, word, row
    const char* hiddenByProcedure;  // path, word
    const char* hiddenByUnit;       // path, word
    const char* unnamedLanguage;    // number
    const char* invalidLanguage;    // name
    const char* sameLanguages;      // name
    const char* compilerLanguage;   // name
    const char* invalidUnit;        // name
    const char* reservedInUnit;     // name, word
    const char* longInUnit;         // name, word
    const char* invalidUses;        // entry
    const char* reservedInUses;     // entry, word
    const char* longInUses;         // entry, word
    const char* emptyUses;
    const char* duplicateUses;    // entry
    const char* ownUnitInUses;    // entry
    const char* implicitUses;     // entry
    const char* columnTitle;      // column number, title, name
    const char* missingTitle;     // column number, name
    const char* noSuchComponent;  // path, name, form file
    const char* untranslated;     // language
    const char* notTranslated;    // language 1, language 2
    const char* placeholders;     // language 1, list 1, language 2, list 2
    const char* none;
    const char* acceleratorCount;     // language 1, count 1, language 2, count 2
    const char* edgeBlanks;           // language 1, language 2
    const char* acceleratorConflict;  // letter, language, row, form
    const char* duplicatePath;        // path, row
    const char* nothingGenerated;
    const char* unknownFormVariable;  // path, word
    const char* formTextDiffers;      // language 1, text of the form, form file and line
    const char* sourceChanged;        // old text, new text
    const char* draftTranslation;
    const char* translatedDifferently;  // translation, row
};

constexpr Words kGerman = {
    "\"%1\" ist kein gültiger Konstantenname (nur Buchstaben ohne Umlaute, Ziffern und "
    "Unterstriche, vorn keine Ziffer)",
    "\"%1\" ist ein reserviertes Wort und kann keine Konstante benennen",
    "Der Konstantenname \"%1\" ist länger als 127 Zeichen",
    "\"%1\" ist der Name der Prozedur der Unit",
    "Die Konstante \"%1\" gibt es schon in Zeile %2 (Groß- und Kleinschreibung zählt nicht)",
    "\"%1\" ist kein gültiger Eigenschaftspfad (Bezeichner mit Punkten verbunden, jeder "
    "wahlweise mit ganzzahligem Index, wie StatusBar1.Panels[0].Text)",
    "\"%1\" ist kein gültiger Eigenschaftspfad: \"%2\" ist ein reserviertes Wort",
    "\"%1\" ist kein gültiger Eigenschaftspfad: \"%2\" ist länger als 127 Zeichen",
    "\"%1\" beginnt mit \"%2\", einer Konstanten der Unit (Zeile %3)",
    "\"%1\" beginnt mit \"%2\", dem Namen der Prozedur der Unit",
    "\"%1\" beginnt mit \"%2\", dem Namen der Unit",
    "Die Sprache %1 hat keinen Namen",
    "Der Sprachname \"%1\" taugt nicht als Symbol für {$IFDEF} (nur Buchstaben ohne Umlaute, "
    "Ziffern und Unterstriche, vorn keine Ziffer, höchstens 127 Zeichen)",
    "Beide Sprachen heißen \"%1\" (Groß- und Kleinschreibung zählt nicht)",
    "Den Sprachnamen \"%1\" definieren Free Pascal oder Delphi selbst als Symbol; sein Block "
    "gilt dann, auch wenn die Sprache nicht gewählt ist",
    "Der Unit-Name \"%1\" aus dem Namen des Source-Files ist ungültig (Bezeichner, wahlweise "
    "mit Punkten verbunden: nur Buchstaben ohne Umlaute, Ziffern und Unterstriche, vorn keine "
    "Ziffer)",
    "Der Unit-Name \"%1\" aus dem Namen des Source-Files ist ungültig: \"%2\" ist ein "
    "reserviertes Wort",
    "Der Unit-Name \"%1\" aus dem Namen des Source-Files ist ungültig: \"%2\" ist länger als "
    "127 Zeichen",
    "Der Uses-Abschnitt ist keine Liste von Unit-Namen mit Kommas dazwischen: \"%1\" ist kein "
    "Unit-Name (Bezeichner, wahlweise mit Punkten verbunden, wie System.SysUtils)",
    "Der Uses-Abschnitt ist keine Liste von Unit-Namen mit Kommas dazwischen: in \"%1\" ist "
    "\"%2\" ein reserviertes Wort",
    "Der Uses-Abschnitt ist keine Liste von Unit-Namen mit Kommas dazwischen: in \"%1\" ist "
    "\"%2\" länger als 127 Zeichen",
    "Der Uses-Abschnitt hat einen leeren Eintrag (ein Komma zu viel oder nur Leerzeichen)",
    "Der Uses-Abschnitt nennt \"%1\" zweimal (Groß- und Kleinschreibung zählt nicht)",
    "Der Uses-Abschnitt nennt die Unit selbst (\"%1\")",
    "Der Uses-Abschnitt nennt \"%1\", das jede Unit schon einbindet",
    "Spalte %1 heißt in der Tabellendatei \"%2\", im Projekt \"%3\"; ihre Werte gehören "
    "womöglich in eine andere Spalte",
    "Die Tabellendatei hat keinen Titel für Spalte %1 (\"%2\")",
    "\"%1\": Das Formular %3 hat keine Komponente \"%2\"",
    "Nicht übersetzt: kein Text in %1",
    "Derselbe Text in %1 und %2 - nicht übersetzt?",
    "Die Format-Platzhalter unterscheiden sich: %1 %2, %3 %4",
    "keine",
    "Unterschiedlich viele Tastenkürzel (&): %1 %2, %3 %4",
    "Leerzeichen am Anfang oder Ende unterscheiden sich zwischen %1 und %2; die Unit lässt "
    "sie weg",
    "Das Tastenkürzel \"&%1\" in %2 hat Zeile %3 schon für %4",
    "\"%1\" wird schon in Zeile %2 zugewiesen; diese spätere Zuweisung gilt",
    "Der Datensatz hat Texte, aber weder Konstantennamen noch Eigenschaft; die Unit erhält "
    "nichts davon",
    "\"%1\": \"%2\" ist kein Formular des Projekts, und keine Unit des Uses-Abschnitts "
    "deklariert es",
    "Der Text in %1 weicht vom Formular ab, dort steht \"%2\" (%3)",
    "Quelltext geändert: war »%1«, jetzt »%2« - Übersetzung prüfen",
    "Entwurf - Übersetzung prüfen",
    "anders übersetzt als Zeile %2: »%1«",
};

constexpr Words kEnglish = {
    "\"%1\" is not a valid constant name (only letters without accents, digits and "
    "underscores, not starting with a digit)",
    "\"%1\" is a reserved word and cannot name a constant",
    "the constant name \"%1\" is longer than 127 characters",
    "\"%1\" is the name of the unit's procedure",
    "constant \"%1\" is already declared at line %2 (case does not matter)",
    "\"%1\" is not a valid property path (identifiers joined by dots, each optionally indexed "
    "by an integer, as in StatusBar1.Panels[0].Text)",
    "\"%1\" is not a valid property path: \"%2\" is a reserved word",
    "\"%1\" is not a valid property path: \"%2\" is longer than 127 characters",
    "\"%1\" starts with \"%2\", a constant of the unit (line %3)",
    "\"%1\" starts with \"%2\", the name of the unit's procedure",
    "\"%1\" starts with \"%2\", the name of the unit",
    "language %1 has no name",
    "language name \"%1\" is not a valid conditional symbol (only letters without accents, "
    "digits and underscores, not starting with a digit, at most 127 characters)",
    "both languages are named \"%1\" (case does not matter)",
    "language name \"%1\" is a symbol that Free Pascal or Delphi defines itself; its block is "
    "compiled even when the language is not chosen",
    "unit name \"%1\" from the source file's name is not valid (identifiers, optionally joined "
    "by dots: only letters without accents, digits and underscores, not starting with a digit)",
    "unit name \"%1\" from the source file's name is not valid: \"%2\" is a reserved word",
    "unit name \"%1\" from the source file's name is not valid: \"%2\" is longer than 127 "
    "characters",
    "the uses list is not a comma-separated list of unit names: \"%1\" is not a unit name "
    "(identifiers, optionally joined by dots, as in System.SysUtils)",
    "the uses list is not a comma-separated list of unit names: \"%2\" in \"%1\" is a reserved "
    "word",
    "the uses list is not a comma-separated list of unit names: \"%2\" in \"%1\" is longer than "
    "127 characters",
    "the uses list has an empty entry (a comma too many, or only blanks)",
    "the uses list names \"%1\" twice (case does not matter)",
    "the uses list names the unit itself (\"%1\")",
    "the uses list names \"%1\", which every unit uses already",
    "column %1 is titled \"%2\" in the table file but \"%3\" in the project; its values may "
    "belong to another column",
    "the table file has no title for column %1 (\"%2\")",
    "\"%1\": the form %3 has no component \"%2\"",
    "untranslated: no text in %1",
    "the same text in %1 and %2 (not translated?)",
    "format placeholders differ: %1 %2, %3 %4",
    "none",
    "different number of accelerators (&): %1 %2, %3 %4",
    "leading or trailing blanks differ between %1 and %2; the unit drops them",
    "accelerator \"&%1\" in %2 is already used for %4 at line %3",
    "\"%1\" is already assigned at line %2; this later assignment wins",
    "the record has texts but neither a constant name nor a property; nothing of it reaches "
    "the unit",
    "\"%1\": \"%2\" is no form of the project, and no unit of the uses list declares it",
    "the text in %1 differs from the form's \"%2\" (%3)",
    "source changed from \"%1\" to \"%2\"; review the translation",
    "draft translation; review it",
    "translated differently from line %2: \"%1\"",
};

// `pattern` with %1 .. %4 replaced by the arguments.
std::string Fill(std::string_view pattern, std::initializer_list<std::string> arguments) {
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' &&
            pattern[i + 1] < '1' + static_cast<int>(arguments.size())) {
            text += arguments.begin()[pattern[i + 1] - '1'];
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

// The sentence for a name that is malformed as a whole (no detail), or holds a reserved or an
// over-long word (the detail).
const char* NamePattern(const Finding& finding, const char* malformed, const char* reserved,
                        const char* tooLong) {
    if (finding.detail.empty()) {
        return malformed;
    }
    return IsReservedWord(finding.detail) ? reserved : tooLong;
}

bool IsProcedureName(std::string_view word) {
    std::string lower;
    AppendLowerAscii(lower, word);
    return lower == "parlixtranslate";
}

std::string Message(const Words& words, const Finding& finding, const CheckResult& result,
                    int firstRowNumber) {
    const std::string subject = Cp1252ToUtf8(finding.subject);
    const std::string detail = Cp1252ToUtf8(finding.detail);
    const std::string other = std::to_string(finding.otherRow + firstRowNumber);
    const std::string one = Cp1252ToUtf8(result.languages[0]);
    const std::string two = Cp1252ToUtf8(result.languages[1]);
    const bool second = finding.column == translation_field::LanguageColumn(2);
    auto quotedList = [&](const std::string& list) {
        return list.empty() ? std::string(words.none) : "\"" + list + "\"";
    };
    switch (finding.rule) {
        case Rule::InvalidConstantName:
            return Fill(words.invalidName, {subject});
        case Rule::ReservedConstantName:
            return Fill(words.reservedName, {subject});
        case Rule::ConstantNameTooLong:
            return Fill(words.nameTooLong, {subject});
        case Rule::ProcedureName:
            return Fill(words.procedureName, {subject});
        case Rule::DuplicateConstantName:
            return Fill(words.duplicateName, {subject, other});
        case Rule::InvalidPropertyPath:
            return Fill(
                NamePattern(finding, words.invalidPath, words.reservedInPath, words.longInPath),
                {subject, detail});
        case Rule::HiddenPropertyPath: {
            const char* pattern = words.hiddenByUnit;
            if (finding.otherRow >= 0) {
                pattern = words.hiddenByConstant;
            } else if (IsProcedureName(finding.detail)) {
                pattern = words.hiddenByProcedure;
            }
            return Fill(pattern, {subject, detail, other});
        }
        case Rule::InvalidLanguageName:
            if (finding.subject.empty()) {
                return Fill(words.unnamedLanguage, {second ? "2" : "1"});
            }
            return Fill(words.invalidLanguage, {subject});
        case Rule::SameLanguageNames:
            return Fill(words.sameLanguages, {subject});
        case Rule::CompilerLanguageName:
            return Fill(words.compilerLanguage, {subject});
        case Rule::InvalidUnitName:
            return Fill(
                NamePattern(finding, words.invalidUnit, words.reservedInUnit, words.longInUnit),
                {subject, detail});
        case Rule::InvalidUsesEntry:
            if (finding.subject.empty()) {
                return words.emptyUses;
            }
            return Fill(
                NamePattern(finding, words.invalidUses, words.reservedInUses, words.longInUses),
                {subject, detail});
        case Rule::DuplicateUsesEntry:
            return Fill(words.duplicateUses, {subject});
        case Rule::UsesOwnUnit:
            return Fill(words.ownUnitInUses, {subject});
        case Rule::UsesImplicitUnit:
            return Fill(words.implicitUses, {subject});
        case Rule::ColumnTitle: {
            const std::string number = std::to_string(finding.column + 1);
            if (finding.subject.empty()) {
                return Fill(words.missingTitle, {number, detail});
            }
            return Fill(words.columnTitle, {number, subject, detail});
        }
        case Rule::Untranslated:
            return Fill(words.untranslated, {second ? two : one});
        case Rule::NotTranslated:
            return Fill(words.notTranslated, {one, two});
        case Rule::PlaceholdersDiffer:
            return Fill(words.placeholders, {one, quotedList(subject), two, quotedList(detail)});
        case Rule::AcceleratorCount:
            return Fill(words.acceleratorCount, {one, subject, two, detail});
        case Rule::EdgeBlanksDiffer:
            return Fill(words.edgeBlanks, {one, two});
        case Rule::AcceleratorConflict: {
            std::string letter = subject;
            if (letter.size() == 1 && letter[0] >= 'a' && letter[0] <= 'z') {
                letter[0] = static_cast<char>(letter[0] - 'a' + 'A');
            }
            return Fill(words.acceleratorConflict, {letter, second ? two : one, other, detail});
        }
        case Rule::DuplicatePropertyPath:
            return Fill(words.duplicatePath, {subject, other});
        case Rule::NothingGenerated:
            return words.nothingGenerated;
        case Rule::NoSuchComponent:
            return Fill(words.noSuchComponent, {subject, detail, finding.place});
        case Rule::UnknownFormVariable:
            return Fill(words.unknownFormVariable, {subject, detail});
        case Rule::FormTextDiffers:
            return Fill(words.formTextDiffers, {one, detail, finding.place});
        case Rule::SourceChanged:
            return Fill(words.sourceChanged, {subject, detail});
        case Rule::DraftTranslation:
            return words.draftTranslation;
        case Rule::TranslatedDifferently:
            return Fill(words.translatedDifferently,
                        {Cp1252ToUtf8(result.Translation(finding.otherRow)), other});
    }
    return {};
}

}  // namespace

std::string GermanMessage(const Finding& finding, const CheckResult& result, int firstRowNumber) {
    return Message(kGerman, finding, result, firstRowNumber);
}

std::string EnglishMessage(const Finding& finding, const CheckResult& result, int firstRowNumber) {
    return Message(kEnglish, finding, result, firstRowNumber);
}

}  // namespace parlix::check
