#include "exchange/exchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/exchange_support.h"
#include "table/errors.h"

namespace parlix {
namespace {

using exchange::Format;
using exchange::ImportPlan;
using testing::Export;
using testing::GermanEnglish;
using testing::Plan;
using testing::Row;
using testing::Values;

struct Case {
    Format format;
    char delimiter;
};
const Case kFormats[] = {{Format::Xliff, ','}, {Format::Csv, ','}, {Format::Csv, ';'}};

// Every value survives export and import: a copy of the table whose targets were all replaced
// gets them back exactly, null and empty apart in CSV, also when the copy is ordered by the
// target column (so that each write moves its row); the original imports as unchanged. XLIFF
// offers no translation for an untranslated row and marks a row without a source text as not
// to be translated, so such rows keep the copy's text.
TEST(ExchangeRoundTrip, RestoresEveryValueOfRandomTables) {
    for (const Case& format : kFormats) {
        for (unsigned seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE("format " + std::to_string(static_cast<int>(format.format)) +
                         format.delimiter + " seed " + std::to_string(seed));
            const std::vector<Row> rows = testing::RandomRows(seed, 60);
            PtfTable original;
            testing::FillTranslations(original, "Deutsch", "English", rows);
            const std::string file =
                Export(format.format, original, GermanEnglish(format.delimiter));

            std::vector<Row> scrambled = rows;
            std::vector<Row> expected = rows;
            std::size_t untranslated = 0;
            std::size_t notForTranslation = 0;
            for (std::size_t i = 0; i < scrambled.size(); ++i) {
                scrambled[i].language2 = "x" + std::to_string(i);
                if (format.format == Format::Xliff && rows[i].language1.value_or("").empty()) {
                    ++notForTranslation;
                } else if (format.format == Format::Xliff &&
                           rows[i].language2.value_or("").empty()) {
                    ++untranslated;
                } else {
                    continue;
                }
                expected[i].language2 = scrambled[i].language2;
            }
            const std::size_t taken = rows.size() - untranslated - notForTranslation;

            const ImportPlan same = Plan(format.format, file, original);
            ASSERT_FALSE(same.fault) << same.fault->Text();
            EXPECT_EQ(same.unchanged.size(), taken);
            EXPECT_EQ(same.UntranslatedCount(), static_cast<int>(untranslated));
            EXPECT_TRUE(same.changes.empty() && same.unknown.empty() && same.refused.empty());

            PtfTable copy;
            testing::FillTranslations(copy, "Deutsch", "English", scrambled);
            copy.SetIndexFieldNames(seed % 2 == 0 ? "English" : "");
            const ImportPlan plan = Plan(format.format, file, copy);
            ASSERT_FALSE(plan.fault) << plan.fault->Text();
            EXPECT_EQ(plan.changes.size(), taken);
            EXPECT_EQ(exchange::ApplyImportPlan(plan, copy), static_cast<int>(taken));
            PtfTable wanted;
            testing::FillTranslations(wanted, "Deutsch", "English", expected);
            EXPECT_EQ(Values(copy), Values(wanted));
        }
    }
}

// The XLIFF ids: a unique StringName; else the Property, unique among the rest and no other
// id; else Property#n, numbered by the rows' texts, so that ordering the table keeps them.
TEST(ExchangeExport, XliffUnitsCarryStableIdsStatesAndNotes) {
    const std::vector<Row> rows = {
        {"Form", "frm.Caption", "sTitle", "Titel", "Title"},
        {"Label", "frm.lbA.Caption", "sDup", "B", std::string()},
        {"Label", "frm.lbB.Caption", "sDup", "A", std::nullopt},
        {"", "frm.lbC.Caption", "", "Zwei", "Two"},
        {"", "frm.lbC.Caption", "", "Eins", "One"},
        {"", "sTitle", "", "Name schon vergeben", ""},
        {"Label", "frm.lbD.Caption", "", "", ""},
        {"", "", "", "\x01 <&> \x80\"", "\t\xFF"},
    };
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English", rows);
    exchange::ExportOptions options = GermanEnglish();
    options.original = "Dämo & Co.ptf";
    const std::string xliff = Export(Format::Xliff, table, options);
    for (const char* expected : {
             R"(<file original="Dämo &amp; Co.ptf" source-language="de" target-language="en")",
             "<trans-unit id=\"sTitle\" xml:space=\"preserve\" approved=\"yes\">\n"
             "        <source>Titel</source>\n"
             "        <target state=\"translated\">Title</target>\n"
             "        <note from=\"developer\">Type: Form</note>\n"
             "        <note from=\"developer\">Property: frm.Caption</note>\n",
             "<trans-unit id=\"frm.lbA.Caption\" xml:space=\"preserve\">\n"
             "        <source>B</source>\n"
             "        <target state=\"needs-translation\"></target>\n",
             "<trans-unit id=\"frm.lbB.Caption\" xml:space=\"preserve\">\n"
             "        <source>A</source>\n"
             "        <note from=\"developer\">Type: Label</note>\n",
             "<trans-unit id=\"frm.lbD.Caption\" xml:space=\"preserve\" translate=\"no\">\n"
             "        <source></source>\n"
             "        <target state=\"needs-translation\"></target>\n",
             "<trans-unit id=\"frm.lbC.Caption#2\" xml:space=\"preserve\" approved=\"yes\">\n"
             "        <source>Zwei</source>",
             "<trans-unit id=\"frm.lbC.Caption#1\" xml:space=\"preserve\" approved=\"yes\">\n"
             "        <source>Eins</source>",
             "<trans-unit id=\"sTitle#1\"",
             "<trans-unit id=\"#1\" xml:space=\"preserve\" approved=\"yes\">\n"
             "        <source>\xE2\x90\x81 &lt;&amp;&gt; \xE2\x82\xAC\"</source>\n"
             "        <target state=\"translated\">\t\xC3\xBF</target>\n"
             "      </trans-unit>",
         }) {
        EXPECT_NE(xliff.find(expected), std::string::npos) << expected << "\nin\n" << xliff;
    }
    table.SetIndexFieldNames("Deutsch");
    EXPECT_EQ(Export(Format::Xliff, table, options).find("frm.lbC.Caption#1\""),
              Export(Format::Xliff, table, options).find("frm.lbC.Caption#1\""));
    const std::string sorted = Export(Format::Xliff, table, options);
    EXPECT_NE(sorted.find("id=\"frm.lbC.Caption#1\" xml:space=\"preserve\" approved=\"yes\">\n"
                          "        <source>Eins</source>"),
              std::string::npos);

    options.onlyUntranslated = true;
    std::ostringstream out;
    EXPECT_EQ(exchange::ExportXliff(table, options, out), 4);
    EXPECT_EQ(out.str().find("approved"), std::string::npos);

    options.targetCode = "en\"";
    EXPECT_THROW(Export(Format::Xliff, table, options), PtfError);
}

// A text a spreadsheet would take for a formula gets an apostrophe in front, one more when it
// has some already.
TEST(ExchangeExport, CsvHasBomHeaderCrLfAndKeepsNullApartFromEmpty) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"Form", "frm.Caption", "sTitle", " Titel", std::nullopt},
                               {"Label", "a, b", "", "Sag \"Hallo\"; \x80", std::string()},
                               {"@Type", "-1", "'abc", "=cmd|' /C calc'!A0", "'=x"},
                               {"", "+", "", "\tTab", "''-"}});
    EXPECT_EQ(Export(Format::Csv, table, GermanEnglish(',')),
              "\xEF\xBB\xBFType,Property,StringName,Deutsch,English\r\n"
              "Form,frm.Caption,sTitle,\" Titel\",\r\n"
              "Label,\"a, b\",\"\",\"Sag \"\"Hallo\"\"; \xE2\x82\xAC\",\"\"\r\n"
              "'@Type,'-1,'abc,'=cmd|' /C calc'!A0,''=x\r\n"
              "\"\",'+,\"\",'\tTab,'''-\r\n");
    EXPECT_EQ(Export(Format::Csv, table, GermanEnglish(';')),
              "\xEF\xBB\xBFType;Property;StringName;Deutsch;English\r\n"
              "Form;frm.Caption;sTitle;\" Titel\";\r\n"
              "Label;a, b;\"\";\"Sag \"\"Hallo\"\"; \xE2\x82\xAC\";\"\"\r\n"
              "'@Type;'-1;'abc;'=cmd|' /C calc'!A0;''=x\r\n"
              "\"\";'+;\"\";'\tTab;'''-\r\n");
    exchange::ExportOptions tab = GermanEnglish('\t');
    EXPECT_THROW(Export(Format::Csv, table, tab), PtfError);
}

