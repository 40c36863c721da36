// The checks of a translation table: for every rule what it must find and what it must not,
// the counts, and that a check leaves the table and its views alone.
#include "check/table_checks.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "generator/build_test_support.h"
#include "table/ptf_format.h"

namespace parlix::check {
namespace {

using testing::Row;

constexpr int P = translation_field::kPropertyColumn;
constexpr int N = translation_field::kStringNameColumn;
constexpr int L1 = translation_field::LanguageColumn(1);
constexpr int L2 = translation_field::LanguageColumn(2);

struct Expected {
    Rule rule;
    int row;
    int column;
    int otherRow = -1;
    friend bool operator==(const Expected&, const Expected&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Expected& e) {
        return out << "{rule " << static_cast<int>(e.rule) << ", row " << e.row << ", column "
                   << e.column << ", other " << e.otherRow << "}";
    }
};

struct RuleCase {
    const char* name;
    std::vector<Row> rows;
    std::vector<Expected> findings;  // in order: by row, then by column
    std::string language1 = "Deutsch";
    std::string language2 = "English";
    UnitContext unit = {"uTexte"};
    std::vector<std::string> titles = {};  // of the file the table was read from; none if empty
};

std::vector<Expected> Found(const CheckResult& result) {
    std::vector<Expected> found;
    for (const Finding& f : result.findings) {
        found.push_back({f.rule, f.row, f.column, f.otherRow});
        const bool error = f.rule <= Rule::ColumnTitle;
        EXPECT_EQ(f.severity, error ? Severity::Error : Severity::Warning);
    }
    return found;
}

const std::vector<RuleCase>& RuleCases() {
    static const std::vector<RuleCase> cases = {
        {"sound records give no finding",
         {
             {"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"},
             {"", " frmMain.btOK.Caption , ,frmAbout.btOK.Caption,", "", "&Fertig", "&Done"},
             {"", "StatusBar1.Panels[0].Text, frmMain.Lines [ 2 ]", "Index", "Bereit", "Ready"},
             {"", "gTitle, frmMain.lbl.Name.Message", "_name_2", "Name", "Nom"},
             {"", "frmMain.Hint, frmMain.Hint", "", "Tipp", "Tip"},  // one record, one value
             {"", "", "sCount", "%s von %d", "%1:d of %0:s"},
             {"", "", "sHex", "%d Bytes", "%x bytes"},  // both integers
             {"", "", "sFish", "Fisch && Pommes", "Fish && chips"},
             {"", "", "sLabel", "Name: ", "Nom: "},  // the same blanks in both
             {"", "", "sNumber", "1.234", "1.234"},  // the same, but no letters
             {"", "", "sFormat", "%s: %d%%", "%s: %d%%"},
             {"", "", "sCase", "ok", "OK"},
             {"Note", "", "", "", ""},
             {"", "", "sEmpty", std::nullopt, "  "},
         },
         {}},
        {"constant names: identifiers, no reserved word, not the procedure, once",
         {
             {"", "", "1st", "a", "b"},
             {"", "", "s Title", "a", "b"},
             {"", "", "sTitle", "a", "b"},
             {"", "", "Type", "a", "b"},
             {"", "", "s\xE4tze", "a", "b"},
             {"", "", "ParlixTranslate", "a", "b"},
             {"", "", "  STITLE ", "a", "b"},
             {"", "", "1st", "a", "b"},
             {"", "", "stitle", "a", "b"},
             {"", "", "inline", "a", "b"},
             {"", "", "Name", "a", "b"},
         },
         {{Rule::InvalidConstantName, 0, N},
          {Rule::InvalidConstantName, 1, N},
          {Rule::ReservedConstantName, 3, N},
          {Rule::InvalidConstantName, 4, N},
          {Rule::ProcedureName, 5, N},
          {Rule::DuplicateConstantName, 6, N, 2},
          {Rule::InvalidConstantName, 7, N},
          {Rule::DuplicateConstantName, 8, N, 2},
          {Rule::ReservedConstantName, 9, N}}},
        {"property pieces: paths of identifiers with integer indexes",
         {
             {"", "frmMain.Caption, frm Main.Hint", "", "a", "b"},
             {"", "frmMain.type.Caption,, x.Cells[1,2]", "", "a", "b"},
             {"", "frmMain.Lines[-1], frmMain.Caption;", "", "a", "b"},
             {"", "ParlixTranslate.Caption, uTexte.Caption", "", "a", "b"},
             {"", "uTexte.de.Caption, frmMain.ParlixTranslate.Caption", "", "a", "b"},
         },
         {{Rule::InvalidPropertyPath, 0, P},
          {Rule::InvalidPropertyPath, 1, P},
          {Rule::InvalidPropertyPath, 1, P},  // "x.Cells[1"
          {Rule::InvalidPropertyPath, 1, P},  // "2]"
          {Rule::InvalidPropertyPath, 2, P},
          {Rule::InvalidPropertyPath, 2, P},
          {Rule::HiddenPropertyPath, 3, P},
          {Rule::HiddenPropertyPath, 3, P},
          {Rule::HiddenPropertyPath, 4, P}}},  // "uTexte.de" is a member of the unit
        {"a path that starts with the first part of a dotted unit name",
         {{"", "uTexte.Caption, de.Caption, uTexte.de.Caption", "", "a", "b"}},
         {{Rule::HiddenPropertyPath, 0, P}, {Rule::HiddenPropertyPath, 0, P}},
         "Deutsch",
         "English",
         {"uTexte.de"}},
        {"a path that starts with a constant of the unit",
         {
             {"", "frmMain.Caption", "", "a", "b"},
             {"", "FRMMAIN.btOK.Hint, frmMainX.Caption, f.frmMain.Caption", "", "c", "d"},
             {"", "gTitle", "gTitle", "e", "f"},
             {"", "", "frmMain", "g", "h"},
         },
         {{Rule::HiddenPropertyPath, 0, P, 3},
          {Rule::HiddenPropertyPath, 1, P, 3},
          {Rule::HiddenPropertyPath, 2, P, 2}}},
        {"language names that are no conditional symbols",
         {},
         {{Rule::InvalidLanguageName, -1, L1}, {Rule::InvalidLanguageName, -1, L2}},
         "Deutsch-CH",
         ""},
        {"language names equal but for case",
         {},
         {{Rule::SameLanguageNames, -1, L2}},
         "English",
         "ENGLISH"},
        {"language names that Free Pascal or Delphi define themselves",
         {},
         {{Rule::CompilerLanguageName, -1, L1}, {Rule::CompilerLanguageName, -1, L2}},
         "linux",
         "MSWindows"},
        {"reserved words are good conditional symbols",
         {{"", "", "sA", "a", "b"}},
         {},
         "Begin",
         "_2"},
        {"untranslated and not translated",
         {
             {"", "", "s1", "", "Text"},
             {"", "", "s2", "Text", " \t "},
             {"", "", "s3", std::nullopt, "Text"},
             {"", "", "s4", "Speichern", "Speichern"},
             {"", "", "s5", " OK", "OK "},
         },
         {{Rule::Untranslated, 0, L1},
          {Rule::Untranslated, 1, L2},
          {Rule::Untranslated, 2, L1},
          {Rule::NotTranslated, 3, L2},
          {Rule::EdgeBlanksDiffer, 4, L1},
          {Rule::NotTranslated, 4, L2}}},
        {"placeholders, accelerators and blanks that differ",
         {
             {"", "", "s1", "%s und %d", "%s and"},
             {"", "", "s2", "%d Dateien", "%s files"},
             {"", "", "s3", "50 % Rabatt", "50% off"},
             {"", "", "s4", "&Speichern", "Save"},
             {"", "", "s5", "Fisch && Pommes", "Fish & chips"},
             {"", "", "s6", " Name", "Nom"},
             {"", "", "s7", "Name:", "Nom: "},
             {"", "", "s8", "\tName", " Nom"},
             {"", "", "s9", "&Datei%s ", "File %s"},
         },
         {{Rule::PlaceholdersDiffer, 0, L2},
          {Rule::PlaceholdersDiffer, 1, L2},
          {Rule::AcceleratorCount, 3, L2},
          {Rule::AcceleratorCount, 4, L2},
          {Rule::EdgeBlanksDiffer, 5, L1},
          {Rule::EdgeBlanksDiffer, 6, L2},
          {Rule::EdgeBlanksDiffer, 7, L1},
          {Rule::EdgeBlanksDiffer, 8, L1},
          {Rule::AcceleratorCount, 8, L2}}},
        {"one accelerator letter on two captions of a form",
         {
             {"", "frmMain.btA.Caption", "", "&Ordner", "&Open"},
             {"", "frmMain.btB.Caption", "", "&Oben", "&Top"},
             {"", "frmAbout.btC.Caption", "", "&Oben", "&Top"},
             {"", "frmMain.btA.Caption", "", "&Offen", "&Open it"},
             {"", "frmMain.miX.Caption, frmMain.btX.Caption", "", "&Xa", "&Xb"},
             {"", "frmMain.btY.Caption, FRMMAIN.btZ.Caption", "", "&Ordnen", "&Order"},
             {"", "frmMain.btU.Caption", "",
              "&\xFC"
              "ber",
              "&About"},
             {"", "frmMain.btV.Caption", "",
              "&\xDC"
              "bel",
              "&Evil"},  // Ü is ü
         },
         {{Rule::AcceleratorConflict, 1, L1, 0},
          {Rule::DuplicatePropertyPath, 3, P, 0},
          {Rule::AcceleratorConflict, 5, L1, 0},
          {Rule::AcceleratorConflict, 5, L2, 0},
          {Rule::AcceleratorConflict, 7, L1, 6}}},
        {"one property path in two records",
         {
             {"", "frmMain.Caption", "", "a", "b"},
             {"", "FRMMAIN . caption", "", "c", "d"},
             {"", "frmMain.Panels[01].Text, frmMain.Panels[1].Text", "", "e", "f"},
             {"", "frmMain.Panels[1].Text, frmMain.Caption, frmMain.Panels[10].Text", "", "g", "h"},
         },
         {{Rule::DuplicatePropertyPath, 1, P, 0},
          {Rule::DuplicatePropertyPath, 3, P, 2},
          {Rule::DuplicatePropertyPath, 3, P, 0}}},
        {"column titles of the file that are not the project's: swapped",
         {{"", "", "sTitle", "Adressbuch", "Address book"}},
         {{Rule::ColumnTitle, -1, L1}, {Rule::ColumnTitle, -1, L2}},
         "Deutsch",
         "English",
         {"uTexte"},
         {"Type", "Property", "StringName", "English", "Deutsch"}},
        {"column titles of the file that are not the project's: one missing, one twice",
         {{"", "", "sTitle", "Adressbuch", "Address book"}},
         {{Rule::ColumnTitle, -1, N}, {Rule::ColumnTitle, -1, L2}},
         "Deutsch",
         "English",
         {"uTexte"},
         {"Type", "Property", "Deutsch", "Deutsch"}},
        {"column titles of the file that are the project's",
         {{"", "", "sTitle", "Adressbuch", "Address book"}},
         {},
         "Deutsch",
         "English",
         {"uTexte"},
         {"Type", "Property", "StringName", "Deutsch", "English"}},
        {"a record with texts that gives nothing to the unit",
         {
             {"Note", "", "", "Text", ""},
             {"", " , ,", "", "", "Text"},
             {"Heading", "", "", "", std::nullopt},
         },
         {{Rule::NothingGenerated, 0, P},
          {Rule::Untranslated, 0, L2},
          {Rule::NothingGenerated, 1, P},
          {Rule::Untranslated, 1, L1}}},
    };
    return cases;
}

TEST(CheckTranslations, EveryRuleFindsWhatItMustAndNothingElse) {
    for (const RuleCase& test : RuleCases()) {
        SCOPED_TRACE(test.name);
        PtfTable table;
        testing::FillTranslations(table, test.language1, test.language2, test.rows);
        if (!test.titles.empty()) {
            table.SetFileColumnNames(test.titles);
        }
        const CheckResult result = CheckTranslations(table, test.unit);
        EXPECT_EQ(Found(result), test.findings);
        EXPECT_EQ(result.records, static_cast<int>(test.rows.size()));
        EXPECT_EQ(result.errors + result.warnings, static_cast<int>(result.findings.size()));
    }
}

TEST(CheckTranslations, CountsErrorsWarningsAndTranslatedTextsPerLanguage) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {
                                  {"", "a.Caption", "begin", "Ja", "Yes"},
                                  {"", "a.Hint", "", "Tipp", ""},
                                  {"", "b.Hint", "", "", ""},
                                  {"", "c.Hint", "", " ", std::nullopt},
                              });
    const CheckResult result = CheckTranslations(table);
    EXPECT_EQ(result.records, 4);
    EXPECT_EQ(result.errors, 1);
    EXPECT_EQ(result.warnings, 1);
    EXPECT_EQ(result.translated, (std::array<int, 2>{2, 1}));
    EXPECT_EQ(result.languages, (std::array<std::string, 2>{"Deutsch", "English"}));

