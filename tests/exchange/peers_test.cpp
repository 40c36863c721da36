// The exchange files against the tools translators use: every XLIFF export is valid by the
// XLIFF 1.2 strict schema (xmllint), Debian's translate-toolkit reads our XLIFF (pocount,
// xliff2po) and CSV (csv2po), and what it writes imports back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/exchange.h"
#include "exchange/exchange_support.h"
#include "project/project_files.h"
#include "required_tools.h"
#include "review/source_memory.h"
#include "table/ptf_format.h"
#include "test_support.h"

namespace parlix {
namespace {

using exchange::Format;
using testing::ReadBytes;
using testing::Row;
using testing::TempDir;
using testing::WriteBytes;

bool HaveTranslateToolkit() {
    for (const char* program : {"pocount", "xliff2po", "po2xliff", "csv2po"}) {
        if (testing::FindProgram(program).empty()) {
            return false;
        }
    }
    return true;
}

// pocount, xliff2po, po2xliff and csv2po.
#define REQUIRE_TRANSLATE_TOOLKIT() REQUIRE_TOOL(HaveTranslateToolkit(), "translate-toolkit")

// Runs a command, its output (standard output, when `out` is given) going to a file.
int Shell(const std::string& command, const std::string& out = "/dev/null") {
    return std::system((command + " >'" + out + "' 2>/dev/null").c_str());
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Texts a translator's tool must carry unchanged: markup characters, quotes, backslashes,
// blanks at the ends, tabs, and every byte from 0x80 to 0xFF.
std::vector<Row> PeerRows() {
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) {
        high += static_cast<char>(b);
    }
    return {
        {"Form", "frmMain.Caption", "sTitle", "Adressbuch", "Address book"},
        {"Label", "frmMain.lbA.Caption", "", "<b>&amp; \"A\" ]]> 'x'", std::nullopt},
        {"Label", "frmMain.lbB.Caption", "",
         " Stra\xDF"
         "e\t\\n ",
         std::string()},
        {"Hint", "frmMain.lbB.Hint", "sHint", high, "\x80 \x9F"},
        {"Button", "frmMain.btA.Caption, frmMain.btB.Caption", "",
         "Schlie\xDF"
         "en",
         "Close"},
        {"Button", "frmMain.btA.Caption, frmMain.btB.Caption", "", "Zu", "Shut"},
    };
}

// The test tables and the example project, exported whole and with only their untranslated
// rows, are valid XLIFF 1.2 by the strict schema: nulls, empty texts, empty sources, control
// characters and every high byte included.
TEST(ExchangeSchema, EveryXliffExportValidatesAgainstTheStrictSchema) {
    REQUIRE_TOOL(!testing::FindProgram("xmllint").empty(), "xmllint (libxml2-utils)");
    std::vector<std::pair<std::string, std::vector<Row>>> tables = {
        {"peers", PeerRows()},
        {"worked", testing::WorkedExampleRows()},
    };
    for (unsigned seed = 1; seed <= 4; ++seed) {
        tables.emplace_back("random" + std::to_string(seed), testing::RandomRows(seed, 60));
    }
    TempDir dir;
    std::string files;
    auto exportBoth = [&](const std::string& name, PtfTable& table,
                          const review::SourceMemory* marks = nullptr) {
        for (bool onlyUntranslated : {false, true}) {
            exchange::ExportOptions options = testing::GermanEnglish();
            options.onlyUntranslated = onlyUntranslated;
            options.marks = marks;
            const std::string path =
                dir.File(name + (onlyUntranslated ? "-untranslated" : "") + ".xlf");
            exchange::ExportFile(path, Format::Xliff, table, options);
            files += " " + Quoted(path);
        }
    };
    for (const auto& [name, rows] : tables) {
        PtfTable table;
        testing::FillTranslations(table, "Deutsch", "English", rows);
        review::SourceMemory marks(table);  // a changed source and a draft
        marks.Reset({{table.IdAt(0), {"<alt> & \x80"}}, {table.IdAt(2), {}}});
        exportBoth(name, table, &marks);
    }
    PtfTable example;
    DefineTranslationFields(example);
    RenameLanguageFields(example, "Deutsch", "English");
    LoadPtfFile(PARLIX_EXAMPLES_DIR "/addressbook/AddressBook_translations.ptf", example);
    example.Open();
    exportBoth("example", example);

    const std::string report = dir.File("xmllint.txt");
    const int status = std::system(("xmllint --noout --schema " + Quoted(PARLIX_XLIFF_SCHEMA) +
                                    files + " >" + Quoted(report) + " 2>&1")
                                       .c_str());
    EXPECT_EQ(status, 0) << ReadBytes(report);
}

class PeersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::FillTranslations(table_, "Deutsch", "English", PeerRows());
        before_ = testing::Values(table_);
    }

