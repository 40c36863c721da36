#include "generator/unit_generator.h"

#include <gtest/gtest.h>

#include <string>

#include "build_test_support.h"

namespace parlix {
namespace {

using testing::FillTranslations;
using testing::Golden;
using testing::Row;
using testing::SameUnit;
using testing::UnitLines;

ProjectState Languages(const std::string& sourceFileName, const std::string& uses,
                       int buildLanguage) {
    ProjectState state;
    state.SourceFileName = sourceFileName;
    state.UsesList = uses;
    state.LanguageNames = {"", "Deutsch", "English"};
    state.BuildLanguage = buildLanguage;
    return state;
}

TEST(GenerateUnit, WorkedExampleIsByteExact) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English", testing::WorkedExampleRows());
    const std::string unit = GenerateUnit(testing::WorkedExampleState(), table);
    EXPECT_TRUE(SameUnit(unit, Golden("worked_example.pas")));
    EXPECT_EQ(UnitLines(unit).size(), 43u);
    EXPECT_EQ(unit.size(), 656u);
}

TEST(GenerateUnit, EmptyTableWithoutUsesOrDefineGivesTheSkeleton) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English", {});
    const std::string unit = GenerateUnit(Languages("uLeer.pas", "", 0), table);
    EXPECT_TRUE(SameUnit(unit, Golden("empty_table.pas")));
    EXPECT_EQ(UnitLines(unit).size(), 27u);
    EXPECT_TRUE(unit.ends_with("end.\r\n\r\n"));
}

// "const" comes with the first constant: records whose StringName is empty or blank declare
// none, and a "const" without a declaration after it does not compile.
TEST(GenerateUnit, WritesConstOnlyWhenAConstantFollows) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English",
                     {{"", "frmMain.Caption", "  ", "Haupt", "Main"}, {"", "", "", "x", "y"}});
    const std::string unit = GenerateUnit(Languages("u.pas", "", 1), table);
    EXPECT_EQ(unit.find("const"), std::string::npos);
    EXPECT_NE(unit.find("();\r\n{$DEFINE Deutsch}\r\n\r\n{$IFDEF Deutsch}\r\n{$ENDIF}\r\n"),
              std::string::npos);

    table.Last();
    table.Edit();
    table.Field(2).SetAsString("sLast");
    EXPECT_NE(GenerateUnit(Languages("u.pas", "", 0), table)
                  .find("();\r\nconst\r\n{$IFDEF Deutsch}\r\n  sLast\t= 'x';\r\n"),
              std::string::npos);
}

// Blanks around names, pieces and values; empty pieces, names and values; apostrophes in
// constants and literals; Windows-1252 text; a unit name with dots; the first language defined.
TEST(GenerateUnit, EdgeCasesMatchTheirGoldenUnit) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English",
                     {
                         {"Label", "frmMain.lblName.Caption", "  sName  ", " Name ", "Name\t"},
                         {"", ",a, ,b,", "", "A und B", "A and B"},
                         {"Nothing", "   ", "   ", "unused", "unused"},
                         {"Form", "frmMain.Caption", "sEmpty", "", "  "},
                         {"Hint", "frmMain.lblHint.Hint", "", "", "\t"},
                         {"", "", "sQuote", "Geht's?", "Don't 'quote' me"},
                         {"Button", "frmMain.btOK.Caption , frmMain.btOK.Hint", "",
                          "\xDC"
                          "ber's Ziel",
                          "It's done"},
                         {"", "  frm Main.bt A.Caption  ", "", "zwei  Leerzeichen", "two  spaces"},
                         {"Null", "frmMain.lblNull.Caption", "sNull", std::nullopt, std::nullopt},
                         {"'", "frmMain.lblQuotes.Caption", "", "'", "''"},
                     });
    const std::string unit =
        GenerateUnit(Languages("C:\\Projekte\\Adressen\\uTexte.de.pas", "", 1), table);
    EXPECT_TRUE(SameUnit(unit, Golden("edge_cases.pas")));
}

// Texts of more than 255 characters are cut into literals of 255 characters at most, joined
// with '+' on continuation lines; shorter texts stay one literal.
TEST(GenerateUnit, LongTextsMatchTheirGoldenUnit) {
    auto digits = [](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            text += static_cast<char>('0' + i % 10);
        }
        return text;
    };
    std::string quoteAtCut = digits(600);
    quoteAtCut[254] = '\'';  // the last character of the first literal
    quoteAtCut[255] = '\'';  // the first character of the second
    quoteAtCut[509] = '\'';
    PtfTable table;
    FillTranslations(table, "Deutsch", "English",
                     {
                         {"", "frmMain.lbl255.Caption", "s255", digits(255), digits(254) + "'"},
                         {"", "", "s256", digits(256), digits(255) + "'"},
                         {"", "frmMain.lblLong.Caption, frmMain.lblLong.Hint", "", quoteAtCut,
                          std::string(700, '\'')},
                     });
    const std::string unit = GenerateUnit(Languages("uLang.pas", "uForms", 0), table);
    EXPECT_TRUE(SameUnit(unit, Golden("long_texts.pas")));
}