// One file with a unit of every kind: the report lists each where it belongs, and applying
// writes the target column only.
TEST(ExchangeImport, ReportsNewChangedUnchangedUnknownAndRefusedUnits) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"Form", "frm.Caption", "sTitle", "Titel", "Title"},
                               {"Label", "frm.lbA.Caption", "", "A", std::nullopt},
                               {"Label", "frm.lbB.Caption", "", "B", "Bee"},
                               {"Label", "frm.lbC.Caption", "", "C", "Sea"},
                               {"Label", "frm.lbD.Caption", "", "D", std::nullopt},
                               {"Label", "frm.lbE.Caption", "", "E", std::nullopt},
                               {"Label", "frm.lbF.Caption", "", "F", "Eff"},
                               {"Label", "frm.lbG.Caption", "", "G", std::nullopt},
                               {"Label", "frm.lbH.Caption", "", "H", std::string()}});
    int posts = 0;
    table.AfterPost = [&posts](PtfTable&) { ++posts; };
    const std::string xliff =
        "<?xml version=\"1.0\"?>\n"
        "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
        "<file original=\"x.po\" source-language=\"en-US\" datatype=\"plaintext\"><body>\n"
        "<trans-unit id=\"1\" restype=\"x-gettext-domain-header\"><source>h</source>"
        "<target>header</target></trans-unit>\n"
        "<trans-unit id=\"sTitle\"><source>Titel</source><target>Title</target></trans-unit>\n"
        "<group><trans-unit id=\"frm.lbA.Caption\"><source>A</source>"
        "<target><g id=\"1\">Ay</g> <mrk mtype=\"x\">!</mrk></target>"
        "<alt-trans><target>wrong</target></alt-trans></trans-unit></group>\n"
        "<trans-unit id=\"7\"><source>B</source><target>Be\xC3\xAB</target>"
        "<context-group name=\"po-reference\" purpose=\"location\">"
        "<context context-type=\"sourcefile\">frm.lbB.Caption</context></context-group>"
        "</trans-unit>\n"
        "<trans-unit id=\"frm.lbC.Caption\"><source>C</source><target/></trans-unit>\n"
        "<trans-unit id=\"frm.lbD.Caption\"><source>D</source><target>D \xE2\x86\x92 "
        "\xE2\x9C\x93</target></trans-unit>\n"
        "<trans-unit id=\"frm.lbE.Caption\"><source>E</source><target>E&#10;E</target>"
        "</trans-unit>\n"
        "<trans-unit id=\"frm.lbF.Caption\"><source>F</source><target>F<x id=\"1\"/></target>"
        "</trans-unit>\n"
        "<trans-unit id=\"frm.lbG.Caption\"><source>G</source></trans-unit>\n"
        "<trans-unit id=\"frm.lbH.Caption\"><source>H</source>"
        "<target xmlns:p=\"urn:x-parlix:xliff\" p:null=\"yes\"/></trans-unit>\n"
        "<trans-unit id=\"sGone\"><source>?</source><target>?</target></trans-unit>\n"
        "</body></file></xliff>\n";
    const std::string before = Values(table);
    const ImportPlan plan = Plan(Format::Xliff, xliff, table);
    ASSERT_FALSE(plan.fault) << plan.fault->Text();
    ASSERT_EQ(plan.changes.size(), 2u);
    EXPECT_EQ(plan.changes[0].key, "frm.lbA.Caption");
    EXPECT_TRUE(plan.changes[0].isNew);
    EXPECT_EQ(plan.changes[0].after, "Ay !");
    EXPECT_EQ(plan.changes[0].line, 6);
    EXPECT_EQ(plan.changes[1].key, "frm.lbB.Caption");
    EXPECT_FALSE(plan.changes[1].isNew);
    EXPECT_EQ(plan.changes[1].after, "Be\xEB");
    EXPECT_EQ(plan.NewCount(), 1);
    EXPECT_EQ(plan.ChangedCount(), 1);
    ASSERT_EQ(plan.unchanged.size(), 1u);
    EXPECT_EQ(plan.unchanged[0].key, "sTitle");
    ASSERT_EQ(plan.heldBack.size(), 3u) << "no target text never clears one";
    EXPECT_EQ(plan.heldBack[0].key, "frm.lbC.Caption");
    EXPECT_EQ(plan.heldBack[0].markedAs, "leeres <target>");
    EXPECT_EQ(plan.heldBack[1].key, "frm.lbG.Caption");
    EXPECT_EQ(plan.heldBack[1].markedAs, "kein <target>");
    EXPECT_EQ(plan.heldBack[2].key, "frm.lbH.Caption");
    EXPECT_EQ(plan.UntranslatedCount(), 3);
    ASSERT_EQ(plan.unknown.size(), 1u);
    EXPECT_EQ(plan.unknown[0].key, "sGone");
    EXPECT_EQ(plan.unknown[0].line, 14);
    ASSERT_EQ(plan.refused.size(), 3u);
    EXPECT_EQ(plan.refused[0].reason, exchange::Refusal::Characters);
    EXPECT_EQ(plan.refused[0].detail,
              "Zeichen, die Windows-1252 nicht kennt: \xE2\x86\x92 (U+2192), "
              "\xE2\x9C\x93 (U+2713)");
    EXPECT_EQ(plan.refused[1].reason, exchange::Refusal::LineBreak);
    EXPECT_EQ(plan.refused[2].reason, exchange::Refusal::Markup);
    EXPECT_EQ(Values(table), before) << "planning touches nothing";

    EXPECT_EQ(exchange::ApplyImportPlan(plan, table), 2);
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(table.TextAt(1, 4), "Ay !");
    EXPECT_EQ(table.TextAt(2, 4), "Be\xEB");
    EXPECT_FALSE(table.IsNullAt(2, 4));
    EXPECT_EQ(table.TextAt(3, 4), "Sea");
    EXPECT_THROW(exchange::ApplyImportPlan(plan, table), PtfError) << "the plan is stale now";
}