    std::string ExportTo(const std::string& name, Format format, char delimiter = ',') {
        const std::string path = dir_.File(name);
        exchange::ExportFile(path, format, table_, testing::GermanEnglish(delimiter));
        return path;
    }

    PtfTable table_;
    std::string before_;
    TempDir dir_;
};

TEST_F(PeersTest, PocountCountsEveryUnitOfOurXliff) {
    REQUIRE_TRANSLATE_TOOLKIT();
    const std::string xliff = ExportTo("demo.xlf", Format::Xliff);
    const std::string counts = dir_.File("counts.csv");
    ASSERT_EQ(Shell("pocount --csv " + Quoted(xliff), counts), 0);
    // "Filename, Translated Messages, ..., Untranslated Messages, ..., Total Message, ..."
    std::istringstream lines(ReadBytes(counts));
    std::string header;
    std::string line;
    std::getline(lines, header);
    std::getline(lines, line);
    std::vector<std::string> fields;
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, ',');) {
        fields.push_back(field);
    }
    ASSERT_GE(fields.size(), 9u) << ReadBytes(counts);
    EXPECT_EQ(std::stoi(fields[1]), 4) << "translated";
    EXPECT_EQ(std::stoi(fields[6]), 2) << "untranslated";
    EXPECT_EQ(std::stoi(fields[8]), 6) << "total";
}

// xliff2po turns our XLIFF into a PO file; the translator edits it and marks one entry fuzzy,
// po2xliff turns it back, alone or after the template (-t: a second <file> whose units repeat
// the template's), and the import takes exactly the edited translations, the fuzzy one as a
// draft whose row stays to review.
TEST_F(PeersTest, XliffThroughPoAndBackImportsTheTranslatorsEdit) {
    REQUIRE_TRANSLATE_TOOLKIT();
    const std::string xliff = ExportTo("demo.xlf", Format::Xliff);
    const std::string po = dir_.File("demo.po");
    ASSERT_EQ(Shell("xliff2po " + Quoted(xliff) + " " + Quoted(po)), 0);
    std::string text = ReadBytes(po);
    EXPECT_NE(text.find("msgid \"<b>&amp; \\\"A\\\" ]]> 'x'\""), std::string::npos) << text;
    EXPECT_NE(text.find("#: frmMain.lbB.Caption"), std::string::npos);
    EXPECT_NE(text.find("#. Type: Hint"), std::string::npos) << "the notes reach the translator";
    auto replace = [&text](const std::string& from, const std::string& to) {
        ASSERT_NE(text.find(from), std::string::npos) << from;
        text.replace(text.find(from), from.size(), to);
    };
    replace("msgstr \"Close\"", "msgstr \"Close \xE2\x82\xAC\"");
    replace("msgid \"Zu\"\nmsgstr \"Shut\"", "#, fuzzy\nmsgid \"Zu\"\nmsgstr \"Shut up\"");
    WriteBytes(po, text);

    for (const std::string& template_ : {std::string(), "-t " + Quoted(xliff) + " "}) {
        SCOPED_TRACE("po2xliff " + template_);
        const std::string back = dir_.File("back.xlf");
        ASSERT_EQ(Shell("po2xliff " + template_ + Quoted(po) + " " + Quoted(back)), 0);
        const exchange::ImportPlan plan = exchange::PlanImport(back, table_, {});
        ASSERT_FALSE(plan.fault) << plan.fault->Text();
        ASSERT_EQ(plan.changes.size(), 2u);
        EXPECT_EQ(plan.changes[0].after, "Close \x80");
        EXPECT_EQ(plan.changes[0].draft, "");
        EXPECT_EQ(plan.changes[1].after, "Shut up");
        EXPECT_EQ(plan.changes[1].draft, "approved=\"no\"");
        EXPECT_EQ(plan.unchanged.size(), 2u);
        EXPECT_EQ(plan.UntranslatedCount(), 2);
        EXPECT_EQ(plan.DraftCount(), 1);
        EXPECT_TRUE(plan.unknown.empty() && plan.refused.empty());
    }
}