// What the compiler reads back from a literal: the pieces between the apostrophes, each
// doubled apostrophe read as one.
std::string ReadBackLiterals(const std::string& source, std::vector<std::size_t>& pieceLengths) {
    std::string text;
    std::size_t i = 0;
    while ((i = source.find('\'', i)) != std::string::npos) {
        std::size_t length = 0;
        for (++i;; ++i) {
            if (source[i] == '\'' && i + 1 < source.size() && source[i + 1] == '\'') {
                text += '\'';
                ++i;
            } else if (source[i] == '\'') {
                ++i;
                break;
            } else {
                text += source[i];
            }
            ++length;
        }
        pieceLengths.push_back(length);
    }
    return text;
}

TEST(PascalLiteral, EveryTextReadsBackWhole) {
    for (std::size_t length : {0u, 1u, 254u, 255u, 256u, 510u, 511u, 1024u, 5000u}) {
        for (char fill : {'x', '\''}) {
            std::string text(length, fill);
            if (length > 3) {
                text[length / 2] = '\'';
                text[length - 1] = 'e';
            }
            std::string source;
            AppendPascalLiteral(source, text);

            std::vector<std::size_t> pieces;
            EXPECT_EQ(ReadBackLiterals(source, pieces), text) << "length " << length;
            EXPECT_EQ(pieces.size(), length == 0 ? 1 : (length + 254) / 255);
            for (std::size_t piece : pieces) {
                EXPECT_LE(piece, kMaxLiteralLength);
            }
            // Older compilers reject lines of more than 1023 characters.
            for (const std::string& line : UnitLines(source)) {
                EXPECT_LE(line.size(), 1023u);
            }
        }
    }
}

TEST(PascalLiteral, ShortTextsAreOneLiteralWithApostrophesDoubled) {
    std::string source;
    AppendPascalLiteral(source, "");
    EXPECT_EQ(source, "''");
    source.clear();
    AppendPascalLiteral(source, "'); Halt; //");
    EXPECT_EQ(source, "'''); Halt; //'");
    source.clear();
    AppendPascalLiteral(source, std::string(255, 'a'));
    EXPECT_EQ(source, "'" + std::string(255, 'a') + "'");
}

// Characters below 32 stand outside the apostrophes as character codes: Free Pascal stops
// at #26 inside a literal, and a line break would end it.
TEST(PascalLiteral, ControlCharactersBecomeCharacterCodes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"abc\x1A"
         "def",
         "'abc'#26'def'"},
        {"\t", "#9"},
        {"a\x01\x1F"
         "b",
         "'a'#1#31'b'"},
        {"'\x1F'", "''''#31''''"},
        {std::string("x\0y", 3), "'x'#0'y'"},
        {"\x7F\xFF ", "'\x7F\xFF '"},
        {std::string(254, 'a') + "\tb", "'" + std::string(254, 'a') + "'#9\r\n    + 'b'"},
    };
    for (const auto& [text, literal] : cases) {
        std::string source;
        AppendPascalLiteral(source, text);
        EXPECT_EQ(source, literal);
    }
}

// The conditional blocks carry the names of the table's language fields; the define carries
// the project's name of the chosen language.
TEST(GenerateUnit, ConditionalSymbolsComeFromTheFieldNames) {
    PtfTable table;
    FillTranslations(table, "de", "en", {{"", "f.Caption", "sA", "A-de", "A-en"}});
    ProjectState state = Languages("u.pas", "", 1);
    state.LanguageNames = {"", "Deutsch", "English"};
    const std::vector<std::string> lines = UnitLines(GenerateUnit(state, table));
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[5], "{$DEFINE Deutsch}");
    EXPECT_EQ(lines[8], "{$IFDEF de}");
    EXPECT_EQ(lines[9], "  sA\t= 'A-de';");
}

// The walk follows the table's current order and includes an edit not yet stored.
TEST(GenerateUnit, WalksTheCurrentOrderAndStoresAPendingEdit) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English",
                     {{"", "", "sB", "B", "B"}, {"", "", "sA", "A", "A"}});
    table.SetIndexFieldNames("StringName");
    table.First();
    table.Edit();
    table.Field(3).SetAsString("A neu");

    const std::vector<std::string> lines =
        UnitLines(GenerateUnit(Languages("u.pas", "", 0), table));
    ASSERT_GE(lines.size(), 9u);
    EXPECT_EQ(lines[7], "  sA\t= 'A neu';");
    EXPECT_EQ(lines[8], "  sB\t= 'B';");
    EXPECT_EQ(table.State(), TableState::Browse);
    EXPECT_TRUE(table.AtEnd());
}

TEST(GenerateUnit, OpensAClosedTable) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English", testing::WorkedExampleRows());
    table.Close();
    EXPECT_TRUE(
        SameUnit(GenerateUnit(testing::WorkedExampleState(), table), Golden("worked_example.pas")));
}

TEST(GenerateUnit, RefusesAnUnknownLanguageAndATableWithoutLanguageFields) {
    PtfTable table;
    FillTranslations(table, "Deutsch", "English", {});
    EXPECT_THROW(GenerateUnit(Languages("u.pas", "", 3), table), PtfError);
    EXPECT_THROW(GenerateUnit(Languages("u.pas", "", -1), table), PtfError);

    PtfTable narrow;
    narrow.FieldDefs().Add("Type", FieldType::ftString, 32);
    narrow.FieldDefs().Add("Property", FieldType::ftString, 1024);
    narrow.FieldDefs().Add("StringName", FieldType::ftString, 32);
    narrow.FieldDefs().Add("Deutsch", FieldType::ftString, 1024);
    narrow.CreateTable();
    EXPECT_THROW(GenerateUnit(Languages("u.pas", "", 0), narrow), PtfError);
}

}  // namespace
}  // namespace parlix
