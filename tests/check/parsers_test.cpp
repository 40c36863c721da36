// The readers of names and texts the checks are built on, against tricky inputs.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "check/compiler_symbols.h"
#include "check/first_seen.h"
#include "check/pascal_names.h"
#include "check/text_marks.h"

namespace parlix::check {
namespace {

// Free Pascal 3.2 in Delphi mode rejects Delphi's reserved words (but inline) and bitpacked and
// otherwise as the name of a constant, a field, a variable or a property (each tried in the
// generated unit's own layout); Delphi adds inline, at and on. Every other keyword and
// directive of either compiler is a name.
TEST(ReservedWords, AreDelphisAndFreePascalsAndNoDirective) {
    // The words Delphi adds, those only Free Pascal has, and some of the rarer ones.
    const std::vector<std::string> reserved = {
        "begin",          "end",          "inline", "at",        "on",
        "bitpacked",      "otherwise",    "div",    "threadvar", "dispinterface",
        "resourcestring", "finalization", "string", "nil"};
    for (const std::string& word : reserved) {
        std::string upper = word;
        for (char& c : upper) {
            c = static_cast<char>(c - 'a' + 'A');
        }
        EXPECT_TRUE(IsReservedWord(word)) << word;
        EXPECT_TRUE(IsReservedWord(upper)) << upper;
        EXPECT_EQ(CheckIdentifier(word), NameFault::Reserved) << word;
        EXPECT_EQ(CheckConditionalSymbol(word), NameFault::None) << word;
        EXPECT_FALSE(IsReservedWord(word + "s")) << word;
        EXPECT_FALSE(IsReservedWord("_" + word)) << word;
    }
    for (const char* name :
         {"absolute",   "abstract",    "assembler",      "automated", "break",    "cdecl",
          "continue",   "default",     "deprecated",     "dynamic",   "exit",     "experimental",
          "export",     "external",    "false",          "final",     "forward",  "generic",
          "helper",     "implements",  "index",          "message",   "name",     "nodefault",
          "operator",   "out",         "overload",       "override",  "platform", "private",
          "protected",  "public",      "published",      "read",      "readonly", "reference",
          "register",   "reintroduce", "result",         "safecall",  "sealed",   "self",
          "specialize", "static",      "stdcall",        "stored",    "strict",   "true",
          "unsafe",     "varargs",     "virtual",        "winapi",    "write",    "writeonly",
          "Caption",    "x",           "implementations"}) {
        EXPECT_FALSE(IsReservedWord(name)) << name;
        EXPECT_EQ(CheckIdentifier(name), NameFault::None) << name;
    }
}

TEST(Identifiers, AreAsciiLettersDigitsAndUnderscores) {
    struct Case {
        std::string word;
        NameFault fault;
    };
    const std::vector<Case> cases = {
        {"sTitle", NameFault::None},
        {"_", NameFault::None},
        {"_1", NameFault::None},
        {"s_2_", NameFault::None},
        {std::string(127, 'a'), NameFault::None},
        {std::string(128, 'a'), NameFault::TooLong},
        {"", NameFault::Empty},
        {"1st", NameFault::Malformed},
        {"s Title", NameFault::Malformed},
        {"s-Title", NameFault::Malformed},
        {"sTitle ", NameFault::Malformed},
        {"&begin", NameFault::Malformed},
        {"s\xE4tze", NameFault::Malformed},  // ä in Windows-1252
        {"s.Title", NameFault::Malformed},
        {std::string("s\0t", 3), NameFault::Malformed},
        {"End", NameFault::Reserved},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(CheckIdentifier(test.word), test.fault) << test.word;
    }
    EXPECT_EQ(CheckConditionalSymbol("1st"), NameFault::Malformed);
    EXPECT_EQ(CheckConditionalSymbol("Deutsch-CH"), NameFault::Malformed);
    EXPECT_EQ(CheckConditionalSymbol(""), NameFault::Empty);
}

TEST(PropertyPaths, AreDottedIdentifiersWithOptionalIntegerIndexes) {
    struct Case {
        std::string piece;
        NameFault fault;
        std::string word;  // offending word, or the first word of a valid path
        std::string key;   // of a valid path
    };
    const std::vector<Case> cases = {
        {"frmMain.Caption", NameFault::None, "frmMain", "frmmain.caption"},
        {"StatusBar1.Panels[0].Text", NameFault::None, "StatusBar1", "statusbar1.panels[0].text"},
        {"gTitle", NameFault::None, "gTitle", "gtitle"},
        {"f . Panels [ 007 ] . Caption", NameFault::None, "f", "f.panels[7].caption"},
        {"f.Lines[0]", NameFault::None, "f", "f.lines[0]"},
        {"f.Lines[00]", NameFault::None, "f", "f.lines[0]"},
        {"f.Lines[2147483647]", NameFault::None, "f", "f.lines[2147483647]"},
        {"f\t.\tHint", NameFault::None, "f", "f.hint"},
        {"f.Index.Name.Message", NameFault::None, "f", "f.index.name.message"},
        {"f.Lines[2147483648]", NameFault::Malformed, "", ""},
        {"f.Lines[-1]", NameFault::Malformed, "", ""},
        {"f.Lines[]", NameFault::Malformed, "", ""},
        {"f.Lines[1][2]", NameFault::Malformed, "", ""},
        {"f.Cells[1,2]", NameFault::Malformed, "", ""},
        {"f.Lines[x]", NameFault::Malformed, "", ""},
        {"f.Lines[1", NameFault::Malformed, "", ""},
        {"f.[1]", NameFault::Malformed, "", ""},
        {"[1].f", NameFault::Malformed, "", ""},
        {"f..Caption", NameFault::Malformed, "", ""},
        {"f.Caption.", NameFault::Malformed, "", ""},
        {".Caption", NameFault::Malformed, "", ""},
        {"frm Main.Caption", NameFault::Malformed, "", ""},
        {"f.1Caption", NameFault::Malformed, "", ""},
        {"f.Caption;", NameFault::Malformed, "", ""},
        {"f.Caption := 'x'", NameFault::Malformed, "", ""},
        {"f.Capti\xF6n", NameFault::Malformed, "", ""},
        {"f.Cap\x01tion", NameFault::Malformed, "", ""},
        {"", NameFault::Malformed, "", ""},
        {"f.type.Caption", NameFault::Reserved, "type", ""},
        {"End.Caption", NameFault::Reserved, "End", ""},
        {"f." + std::string(128, 'x'), NameFault::TooLong, std::string(128, 'x'), ""},
    };
    for (const Case& test : cases) {
        std::string key = "prefix:";
        const PropertyPath path = ParsePropertyPath(test.piece, &key);
        EXPECT_EQ(path.fault, test.fault) << test.piece;
        if (test.fault == NameFault::None) {
            EXPECT_EQ(path.first, test.word) << test.piece;
            EXPECT_EQ(key, "prefix:" + test.key) << test.piece;
        } else {
            EXPECT_EQ(path.word, test.word) << test.piece;
            EXPECT_EQ(key, "prefix:") << test.piece;
        }
    }
}

// Free Pascal compiles "unit uTexte.de;" from uTexte.de.pas, but not Begin.pas, u-Texte.pas or
// 1Texte.pas, nor "uTexte.begin" (each tried).
TEST(UnitNames, AreIdentifiersJoinedByDots) {
    struct Case {
        std::string name;
        NameFault fault;
        std::string word;  // the reserved or over-long identifier
    };
    const std::vector<Case> cases = {
        {"uTexte", NameFault::None, ""},
        {"uTexte.de", NameFault::None, ""},
        {"System.SysUtils", NameFault::None, ""},
        {"_x.y_1.Name", NameFault::None, ""},
        {std::string(127, 'a') + "." + std::string(127, 'b'), NameFault::None, ""},
        {"", NameFault::Empty, ""},
        {"u-Texte", NameFault::Malformed, ""},
        {"1Texte", NameFault::Malformed, ""},
        {"uTexte.1", NameFault::Malformed, ""},
        {"uTexte.", NameFault::Malformed, ""},
        {".uTexte", NameFault::Malformed, ""},
        {"uTexte..de", NameFault::Malformed, ""},
        {"uTexte .de", NameFault::Malformed, ""},
        {" uTexte", NameFault::Malformed, ""},
        {"\xDC"
         "bersetzung",
         NameFault::Malformed, ""},
        {"uStub {$I x}", NameFault::Malformed, ""},
        {"uStub;", NameFault::Malformed, ""},
        {"begin.u-Texte", NameFault::Malformed, ""},  // the shape first
        {"Begin", NameFault::Reserved, "Begin"},
        {"uTexte.begin.END", NameFault::Reserved, "begin"},
        {"x." + std::string(128, 'y') + ".end", NameFault::TooLong, std::string(128, 'y')},
    };
    for (const Case& test : cases) {
        const UnitName name = CheckUnitName(test.name);
        EXPECT_EQ(name.fault, test.fault) << test.name;
        EXPECT_EQ(name.word, test.word) << test.name;
    }
}

// The symbols of both compilers, from their documentation; what Free Pascal itself reports is
// compared in compiles_property_test.cpp. Language names around them stay fine.
TEST(CompilerSymbols, AreBothCompilersOwnInAnyCase) {
    for (const char* symbol : {"FPC",
                               "fpc",
                               "Linux",
                               "UNIX",
                               "CPU64",
                               "cpux86_64",
                               "CPUARM",
                               "FPUSSE64",
                               "FPC_FULLVERSION",
                               "fpc_delphi",
                               "VER3",
                               "VER3_2_2",
                               "VER150",
                               "ver360",
                               "ENDIAN_LITTLE",
                               "CONSOLE",
                               "MSWINDOWS",
                               "Windows",
                               "WIN32",
                               "Win64",
                               "WINCE",
                               "DARWIN",
                               "MacOS",
                               "iOS",
                               "ANDROID",
                               "FreeBSD",
                               "HASUNIX",
                               "BSD",
                               "go32v2",
                               "OS2",
                               "POSIX",
                               "POSIX64",
                               "OSX64",
                               "LINUX64",
                               "ANDROID64",
                               "IOSSIMULATOR",
                               "DCC",
                               "UNICODE",
                               "CONDITIONALEXPRESSIONS",
                               "NEXTGEN",
                               "AUTOREFCOUNT",
                               "ELF",
                               "PIC",
                               "CPU32BITS",
                               "CPUX64",
                               "CPU386",
                               "NATIVECODE",
                               "CLR",
                               "NEEDCROSSBINUTILS"}) {
        EXPECT_TRUE(IsCompilerSymbol(symbol)) << symbol;
    }
    for (const char* name :
         {"Deutsch", "English", "Francais", "Espanol", "Italiano", "Nederlands", "Polski",
          "de",      "en",      "EN_US",    "de_CH",   "Lang1",    "L2",         "Ver",
          "Version", "Verbose", "Win",      "Linuxx",  "Unixoid",  "FPCx",       "Delphi",
          "Mac",     "OSX2",    "Cp1252",   "Fpga",    "Pascal",   "Default",    "Begin"}) {
        EXPECT_FALSE(IsCompilerSymbol(name)) << name;
    }
}

TEST(FormatPlaceholders, GiveTheArgumentsEachTextTakes) {
    struct Case {
        std::string text;
        std::vector<std::string> written;
        std::vector<FormatArgument> arguments;
    };
    const std::vector<Case> cases = {
        {"Datei %s nicht gefunden", {"%s"}, {{0, 's'}}},
        {"%d von %d", {"%d", "%d"}, {{0, 'i'}, {1, 'i'}}},
        {"%1:s before %0:s", {"%1:s", "%0:s"}, {{0, 's'}, {1, 's'}}},
        {"%0:s %s %s", {"%0:s", "%s", "%s"}, {{0, 's'}, {1, 's'}, {2, 's'}}},
        {"%2:s %s", {"%2:s", "%s"}, {{2, 's'}, {3, 's'}}},
        {"%-10.2f %8.3E %u%x%X",
         {"%-10.2f", "%8.3E", "%u", "%x", "%X"},
         {{0, 'f'}, {1, 'f'}, {2, 'i'}, {3, 'i'}, {4, 'i'}}},
        {"%*d", {"%*d"}, {{0, 'i'}, {1, 'i'}}},
        {"%.*f%p", {"%.*f", "%p"}, {{0, 'i'}, {1, 'f'}, {2, 'p'}}},
        {"%n %m %g %S", {"%n", "%m", "%g", "%S"}, {{0, 'f'}, {1, 'f'}, {2, 'f'}, {3, 's'}}},
        {"100%% sicher, %%s", {}, {}},
        {"50 % Rabatt", {}, {}},
        {"%", {}, {}},
        {"%5", {}, {}},
        {"%ige %q %-", {}, {}},
        {"%%%s", {"%s"}, {{0, 's'}}},
        {"%0:s%0:s", {"%0:s", "%0:s"}, {{0, 's'}}},
    };
    for (const Case& test : cases) {
        const FormatPlaceholders found = ParseFormatPlaceholders(test.text);
        EXPECT_EQ(std::vector<std::string>(found.written.begin(), found.written.end()),
                  test.written)
            << test.text;
        EXPECT_EQ(found.arguments, test.arguments) << test.text;
    }
    // Letters in placeholders are no text.
    EXPECT_FALSE(HasLetter("%s: %d%%"));
    EXPECT_FALSE(HasLetter("1.234,5 ..."));
    EXPECT_TRUE(HasLetter("%s x"));
    EXPECT_TRUE(HasLetter("\xC4"));       // Ä
    EXPECT_FALSE(HasLetter("\xD7\xF7"));  // × ÷
}

TEST(Accelerators, CountSingleAmpersandsAndTakeTheFirstLetter) {
    struct Case {
        std::string text;
        int count;
        char letter;
    };
    const std::vector<Case> cases = {
        {"&Speichern", 1, 's'},
        {"Speichern &unter", 1, 'u'},
        {"Fish && Chips", 0, '\0'},
        {"&&&Neu", 1, 'n'},
        {"A&&&&b", 0, '\0'},
        {"Ende &", 0, '\0'},
        {"&Datei &Bearbeiten", 2, 'd'},
        {"\xC4&\xDC"
         "bel",
         1, '\xFC'},  // Ä&Übel: the mark is on Ü, folded to ü
        {"", 0, '\0'},
    };
    for (const Case& test : cases) {
        const Accelerators found = FindAccelerators(test.text);
        EXPECT_EQ(found.count, test.count) << test.text;
        EXPECT_EQ(found.letter, test.letter) << test.text;
    }
    EXPECT_EQ(LeadingBlanks(" \tx "), " \t");
    EXPECT_EQ(TrailingBlanks(" \tx \x01"), " \x01");
    EXPECT_EQ(LeadingBlanks("x"), "");
    EXPECT_EQ(TrailingBlanks("   "), "");
}

// Many keys, repeated, that differ in one byte or in their length, against a std::map.
TEST(FirstSeenTable, RemembersTheFirstRecordOfEveryKey) {
    FirstSeen seen;
    std::map<std::string, int> expected;
    for (int row = 0; row < 20000; ++row) {
        const int n = (row * 7919) % 6000;
        const std::string key =
            std::to_string(n / 3) + std::string(static_cast<std::size_t>(n % 3), 'x');
        bool isNew = false;
        const FirstSeen::Entry entry = seen.Add(key, row, row + 1, isNew);
        const auto [first, added] = expected.emplace(key, row);
        ASSERT_EQ(isNew, added) << key;
        ASSERT_EQ(entry.row, first->second) << key;
        EXPECT_EQ(entry.extra, first->second + 1);
        EXPECT_EQ(seen.Key(entry.number), key);
        ASSERT_NE(seen.Find(key), nullptr);
    }
    EXPECT_EQ(seen.Count(), static_cast<int>(expected.size()));
    EXPECT_EQ(seen.Find("1xxx"), nullptr);
    EXPECT_EQ(seen.Find(""), nullptr);
}

}  // namespace
}  // namespace parlix::check