// A translation to review goes out unapproved, xliff2po makes it a fuzzy entry, and when the
// translator leaves it fuzzy it comes back as a draft: its row stays to review, with the text
// its translation was made from.
TEST_F(PeersTest, AFuzzyEntryStaysToReviewThroughPo) {
    REQUIRE_TRANSLATE_TOOLKIT();
    review::SourceMemory marks(table_);
    table_.SetJournal(&marks);
    marks.Reset({{table_.IdAt(0), {"Adressen"}}});
    const std::string xliff = dir_.File("demo.xlf");
    exchange::ExportOptions options = testing::GermanEnglish();
    options.marks = &marks;
    exchange::ExportFile(xliff, Format::Xliff, table_, options);
    EXPECT_NE(ReadBytes(xliff).find(
                  "<trans-unit id=\"sTitle\" xml:space=\"preserve\" approved=\"no\">\n"
                  "        <source>Adressbuch</source>\n"
                  "        <target state=\"needs-review-translation\">Address book</target>\n"
                  "        <note from=\"parlix\">Previous source: Adressen</note>\n"),
              std::string::npos)
        << ReadBytes(xliff);
    const std::string po = dir_.File("demo.po");
    ASSERT_EQ(Shell("xliff2po " + Quoted(xliff) + " " + Quoted(po)), 0);
    EXPECT_NE(ReadBytes(po).find("#, fuzzy\nmsgid \"Adressbuch\"\nmsgstr \"Address book\""),
              std::string::npos)
        << ReadBytes(po);
    const std::string back = dir_.File("back.xlf");
    ASSERT_EQ(Shell("po2xliff " + Quoted(po) + " " + Quoted(back)), 0);
    const exchange::ImportPlan plan = exchange::PlanImport(back, table_, {});
    ASSERT_FALSE(plan.fault) << plan.fault->Text();
    EXPECT_EQ(plan.DraftCount(), 1);
    exchange::ApplyImportPlan(plan, table_, &marks);
    ASSERT_EQ(marks.Count(), 1);
    EXPECT_EQ(marks.MarkOf(table_.IdAt(0))->source, "Adressen");
    table_.SetJournal(nullptr);
}

// A script fills the targets with the toolkit's own XLIFF writer; every one imports back but
// the copy of the source that holds every high byte: the five that Windows-1252 leaves
// undefined came out as C1 controls, and no import writes those into the table.
TEST_F(PeersTest, TargetsFilledByAScriptImportBack) {
    REQUIRE_TRANSLATE_TOOLKIT();
    const std::string xliff = ExportTo("demo.xlf", Format::Xliff);
    const std::string script = dir_.File("fill.py");
    WriteBytes(script,
               "import sys\n"
               "from translate.storage import xliff\n"
               "store = xliff.xlifffile.parsefile(sys.argv[1])\n"
               "for unit in store.units:\n"
               "    unit.target = '\\u00bb' + unit.source + '\\u00ab'\n"
               "store.savefile(sys.argv[1])\n");
    ASSERT_EQ(Shell("/usr/bin/python3 " + Quoted(script) + " " + Quoted(xliff)), 0);
    const exchange::ImportPlan plan = exchange::PlanImport(xliff, table_, {});
    ASSERT_FALSE(plan.fault) << plan.fault->Text();
    ASSERT_EQ(plan.changes.size(), 5u);
    ASSERT_EQ(plan.refused.size(), 1u);
    EXPECT_EQ(plan.refused[0].key, "sHint");
    EXPECT_EQ(plan.refused[0].detail,
              "Zeichen, die Windows-1252 nicht kennt: U+0081, U+008D, U+008F, U+0090, U+009D");
    EXPECT_TRUE(plan.unknown.empty());
    ASSERT_EQ(exchange::ApplyImportPlan(plan, table_), 5);
    for (int row = 0; row < table_.RecordCount(); ++row) {
        if (row != plan.refused[0].row) {
            EXPECT_EQ(table_.TextAt(row, 4), "\xBB" + table_.TextAt(row, 3) + "\xAB");
        }
    }
}

// csv2po reads our CSV, with either delimiter, once told which column is which.
TEST_F(PeersTest, Csv2poReadsOurCsv) {
    REQUIRE_TRANSLATE_TOOLKIT();
    for (char delimiter : {',', ';'}) {
        const std::string csv = ExportTo("demo.csv", Format::Csv, delimiter);
        const std::string po = dir_.File("demo.po");
        ASSERT_EQ(Shell("csv2po --columnorder=developer_comments,location,context,source,target " +
                        Quoted(csv) + " " + Quoted(po)),
                  0);
        const std::string text = ReadBytes(po);
        for (const char* expected : {
                 "#: frmMain.Caption\nmsgid \"Adressbuch\"\nmsgstr \"Address book\"",
                 "msgid \"<b>&amp; \\\"A\\\" ]]> 'x'\"\nmsgstr \"\"",
                 "\" Stra\xC3\x9F"
                 "e\\t\\\\n\"",
                 "msgstr \"\xE2\x82\xAC \xC5\xB8\"",
                 "msgid \"Schlie\xC3\x9F"
                 "en\"\nmsgstr \"Close\"",
             }) {
            EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin\n" << text;
        }
    }
}

}  // namespace
}  // namespace parlix
