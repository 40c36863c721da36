// The generated units compile with Free Pascal in Delphi mode and assign the right texts: each
// case is compiled with a small program and stub units for the forms, once for each language
// (and for most in both encodings), and the program prints what ParlixTranslate assigned.
// Needs fpc and, for the Lazarus program, the component library (see required_tools.h).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "build_test_support.h"
#include "generator/pascal_stubs.h"
#include "generator/unit_generator.h"
#include "table/cp1252.h"

namespace parlix {
namespace {

using testing::FindFpc;
using testing::FormUnit;
using testing::Row;
using testing::TempDir;

struct CompileCase {
    std::string sourceFileName;  // gives the unit name
    std::string uses;            // the stub units, also the program's uses list
    std::vector<std::pair<std::string, std::string>> stubs;  // unit name, source
    std::vector<Row> rows;
    std::vector<std::string> printed;      // expressions the program writes, one a line
    std::vector<std::string> expected[2];  // the lines it should write in language 1 and 2
    std::vector<std::string> lclUnits;     // a Lazarus program: the library's unit folders
};

// Generates the unit with `language` defined in it, compiles it with the program, runs the
// program and compares what it writes. A unit in UTF-8 is run as a Lazarus program runs, with
// UTF-8 as the code page of its strings, and writes the texts in UTF-8.
void ExpectCompilesAndTranslates(const CompileCase& test, int language,
                                 UnitEncoding encoding = UnitEncoding::Windows1252) {
    SCOPED_TRACE("language " + std::to_string(language) +
                 (encoding == UnitEncoding::Utf8 ? ", UTF-8" : ", Windows-1252"));
    const std::string fpc = FindFpc();
    REQUIRE_TOOL(!fpc.empty(), "fpc (fp-compiler)");
    TempDir dir;
    for (const auto& [name, source] : test.stubs) {
        testing::WriteBytes(dir.File(name + ".pas"), source);
    }
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English", test.rows);
    ProjectState state;
    state.SourceFileName = test.sourceFileName;
    state.UsesList = test.uses;
    state.LanguageNames = {"", "Deutsch", "English"};
    state.BuildLanguage = language;
    const std::string unitName = UnitNameFor(test.sourceFileName);
    const std::string unit = GenerateUnit(state, table, encoding);
    testing::WriteBytes(dir.File(unitName + ".pas"), unit);

    const bool lazarus = !test.lclUnits.empty();
    std::string program = "program translate;\n\nuses " +
                          std::string(lazarus ? "Interfaces, " : "") + test.uses + ", " + unitName +
                          ";\n\nbegin\n";
    if (encoding == UnitEncoding::Utf8) {
        if (!lazarus) {  // the component library does this itself
            program += "  DefaultSystemCodePage := CP_UTF8;\n";
        }
        program += "  SetTextCodePage(Output, CP_UTF8);\n";
    }
    program += "  ParlixTranslate();\n";
    for (const std::string& expression : test.printed) {
        program += "  Writeln(" + expression + ");\n";
    }
    program += "end.\n";
    testing::WriteBytes(dir.File("translate.pas"), program);

    std::string output;
    std::string log;
    ASSERT_TRUE(testing::CompileAndRun(fpc, dir.Path().string(), "translate.pas", {}, output, log,
                                       test.lclUnits))
        << log << "\nunit:\n"
        << unit;
    std::string expected;
    for (const std::string& line : test.expected[language - 1]) {
        expected += line + "\n";
    }
    EXPECT_EQ(output, encoding == UnitEncoding::Utf8 ? Cp1252ToUtf8(expected) : expected);
}

// Both languages in both encodings.
void ExpectCompilesAndTranslatesEverywhere(const CompileCase& test) {
    for (UnitEncoding encoding : {UnitEncoding::Windows1252, UnitEncoding::Utf8}) {
        ExpectCompilesAndTranslates(test, 1, encoding);
        ExpectCompilesAndTranslates(test, 2, encoding);
    }
}

TEST(UnitCompiles, WorkedExample) {
    CompileCase test;
    test.sourceFileName = "C:\\Projekte\\Adressen\\uTexte.pas";
    test.uses = "uAddress, uAbout";
    test.stubs = {{"uAddress", FormUnit("uAddress", "frmAddress", {"btClose"})},
                  {"uAbout", FormUnit("uAbout", "frmAbout", {"btClose"})}};
    test.rows = testing::WorkedExampleRows();
    test.printed = {"frmAddress.Caption", "frmAddress.btClose.Caption", "frmAbout.btClose.Caption",
                    "sNotFound"};
    test.expected[0] = {"Adressbuch", "Fertig", "Fertig", "Nicht gefunden"};
    test.expected[1] = {"Address book", "Done", "Done", "Not found"};
    ExpectCompilesAndTranslatesEverywhere(test);
}

// Apostrophes anywhere in a text, also one that would close the literal and run code if it
// were written single, and Windows-1252 text byte for byte.
TEST(UnitCompiles, Apostrophes) {
    CompileCase test;
    test.sourceFileName = "uTexte.pas";
    test.uses = "uMain";
    test.stubs = {{"uMain", FormUnit("uMain", "frmMain", {"lblInfo"})}};
    test.rows = {
        {"", "frmMain.Caption", "sTitle", "Geht's los", "Let's go"},
        {"", "frmMain.lblInfo.Caption, frmMain.lblInfo.Hint", "", "'); Halt(3); //",
         "It's 'quoted'"},
        {"", "", "sQuote", "'", "''"},
        {"", "frmMain.Hint", "",
         "\xDC"
         "ber's Ziel",
         "Caf\xE9's"},
    };
    test.printed = {"frmMain.Caption", "frmMain.lblInfo.Caption", "frmMain.lblInfo.Hint", "sQuote",
                    "frmMain.Hint"};
    test.expected[0] = {"Geht's los", "'); Halt(3); //", "'); Halt(3); //", "'",
                        "\xDC"
                        "ber's Ziel"};
    test.expected[1] = {"Let's go", "It's 'quoted'", "It's 'quoted'", "''", "Caf\xE9's"};
    ExpectCompilesAndTranslatesEverywhere(test);
}

// Texts far beyond 255 characters, as constants and as literals, with apostrophes where the
// literals are cut; in UTF-8, umlauts take two bytes and the euro sign three.
TEST(UnitCompiles, LongTexts) {
    auto text = [](std::size_t length, char first) {
        std::string result;
        for (std::size_t i = 0; i < length; ++i) {
            result += static_cast<char>(first + i % 26);
        }
        for (std::size_t cut = 254; cut + 1 < length; cut += 255) {
            result[cut] = '\'';
            result[cut + 1] = '\'';
        }
        return result;
    };
    CompileCase test;
    test.sourceFileName = "uLang";
    test.uses = "uMain";
    test.stubs = {{"uMain", FormUnit("uMain", "frmMain", {"btOK"})}};
    std::string umlauts;
    while (umlauts.size() < 1000) {
        umlauts +=
            "Gr\xF6\xDF"
            "e '\x80' ";
    }
    umlauts += "Ende";  // the unit drops blanks at the ends
    test.rows = {
        {"", "frmMain.Caption", "sLong", text(1000, 'a'), text(256, 'A')},
        {"", "frmMain.btOK.Hint", "", text(600, 'A'), text(1024, 'a')},
        {"", "frmMain.btOK.Caption", "", umlauts, umlauts.substr(0, 299)},
    };
    test.printed = {"frmMain.Caption", "sLong", "frmMain.btOK.Hint", "frmMain.btOK.Caption"};
    test.expected[0] = {text(1000, 'a'), text(1000, 'a'), text(600, 'A'), umlauts};
    test.expected[1] = {text(256, 'A'), text(256, 'A'), text(1024, 'a'), umlauts.substr(0, 299)};
    ExpectCompilesAndTranslatesEverywhere(test);
}

// A Lazarus program's strings are UTF-8: a unit in Windows-1252 gives its controls invalid
// text (GTK shows a button's design-time caption instead), the unit in UTF-8 every character.
TEST(UnitCompiles, InALazarusProgram) {
    const std::vector<std::string> lcl = testing::FindLclUnits();
    REQUIRE_TOOL(!lcl.empty(), "the Lazarus component library (lcl-units-2.2, lcl-nogui-2.2)");
    CompileCase test;
    test.sourceFileName = "uTexte.pas";
    test.uses = "uMain";
    test.stubs = {{"uMain", testing::LclFormUnit("uMain", "frmMain")}};
    test.rows = {
        {"", "frmMain.Caption", "sTitle",
         "Stra\xDF"
         "e, Gr\xF6\xDF"
         "e:",
         "Street, size:"},
        {"", "frmMain.btOK.Caption, frmMain.lblInfo.Hint", "",
         "\xDC"
         "bernehmen",
         "Apply"},
        {"", "frmMain.lblInfo.Caption", "", "'\x80' 10 \x97 na\xEFv", "\xA3 \xA9 \x85"},
    };
    test.printed = {"frmMain.Caption", "frmMain.btOK.Caption", "frmMain.lblInfo.Hint",
                    "frmMain.lblInfo.Caption"};
    test.expected[0] = {
        "Stra\xDF"
        "e, Gr\xF6\xDF"
        "e:",
        "\xDC"
        "bernehmen",
        "\xDC"
        "bernehmen",
        "'\x80' 10 \x97 na\xEFv"};
    test.expected[1] = {"Street, size:", "Apply", "Apply", "\xA3 \xA9 \x85"};
    test.lclUnits = lcl;
    ExpectCompilesAndTranslates(test, 1, UnitEncoding::Utf8);
    ExpectCompilesAndTranslates(test, 2, UnitEncoding::Utf8);
}

// A table without constant names gives a unit without "const"; characters below 32 reach
// the program as they stand in the table.
TEST(UnitCompiles, NoConstantsAndControlCharacters) {
    CompileCase empty;
    empty.sourceFileName = "uEmpty.pas";
    empty.uses = "uMain";
    empty.stubs = {{"uMain", FormUnit("uMain", "frmMain", {})}};
    ExpectCompilesAndTranslates(empty, 1);

    CompileCase codes = empty;
    codes.rows = {{"", "frmMain.Caption", "", "Zeile 1\tZeile 2",
                   "a\x1A"
                   "b"}};
    codes.printed = {"frmMain.Caption"};
    codes.expected[0] = {"Zeile 1\tZeile 2"};
    codes.expected[1] = {
        "a\x1A"
        "b"};
    ExpectCompilesAndTranslates(codes, 1);
    ExpectCompilesAndTranslates(codes, 2);

    codes.rows.push_back({"", "frmMain.Hint", "sCodes", "x\x01y\x1Fz", "'\x07'"});
    codes.printed.push_back("frmMain.Hint");
    codes.expected[0].push_back("x\x01y\x1Fz");
    codes.expected[1].push_back("'\x07'");
    ExpectCompilesAndTranslatesEverywhere(codes);
}

}  // namespace
}  // namespace parlix