TEST(ExchangeImport, CsvMatchesByNameOrPropertyAndTellsDuplicatesApart) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"Label", "frm.a.Caption", "", "Eins", std::nullopt},
                               {"Label", "frm.a.Caption", "", "Zwei", std::nullopt},
                               {"Form", "frm.Caption", "sTitle", "Titel", std::nullopt},
                               {"Form", "x", "sLong", "Lang", std::nullopt}});
    const std::string csv =
        "Type;Property;StringName;deutsch;ENGLISH\n"
        "Label;frm.a.Caption;;Zwei;Two\n"
        "Label;frm.a.Caption;;Eins;One\n"
        "Form;frm.Caption;sTitle;Titel;\"Title\r\n(new)\"\n"
        "Form;;sOther;;Other\n"
        "Form;x;sLong;Lang;" +
        std::string(1100, 'x') + "\n";
    const ImportPlan plan = Plan(Format::Csv, csv, table);
    ASSERT_FALSE(plan.fault) << plan.fault->Text();
    ASSERT_EQ(plan.changes.size(), 2u);
    EXPECT_EQ(plan.changes[0].row, 1);
    EXPECT_EQ(plan.changes[0].after, "Two");
    EXPECT_EQ(plan.changes[1].row, 0);
    ASSERT_EQ(plan.refused.size(), 2u);
    EXPECT_EQ(plan.refused[0].reason, exchange::Refusal::LineBreak);
    EXPECT_EQ(plan.refused[0].line, 4);
    EXPECT_EQ(plan.refused[1].reason, exchange::Refusal::TooLong);
    EXPECT_EQ(plan.refused[1].line, 7) << "the quoted line break counts";
    ASSERT_EQ(plan.unknown.size(), 1u);
    EXPECT_EQ(plan.unknown[0].key, "sOther");
}