    PtfTable narrow;
    narrow.FieldDefs().Add("Type", FieldType::ftString, 32);
    narrow.CreateTable();
    EXPECT_THROW(CheckTranslations(narrow), PtfError);
}

// The window checks after every post and delete: the check must not move the cursor, end an
// edit or make the views bound to the table hear anything. It sees the table as the grid
// shows it: in its current order, with the record being edited or inserted as typed.
TEST(CheckTranslations, ReadsTheTableAsShownAndLeavesItAlone) {
    struct Listener : TableObserver {
        int heard = 0;
        void TableChanged(PtfTable&, TableChange, int) override { ++heard; }
    } listener;
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"", "", "sB", "B", "B2"}, {"", "", "sA", "A", "A2"}});
    table.SetIndexFieldNames("StringName");
    table.AddObserver(&listener);
    table.Last();  // sB
    table.Edit();
    table.Field(N).SetAsString("sA");
    listener.heard = 0;

    CheckResult result = CheckTranslations(table);
    ASSERT_EQ(Found(result), (std::vector<Expected>{{Rule::DuplicateConstantName, 1, N, 0}}));
    EXPECT_EQ(table.State(), TableState::Edit);
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(table.Field(N).AsString(), "sA");
    EXPECT_EQ(listener.heard, 0);

    table.Cancel();
    table.Append();
    table.Field(N).SetAsString("1x");
    result = CheckTranslations(table);
    EXPECT_EQ(Found(result), (std::vector<Expected>{{Rule::InvalidConstantName, 2, N}}));
    EXPECT_EQ(table.State(), TableState::Insert);
    table.RemoveObserver(&listener);
}

