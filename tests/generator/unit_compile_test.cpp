// The generated units compile with Free Pascal in Delphi mode and assign the right texts: each
// case is compiled with a small program and stub units for the forms, once for each language,
// and the program prints what ParlixTranslate assigned. Skipped where fpc is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "build_test_support.h"
#include "generator/pascal_stubs.h"
#include "generator/unit_generator.h"

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
};

// Generates the unit with `language` defined in it, compiles it with the program, runs the
// program and compares what it writes.
void ExpectCompilesAndTranslates(const CompileCase& test, int language) {
    SCOPED_TRACE("language " + std::to_string(language));
    const std::string fpc = FindFpc();
    if (fpc.empty()) {
        GTEST_SKIP() << "fpc is not installed";
    }
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
    testing::WriteBytes(dir.File(unitName + ".pas"), GenerateUnit(state, table));

    std::string program = "program translate;\n\nuses " + test.uses + ", " + unitName +
                          ";\n\nbegin\n  ParlixTranslate();\n";
    for (const std::string& expression : test.printed) {
        program += "  Writeln(" + expression + ");\n";
    }
    program += "end.\n";
    testing::WriteBytes(dir.File("translate.pas"), program);

    const std::string folder = dir.Path().string();
    const std::string log = dir.File("fpc.log");
    const int compiled =
        std::system(("cd '" + folder + "' && '" + fpc + "' -Mdelphi -FU'" + folder + "' -FE'" +
                     folder + "' translate.pas >'" + log + "' 2>&1")
                        .c_str());
    ASSERT_EQ(compiled, 0) << "fpc failed:\n"
                           << testing::ReadBytes(log) << "\nunit:\n"
                           << testing::ReadBytes(dir.File(unitName + ".pas"));

    const std::string output = dir.File("output.txt");
    ASSERT_EQ(std::system(("'" + dir.File("translate") + "' >'" + output + "'").c_str()), 0);
    std::string expected;
    for (const std::string& line : test.expected[language - 1]) {
        expected += line + "\n";
    }
    EXPECT_EQ(testing::ReadBytes(output), expected);
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
    ExpectCompilesAndTranslates(test, 1);
    ExpectCompilesAndTranslates(test, 2);
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
    ExpectCompilesAndTranslates(test, 1);
    ExpectCompilesAndTranslates(test, 2);
}

// Texts far beyond 255 characters, as constants and as literals, with apostrophes where the
// literals are cut.
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
    test.rows = {
        {"", "frmMain.Caption", "sLong", text(1000, 'a'), text(256, 'A')},
        {"", "frmMain.btOK.Hint", "", text(600, 'A'), text(1024, 'a')},
    };
    test.printed = {"frmMain.Caption", "sLong", "frmMain.btOK.Hint"};
    test.expected[0] = {text(1000, 'a'), text(1000, 'a'), text(600, 'A')};
    test.expected[1] = {text(256, 'A'), text(256, 'A'), text(1024, 'a')};
    ExpectCompilesAndTranslates(test, 1);
    ExpectCompilesAndTranslates(test, 2);
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
    ExpectCompilesAndTranslates(codes, 2);
}

}  // namespace
}  // namespace parlix