struct BadFile {
    Format format;
    std::string bytes;
    int line;
    std::string message;  // the start of the fault's message
    std::uint64_t maxBytes = std::uint64_t{1} << 30;
};

std::string XliffWith(const std::string& file, const std::string& units) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n" +
           file + "<body>\n" + units + "</body></file></xliff>\n";
}

const std::string kFile = "<file original=\"Demo_translations.ptf\" target-language=\"en-GB\">";
const std::string kUnit =
    "<trans-unit id=\"sTitle\"><source>T</source><target>Ti</target>"
    "</trans-unit>\n";

// A file that cannot be imported names the line and the cause, and the plan holds nothing.
TEST(ExchangeImport, BadFilesFailWithLineAndCause) {
    const std::string good = XliffWith(kFile, kUnit);
    const std::vector<BadFile> cases = {
        {Format::Xliff, good.substr(0, good.size() - 20), 5, "die Datei endet mitten im XML"},
        {Format::Xliff, "", 1, "die Datei enthält kein XML"},
        {Format::Xliff, XliffWith(kFile, kUnit + "<trans-unit id=\"x\"></target>"), 5,
         "das schließende Tag"},
        {Format::Xliff, XliffWith(kFile, "<trans-unit id=\"sTitle\"><target>\xE9</target>"), 4,
         "ungültiges Zeichen"},
        {Format::Xliff,
         XliffWith(kFile, "<trans-unit id=\"sTitle\"><target>T</target>") + "<trans-unit", 4,
         "das schließende Tag"},
        {Format::Xliff, "<?xml version=\"1.0\" encoding=\"EBCDIC\"?><xliff/>", 1,
         "die Zeichenkodierung \"EBCDIC\" wird nicht unterstützt"},
        {Format::Xliff, "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><xliff/>", 1, "eine DOCTYPE"},
        {Format::Xliff, "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\"/>", 1,
         "XLIFF 2 wird nicht"},
        {Format::Xliff, "<html/>", 1, "keine XLIFF-Datei (das Wurzelelement ist <html>)"},
        {Format::Xliff, XliffWith(kFile, kUnit + kUnit), 5, "die Einheit \"sTitle\" steht schon"},
        {Format::Xliff, XliffWith("<file target-language=\"fr\">", kUnit), 3,
         "die Zielsprache der Datei ist \"fr\""},
        {Format::Xliff, XliffWith("<file original=\"C:\\P\\Other_translations.ptf\">", kUnit), 3,
         "die Datei gehört zur Übersetzungstabelle \"Other_translations.ptf\""},
        {Format::Xliff, XliffWith(kFile, "<trans-unit id=\"a\"><target>x</target></trans-unit>"), 4,
         "keine Einheit der Datei passt"},
        {Format::Xliff, good, 0, "die Datei ist größer als 1 MB", 100},
        {Format::Csv, "\xFF\xFEType", 1, "die Datei ist in UTF-16"},
        {Format::Csv,
         "Type,Property,StringName,Deutsch,English\r\n,,sTitle,,Stra\xDF"
         "e\r\n",
         2, "kein UTF-8"},
        {Format::Csv, "Type,Property,StringName,Deutsch,Français\r\n", 1,
         "die Kopfzeile passt nicht"},
        {Format::Csv, "Type,Property,StringName,Deutsch,English\r\n,,sTitle,,\"Ti\r\n", 2,
         "ein Feld in Anführungszeichen wird nicht geschlossen"},
        {Format::Csv, "Type,Property,StringName,Deutsch,English\r\n,,sTitle,\r\n", 2,
         "4 Felder statt 5"},
        {Format::Csv, "Type,Property,StringName,Deutsch,English\r\n,,sTitle,,T\"i\r\n", 2,
         "ein Anführungszeichen mitten"},
        {Format::Csv, "Type,Property,StringName,Deutsch,English\r\n,,sTitle,,\"T\"i\r\n", 2,
         "Zeichen nach dem schließenden"},
        {Format::Csv, "Type,Property,StringName,Deutsch,English\r\n,,sTitle,,a\r\n,,sTitle,,b\r\n",
         3, "der Datensatz \"sTitle\" kommt öfter vor"},
        {Format::Csv, "Type,Property,StringName,Deutsch,English\r\n,,sX,,a\r\n", 2,
         "keine Einheit der Datei passt"},
    };
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"Form", "frm.Caption", "sTitle", "T", std::nullopt}});
    exchange::ImportOptions options;
    options.targetCode = "en";
    options.original = "/home/p/Demo_translations.ptf";
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.message);
        options.maxFileBytes = bad.maxBytes;
        const ImportPlan plan = Plan(bad.format, bad.bytes, table, options);
        ASSERT_TRUE(plan.fault);
        EXPECT_EQ(plan.fault->line, bad.line);
        EXPECT_EQ(plan.fault->message.rfind(bad.message, 0), 0u) << plan.fault->message;
        const std::string at = bad.line > 0 ? ":" + std::to_string(bad.line) : "";
        EXPECT_EQ(plan.fault->Text().rfind("in.file" + at + ": ", 0), 0u);
        EXPECT_TRUE(plan.changes.empty() && plan.unchanged.empty() && plan.unknown.empty());
        EXPECT_THROW(exchange::ApplyImportPlan(plan, table), PtfError);
        EXPECT_TRUE(table.IsNullAt(0, 4));
    }

    // A declared Windows-1252 or Latin-1 file is no fault; the other project's codes may differ
    // in region only.
    for (const char* encoding : {"windows-1252", "ISO-8859-1"}) {
        const ImportPlan plan =
            Plan(Format::Xliff,
                 "<?xml version=\"1.0\" encoding=\"" + std::string(encoding) +
                     "\"?><xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">" + kFile +
                     "<trans-unit id=\"sTitle\"><target>Stra\xDF"
                     "e</target></trans-unit>"
                     "</file></xliff>",
                 table, options);
        ASSERT_FALSE(plan.fault) << plan.fault->Text();
        ASSERT_EQ(plan.changes.size(), 1u);
        EXPECT_EQ(plan.changes[0].after,
                  "Stra\xDF"
                  "e");
    }
}