TEST(CheckTranslations, MessagesNameTheTextsAndTheOtherRecord) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {
                                  {"", "frmMain.Caption", "sTitel",
                                   "Stra\xDF"
                                   "e",
                                   "Street"},
                                  {"", "frmMain.Caption, frm.type.X", "STITEL", "&Ja %s", "Yes"},
                                  {"", "", "s\xE4", "a", ""},
                              });
    const CheckResult result = CheckTranslations(table);
    std::vector<std::string> german;
    std::vector<std::string> english;
    for (const Finding& finding : result.findings) {
        german.push_back(GermanMessage(finding, result));
        english.push_back(EnglishMessage(finding, result, 4));
    }
    EXPECT_EQ(german,
              (std::vector<std::string>{
                  "\"frmMain.Caption\" wird schon in Zeile 1 zugewiesen; diese spätere "
                  "Zuweisung gilt",
                  "\"frm.type.X\" ist kein gültiger Eigenschaftspfad: \"type\" ist ein "
                  "reserviertes Wort",
                  "Die Konstante \"STITEL\" gibt es schon in Zeile 1 (Groß- und "
                  "Kleinschreibung zählt nicht)",
                  "Die Format-Platzhalter unterscheiden sich: Deutsch \"%s\", English keine",
                  "Unterschiedlich viele Tastenkürzel (&): Deutsch 1, English 0",
                  "\"sä\" ist kein gültiger Konstantenname (nur Buchstaben ohne Umlaute, "
                  "Ziffern und Unterstriche, vorn keine Ziffer)",
                  "Nicht übersetzt: kein Text in English",
              }));
    EXPECT_EQ(english[0],
              "\"frmMain.Caption\" is already assigned at line 4; this later assignment wins");
    EXPECT_EQ(english[2],
              "constant \"STITEL\" is already declared at line 4 (case does not matter)");
    EXPECT_EQ(english[6], "untranslated: no text in English");

    table.SetFileColumnNames({"Type", "Property", "StringName", "English"});
    const CheckResult titles = CheckTranslations(table);
    ASSERT_GE(titles.findings.size(), 2u);
    EXPECT_EQ(GermanMessage(titles.findings[0], titles),
              "Spalte 4 heißt in der Tabellendatei \"English\", im Projekt \"Deutsch\"; ihre "
              "Werte gehören womöglich in eine andere Spalte");
    EXPECT_EQ(GermanMessage(titles.findings[1], titles),
              "Die Tabellendatei hat keinen Titel für Spalte 5 (\"English\")");
}

