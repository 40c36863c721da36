// What an import takes from a translator's file, case by case: each case is a file against one
// table, and the plan it yields written out unit by unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "exchange/csv_reader.h"
#include "exchange/exchange.h"
#include "exchange/exchange_support.h"
#include "exchange/planner.h"
#include "exchange/readers.h"

namespace parlix {
namespace {

using exchange::Format;
using exchange::ImportPlan;
using namespace std::string_literals;

// The table every case imports into: sA to sH named, two rows known by their Property only.
std::vector<testing::Row> RuleRows() {
    std::vector<testing::Row> rows;
    for (char c = 'A'; c <= 'H'; ++c) {
        const std::string letter(1, c);
        rows.push_back({"Label", "frm.lb" + letter + ".Caption", "s" + letter, letter,
                        c <= 'D' ? std::optional<std::string>("Old " + letter) : std::nullopt});
    }
    rows.push_back({"Button", "frm.btOk.Caption", "", "01067", "OK"});
    rows.push_back({"Button", "frm.btNo.Caption", "", "=Summe", std::nullopt});
    rows.push_back({"Label", "frm.lbU.Caption", "sU\x81", "U", "U\x9D"});  // undefined bytes
    return rows;
}

// The plan, one line per unit in the file's order: "LINE what KEY", with the new text of a
// change and the reason of a unit not taken; or the fault.
std::string Outcome(const ImportPlan& plan) {
    if (plan.fault) {
        return "fault " + plan.fault->Text();
    }
    std::vector<std::pair<int, std::string>> lines;
    auto add = [&lines](const exchange::ImportUnit& unit, const std::string& what,
                        const std::string& detail = "") {
        lines.emplace_back(unit.line, std::to_string(unit.line) + " " + what + " " + unit.key +
                                          (detail.empty() ? "" : " " + detail));
    };
    for (const exchange::ImportChange& change : plan.changes) {
        add(change, change.isNew ? "new" : "changed", "[" + change.after.value_or("<null>") + "]");
    }
    for (const exchange::ImportUnit& unit : plan.unchanged) {
        add(unit, "unchanged");
    }
    for (const exchange::ImportUnit& unit : plan.unknown) {
        add(unit, "unknown");
    }
    for (const exchange::RefusedUnit& unit : plan.refused) {
        add(unit, "refused", "(" + unit.detail + ")");
    }
    for (const exchange::HeldBackUnit& unit : plan.heldBack) {
        add(unit, unit.mark == exchange::TargetMark::Draft ? "draft" : "untranslated",
            "(" + unit.markedAs + ")");
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string all;
    for (const auto& [line, text] : lines) {
        all += text + "\n";
    }
    return all;
}

// An XLIFF file whose first <file> starts on line 3.
std::string Xliff(const std::string& body, const std::string& encoding = "UTF-8") {
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n"
           "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n" +
           body + "</xliff>\n";
}

std::string File(const std::string& units) {
    return "<file original=\"Demo_translations.ptf\" source-language=\"de\" datatype=\"plaintext\">"
           "<body>\n" +
           units + "</body></file>\n";
}

std::string Unit(const std::string& id, const std::string& attributes, const std::string& target) {
    return "<trans-unit id=\"" + id + "\"" + attributes + "><source>x</source>" + target +
           "</trans-unit>\n";
}

struct Rule {
    const char* what;
    Format format;
    std::string file;
    std::string outcome;
};

TEST(ExchangeImportRules, TakeOnlyWhatTheFileMeans) {
    const std::vector<Rule> rules = {
        {"targets that say they are not translated, and drafts, are listed, not taken",
         Format::Xliff,
         Xliff(File(
             Unit("sA", "", "<target state=\"needs-translation\">A</target>") +
             Unit("sB", "", "<target state=\"new\">B</target>") +
             Unit("sC", " approved=\"no\"", "<target state=\"needs-translation\">Cc</target>") +
             Unit("sD", "", "<target state=\"needs-review-translation\">Dd</target>") +
             Unit("sE", "", "<target state=\"needs-l10n\">Ee</target>") +
             Unit("sF", "", "<target state=\"needs-adaptation\">Ff</target>") +
             Unit("sG", " approved=\"yes\"", "<target state=\"final\">Gg</target>") +
             Unit("sH", "", "<target state=\"x-checked\">Hh</target>") +
             Unit("frm.btOk.Caption", "", "<target/>") +
             Unit("frm.btNo.Caption", " translate=\"no\"", "<target>Nein</target>"))),
         "4 untranslated sA (state=\"needs-translation\")\n"
         "5 untranslated sB (state=\"new\")\n"
         "6 draft sC (approved=\"no\")\n"
         "7 draft sD (state=\"needs-review-translation\")\n"
         "8 draft sE (state=\"needs-l10n\")\n"
         "9 draft sF (state=\"needs-adaptation\")\n"
         "10 new sG [Gg]\n"
         "11 new sH [Hh]\n"
         "12 untranslated frm.btOk.Caption (leeres <target>)\n"},
        {"the five characters Windows-1252 leaves undefined come into no text", Format::Xliff,
         Xliff(File(Unit("sA", "", "<target>A\xC2\x81 \xC2\x8D</target>") +
                    Unit("sB", "", "<target>\xC2\x8F\xC2\x90\xC2\x9D</target>") +
                    Unit("sU\xC2\x81", "", "<target>U\xC2\x9D</target>"))),
         "4 refused sA (Zeichen, die Windows-1252 nicht kennt: U+0081, U+008D)\n"
         "5 refused sB (Zeichen, die Windows-1252 nicht kennt: U+008F, U+0090, U+009D)\n"
         "6 unchanged sU\xC2\x81\n"},
        {"... in CSV neither", Format::Csv,
         "Type,Property,StringName,Deutsch,English\r\n"
         "Label,frm.lbA.Caption,sA,A,A\xC2\x81\r\n"
         "Label,frm.lbU.Caption,sU\xC2\x81,U,U\xC2\x9D\r\n",
         "2 refused sA (Zeichen, die Windows-1252 nicht kennt: U+0081)\n"
         "3 unchanged sU\xC2\x81\n"},
        {"a byte-order mark that contradicts the declared encoding", Format::Xliff,
         "\xEF\xBB\xBF" + Xliff(File(Unit("sA", "", "<target>Caf\xC3\xA9</target>")), "ISO-8859-1"),
         "fault in.file:1: die Datei beginnt mit der Byte-Reihenfolge-Markierung von UTF-8, gibt "
         "aber die Zeichenkodierung \"ISO-8859-1\" an"},
        {"... or Windows-1252", Format::Xliff,
         "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><xliff/>",
         "fault in.file:1: die Datei beginnt mit der Byte-Reihenfolge-Markierung von UTF-8, gibt "
         "aber die Zeichenkodierung \"windows-1252\" an"},
        {"a byte-order mark that agrees is read", Format::Xliff,
         "\xEF\xBB\xBF" + Xliff(File(Unit("sA", "", "<target>Caf\xC3\xA9</target>"))),
         "4 changed sA [Caf\xE9]\n"},
        {"a record a spreadsheet converted is refused; a formula's apostrophe is removed",
         Format::Csv,
         "Type;Property;StringName;Deutsch;English\r\n"
         "Button;frm.btOk.Caption;;1067;Okay\r\n"
         "Label;frm.lbB.Caption;sB;2024-01-02;Bee\r\n"
         "Label;#NAME?;sC;C;Cee\r\n"
         "#NAME?;frm.lbD.Caption;sD;D;Dee\r\n"
         "Button;frm.btNo.Caption;;'=Summe;'=Nein\r\n"
         "Label;frm.lbE.Caption;sE;E;'abc\r\n"
         "Label;frm.lbF.Caption;sF;F;''+x\r\n",
         "2 refused frm.btOk.Caption (Spalte Deutsch passt nicht zur Tabelle - die Datei wurde "
         "wohl von einer Tabellenkalkulation umgewandelt; alle Spalten als Text öffnen)\n"
         "3 refused sB (Spalte Deutsch passt nicht zur Tabelle - die Datei wurde wohl von einer "
         "Tabellenkalkulation umgewandelt; alle Spalten als Text öffnen)\n"
         "4 refused sC (Spalte Property passt nicht zur Tabelle - die Datei wurde wohl von "
         "einer Tabellenkalkulation umgewandelt; alle Spalten als Text öffnen)\n"
         "5 refused sD (Spalte Type passt nicht zur Tabelle - die Datei wurde wohl von einer "
         "Tabellenkalkulation umgewandelt; alle Spalten als Text öffnen)\n"
         "6 new frm.btNo.Caption [=Nein]\n"
         "7 new sE ['abc]\n"
         "8 new sF ['+x]\n"},
        {"a NUL byte is named with its line", Format::Csv,
         "Type,Property,StringName,Deutsch,English\r\n"
         "Label,frm.lbA.Caption,sA,A,Ay\r\n"
         "Label,frm.lbB.Caption,sB,B,B\0y\r\n"s,
         "fault in.file:3: ein Null-Byte: keine Textdatei, oder in UTF-16 ohne "
         "Byte-Reihenfolge-Markierung gespeichert"},
        {"a unit of a later <file> replaces an earlier one's (po2xliff -t)", Format::Xliff,
         Xliff(File(Unit("sA", "", "<target>A1</target>") + Unit("sX", "", "<target>x</target>") +
                    Unit("sB", "", "<target>Bb</target>")) +
               File(Unit("sA", "", "<target>A2</target>") + Unit("sX", "", "<target>x</target>"))),
         "6 changed sB [Bb]\n"
         "9 changed sA [A2]\n"
         "10 unknown sX\n"},
        {"inside one <file> a repeated unit is a fault", Format::Xliff,
         Xliff(File(Unit("sA", "", "<target>A1</target>")) +
               File(Unit("sA", "", "<target>A2</target>") + Unit("sA", "", "<target>A3</target>"))),
         "fault in.file:8: die Einheit \"sA\" steht schon in Zeile 7"},
    };
    for (const Rule& rule : rules) {
        SCOPED_TRACE(rule.what);
        PtfTable table;
        testing::FillTranslations(table, "Deutsch", "English", RuleRows());
        EXPECT_EQ(Outcome(testing::Plan(rule.format, rule.file, table)), rule.outcome);
    }
}

// The CSV reader reads a file a piece at a time: records, quoted fields, doubled quotes, line
// breaks of every kind and characters of several bytes read the same wherever a piece ends.
TEST(ExchangeImportRules, CsvRecordsReadTheSameAcrossPieces) {
    const std::string records =
        "Label,frm.lbA.Caption,sA,A,\"Caf\xC3\xA9 \"\"quoted\"\", end\"\r\n"
        "Label,frm.lbB.Caption,sB,B,\"two\r\nlines\"\r\n"
        "Label,frm.lbC.Caption,sC,C,\"lone\rCR\"\n"
        "Label,frm.lbD.Caption,sD,D,\xE2\x82\xAC\r\n";
    const std::string expected =
        "2 unknown sPad\n"
        "3 changed sA [Caf\xE9 \"quoted\", end]\n"
        "4 refused sB (Zeilenumbruch im Text)\n"
        "6 refused sC (Zeilenumbruch im Text)\n"
        "8 changed sD [\x80]\n";
    const std::string header = "Type,Property,StringName,Deutsch,English\r\n";
    for (std::size_t at = 0; at <= records.size(); ++at) {  // where the first piece ends
        const std::string padding(exchange::detail::kCsvPiece - header.size() - 13 - at, 'x');
        PtfTable table;
        testing::FillTranslations(table, "Deutsch", "English", RuleRows());
        const std::string file = header + "Form,,sPad,," + padding + "\n" + records;
        ASSERT_EQ(Outcome(testing::Plan(Format::Csv, file, table)), expected) << at;
    }
}

// Running out of memory while reading names the file, the line and the cause, and leaves an
// empty plan.
TEST(ExchangeImportRules, RunningOutOfMemoryNamesTheLine) {
    for (Format format : {Format::Xliff, Format::Csv}) {
        PtfTable table;
        testing::FillTranslations(table, "Deutsch", "English", RuleRows());
        const std::string file = testing::Export(format, table, testing::GermanEnglish());
        std::size_t cut = 0;  // where line 6 starts: memory runs out when it is read
        for (int line = 1; line < 6; ++line) {
            cut = file.find('\n', cut) + 1;
        }
        const exchange::detail::OpenFile open = [&file, cut]() -> exchange::detail::ReadMore {
            return [&file, cut, at = std::size_t{0}](char* buffer, std::size_t size) mutable {
                if (at == cut) {
                    throw std::bad_alloc();
                }
                const std::size_t got = std::min({size, std::size_t{16}, cut - at});
                std::copy_n(file.data() + at, got, buffer);
                at += got;
                return got;
            };
        };
        exchange::ImportPlan plan;
        plan.file = "in.file";
        exchange::detail::Planner planner(plan, table, format == Format::Xliff);
        if (format == Format::Xliff) {
            exchange::detail::ReadXliff(open(), planner, {});
        } else {
            exchange::detail::ReadCsv(open, planner,
                                      {"Type", "Property", "StringName", "Deutsch", "English"}, {});
        }
        ASSERT_TRUE(plan.fault);
        EXPECT_EQ(plan.fault->Text(),
                  "in.file:6: nicht genug Arbeitsspeicher, um die Datei zu lesen");
        EXPECT_TRUE(plan.changes.empty() && plan.unchanged.empty() && plan.unknown.empty());
    }
}

}  // namespace
}  // namespace parlix