TEST(ExchangeLanguages, CommonNamesGiveTheirCodes) {
    const std::vector<std::pair<std::string, std::string>> names = {
        {"Deutsch", "de"},
        {"german", "de"},
        {" English ", "en"},
        {"Englisch", "en"},
        {"Fran\xE7"
         "ais",
         "fr"},
        {"FRAN\xC7"
         "AIS",
         "fr"},
        {"Espa\xF1ol", "es"},
        {"Italiano", "it"},
        {"Nederlands", "nl"},
        {"Portugu\xEAs", "pt"},
        {"Deutsch (Schweiz)", "de-CH"},
        {"English (US)", "en-US"},
        {"Englisch (UK)", "en-GB"},
        {"American English", "en-US"},
        {"pt-BR", "pt-BR"},
        {"en", "en"},
        {"Klingonisch", ""},
        {"", ""},
        {"Deutsch (Mars)", "de"},
    };
    for (const auto& [name, code] : names) {
        EXPECT_EQ(exchange::GuessLanguageCode(name), code) << name;
    }
    for (const char* good : {"de", "en-US", "zh-Hant-TW", "x-klingon", "gsw"}) {
        EXPECT_TRUE(exchange::IsLanguageCode(good)) << good;
    }
    for (const char* bad : {"", "d", "deutsch", "de-", "de_DE", "e1", "de-toolongsubtag", "\"en"}) {
        EXPECT_FALSE(exchange::IsLanguageCode(bad)) << bad;
    }
    EXPECT_EQ(exchange::FormatForFile("a/B.XLF"), Format::Xliff);
    EXPECT_EQ(exchange::FormatForFile("b.xliff"), Format::Xliff);
    EXPECT_EQ(exchange::FormatForFile("C:\\x.y\\b.csv"), Format::Csv);
    EXPECT_FALSE(exchange::FormatForFile("b.po"));
}

}  // namespace
}  // namespace parlix