// A finding of the project's settings: row and column are -1.
struct SettingFinding {
    Rule rule;
    std::string subject;
    std::string detail;
    friend bool operator==(const SettingFinding&, const SettingFinding&) = default;
    friend std::ostream& operator<<(std::ostream& out, const SettingFinding& f) {
        return out << "{rule " << static_cast<int>(f.rule) << ", \"" << f.subject << "\", \""
                   << f.detail << "\"}";
    }
};

// The unit name and the uses list go into the unit as they stand: anything but unit names is
// an error, each named by the entry (subject) and its reserved or over-long word (detail).
TEST(CheckTranslations, TheUnitNameAndTheUsesListHoldUnitNamesOnly) {
    struct Case {
        std::string unitName;
        std::string uses;
        std::vector<SettingFinding> findings;
    };
    const std::string injected =
        "uStub; procedure ParlixTranslate(); implementation procedure ParlixTranslate(); begin "
        "end; initialization WriteLn('INJECTED'); end.";
    const std::string longWord(128, 'x');
    const std::vector<Case> cases = {
        {"uTexte", "uAddress, uAbout", {}},
        {"uTexte.de", " System.SysUtils ,\r\n  uAbout\t,uTexte.en", {}},
        {"", "", {}},
        {"u-Texte", "", {{Rule::InvalidUnitName, "u-Texte", ""}}},
        {"1Texte", "", {{Rule::InvalidUnitName, "1Texte", ""}}},
        {"Begin", "", {{Rule::InvalidUnitName, "Begin", "Begin"}}},
        {"uTexte.type", "", {{Rule::InvalidUnitName, "uTexte.type", "type"}}},
        {"uTexte", injected, {{Rule::InvalidUsesEntry, injected, ""}}},
        {"uTexte",
         "uStub {$I /etc/hostname}",
         {{Rule::InvalidUsesEntry, "uStub {$I /etc/hostname}", ""}}},
        {"uTexte",
         "uA {, uB}, uC (*, *) uD, uE // x, uF in 'uF.pas', uG . H, uH\x1A",
         {{Rule::InvalidUsesEntry, "uA {", ""},
          {Rule::InvalidUsesEntry, "uB}", ""},
          {Rule::InvalidUsesEntry, "uC (*", ""},
          {Rule::InvalidUsesEntry, "*) uD", ""},
          {Rule::InvalidUsesEntry, "uE // x", ""},
          {Rule::InvalidUsesEntry, "uF in 'uF.pas'", ""},
          {Rule::InvalidUsesEntry, "uG . H", ""},
          {Rule::InvalidUsesEntry, "uH\x1A", ""}}},
        {"uTexte",
         "uA,, uB,",
         {{Rule::InvalidUsesEntry, "", ""}, {Rule::InvalidUsesEntry, "", ""}}},
        {"uTexte", " \t", {{Rule::InvalidUsesEntry, "", ""}}},
        {"uTexte",
         "uA, begin, uB.End, x." + longWord,
         {{Rule::InvalidUsesEntry, "begin", "begin"},
          {Rule::InvalidUsesEntry, "uB.End", "End"},
          {Rule::InvalidUsesEntry, "x." + longWord, longWord}}},
        {"uTexte",
         "uA, UA, utexte, System, objpas, uB, ua",
         {{Rule::DuplicateUsesEntry, "UA", ""},
          {Rule::UsesOwnUnit, "utexte", ""},
          {Rule::UsesImplicitUnit, "System", ""},
          {Rule::UsesImplicitUnit, "objpas", ""},
          {Rule::DuplicateUsesEntry, "ua", ""}}},
        {"u-Texte",
         "u-Texte, uA",
         {{Rule::InvalidUnitName, "u-Texte", ""}, {Rule::InvalidUsesEntry, "u-Texte", ""}}},
    };
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"", "frmMain.Caption", "sA", "a", "b"}});
    for (const Case& test : cases) {
        SCOPED_TRACE(test.unitName + " / " + test.uses);
        const CheckResult result = CheckTranslations(table, {test.unitName, test.uses});
        std::vector<SettingFinding> found;
        for (const Finding& f : result.findings) {
            found.push_back({f.rule, f.subject, f.detail});
            EXPECT_EQ(f.severity, Severity::Error);
            EXPECT_EQ(f.row, -1);
            EXPECT_EQ(f.column, -1);
        }
        EXPECT_EQ(found, test.findings);
        EXPECT_EQ(result.errors, static_cast<int>(test.findings.size()));
    }
}

// Each way a setting of the project can be wrong has its own sentence (the English ones are
// in tests/cli/check_command_test.cpp).
TEST(CheckTranslations, MessagesOfTheProjectsSettings) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "LINUX", {});
    const CheckResult result = CheckTranslations(
        table, {"Begin", "uA, uB.type, uC;, , uA, System, x." + std::string(128, 'y')});
    std::vector<std::string> german;
    for (const Finding& finding : result.findings) {
        german.push_back(GermanMessage(finding, result));
    }
    const std::string notAList =
        "Der Uses-Abschnitt ist keine Liste von Unit-Namen mit Kommas dazwischen: ";
    EXPECT_EQ(german,
              (std::vector<std::string>{
                  "Der Unit-Name \"Begin\" aus dem Namen des Source-Files ist ungültig: \"Begin\" "
                  "ist ein reserviertes Wort",
                  notAList + "in \"uB.type\" ist \"type\" ein reserviertes Wort",
                  notAList + "\"uC;\" ist kein Unit-Name (Bezeichner, wahlweise mit Punkten "
                             "verbunden, wie System.SysUtils)",
                  "Der Uses-Abschnitt hat einen leeren Eintrag (ein Komma zu viel oder nur "
                  "Leerzeichen)",
                  "Der Uses-Abschnitt nennt \"uA\" zweimal (Groß- und Kleinschreibung zählt nicht)",
                  "Der Uses-Abschnitt nennt \"System\", das jede Unit schon einbindet",
                  notAList + "in \"x." + std::string(128, 'y') + "\" ist \"" +
                      std::string(128, 'y') + "\" länger als 127 Zeichen",
                  "Den Sprachnamen \"LINUX\" definieren Free Pascal oder Delphi selbst als Symbol; "
                  "sein Block gilt dann, auch wenn die Sprache nicht gewählt ist",
              }));
    const CheckResult own = CheckTranslations(table, {"uTexte", "uA, UTEXTE"});
    ASSERT_EQ(own.findings.size(), 2u);  // and the language LINUX
    EXPECT_EQ(GermanMessage(own.findings[0], own),
              "Der Uses-Abschnitt nennt die Unit selbst (\"UTEXTE\")");
}

// The example project holds no mistake, so its check is silent.
TEST(CheckTranslations, FindNothingInTheExampleProject) {
    PtfTable table;
    DefineTranslationFields(table);
    RenameLanguageFields(table, "Deutsch", "English");
    LoadPtfFile(PARLIX_EXAMPLES_DIR "/addressbook/AddressBook_translations.ptf", table);
    const CheckResult result = CheckTranslations(table, {"uTexte"});
    for (const Finding& finding : result.findings) {
        ADD_FAILURE() << EnglishMessage(finding, result, 4);
    }
    EXPECT_EQ(result.records, 10);
    EXPECT_EQ(result.translated, (std::array<int, 2>{10, 10}));
}

}  // namespace
}  // namespace parlix::check
