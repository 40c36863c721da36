// The unit's character set: which one a build takes, and that a unit in UTF-8 holds exactly the
// texts and names of the Windows-1252 unit (what compilers make of both is in
// unit_compile_test.cpp).
#include "generator/unit_encoding.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "build_test_support.h"
#include "generator/unit_file.h"
#include "generator/unit_generator.h"
#include "table/cp1252.h"

namespace parlix {
namespace {

using testing::FillTranslations;
using testing::ReadBytes;
using testing::TempDir;
using testing::UnitLines;
using testing::WriteBytes;

const std::string kBom(kUtf8ByteOrderMark);

// The unit a user converted once stays UTF-8; asking overrules the unit on disk either way.
TEST(UnitEncoding, FollowsTheUnitItReplacesUnlessAsked) {
    struct Case {
        const char* name;
        std::optional<std::string> before;  // the file the unit replaces, if any
        UnitEncodingChoice choice;
        UnitEncoding expected;
    };
    const std::vector<Case> cases = {
        {"no unit yet", std::nullopt, UnitEncodingChoice::AsBefore, UnitEncoding::Windows1252},
        {"a Windows-1252 unit", "unit uTexte;\r\n", UnitEncodingChoice::AsBefore,
         UnitEncoding::Windows1252},
        {"a UTF-8 unit", kBom + "unit uTexte;\r\n", UnitEncodingChoice::AsBefore,
         UnitEncoding::Utf8},
        {"an empty file", "", UnitEncodingChoice::AsBefore, UnitEncoding::Windows1252},
        {"half a mark", "\xEF\xBB", UnitEncodingChoice::AsBefore, UnitEncoding::Windows1252},
        {"UTF-8 without mark",
         "unit u; // Gr\xC3\xB6\xC3\x9F"
         "e\r\n",
         UnitEncodingChoice::AsBefore, UnitEncoding::Windows1252},
        {"asked for UTF-8", "unit uTexte;\r\n", UnitEncodingChoice::Utf8, UnitEncoding::Utf8},
        {"asked for Windows-1252", kBom + "unit uTexte;\r\n", UnitEncodingChoice::Windows1252,
         UnitEncoding::Windows1252},
    };
    PtfTable table;
    FillTranslations(table, "Deutsch", "English",
                     {{"", "frmMain.Caption", "sTitle",
                       "Stra\xDF"
                       "e",
                       "Street"}});
    const ProjectState state = testing::WorkedExampleState();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TempDir dir;
        const std::string path = dir.File("uTexte.pas");
        if (test.before) {
            WriteBytes(path, *test.before);
        }
        UnitWritten written;
        ASSERT_EQ(GenerateUnitFile(path, 1, state, table, nullptr, test.choice, &written),
                  Replacement::Written);
        const std::string unit = GenerateUnit(state, table, test.expected);
        EXPECT_EQ(ReadBytes(path), unit);
        EXPECT_EQ(written.encoding, test.expected);
        EXPECT_EQ(written.lines, UnitLines(unit).size());
        EXPECT_EQ(unit.starts_with(kBom), test.expected == UnitEncoding::Utf8);
    }
}

// The number of bytes between the apostrophes of each literal of a unit, a doubled apostrophe
// counted once: what the compilers' limit of 255 applies to.
std::vector<std::size_t> LiteralSizes(std::string_view unit) {
    std::vector<std::size_t> sizes;
    for (std::size_t i = unit.find('\''); i != std::string_view::npos; i = unit.find('\'', i)) {
        std::size_t size = 0;
        auto doubled = [&unit](std::size_t at) {
            return unit[at] == '\'' && at + 1 < unit.size() && unit[at + 1] == '\'';
        };
        for (++i; i < unit.size() && (unit[i] != '\'' || doubled(i)); ++i, ++size) {
            i += doubled(i) ? 1 : 0;
        }
        ++i;
        sizes.push_back(size);
    }
    return sizes;
}

// Every byte of the UTF-8 unit is the Windows-1252 unit's, converted, after the mark; only a
// long text is cut sooner, so that no literal exceeds 255 bytes in the file.
TEST(UnitEncoding, AUtf8UnitHoldsTheSameTextsAndNames) {
    const std::string umlauts = "\xC4\xD6\xDC\xE4\xF6\xFC\xDF\x80\x85\x9F\xA0\xFF";
    std::string longUmlauts;
    for (int i = 0; i < 60; ++i) {
        longUmlauts += umlauts + "'x";
    }
    struct Case {
        const char* name;
        std::vector<testing::Row> rows;
        bool cutSooner;
    };
    const std::vector<Case> cases = {
        {"the worked example", testing::WorkedExampleRows(), false},
        {"every character above 127",
         {{"", "frmMain.lbl\xC4.Caption",
           "s\xDC"
           "ber",
           umlauts, "\x81\x8D\x8F\x90\x9D"},
          {"", "frmMain.Hint", "", "Tab\there", std::string(255, 'a')}},
         false},
        {"long texts of umlauts",
         {{"", "frmMain.Caption", "sLong", longUmlauts, std::string(300, '\xE9')},
          {"", "frmMain.Hint", "", std::string(600, 'a'), longUmlauts}},
         true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        PtfTable table;
        FillTranslations(table, "D\xE4nisch", "English", test.rows);
        ProjectState state = testing::WorkedExampleState();
        state.UsesList = "uF\xF6rms";
        state.LanguageNames[2] = "English";
        state.BuildLanguage = 1;
        state.LanguageNames[1] = "D\xE4nisch";
        const std::string cp1252 = GenerateUnit(state, table, UnitEncoding::Windows1252);
        const std::string utf8 = GenerateUnit(state, table, UnitEncoding::Utf8);
        ASSERT_TRUE(utf8.starts_with(kBom));
        const std::string converted = Cp1252ToUtf8(cp1252);
        EXPECT_EQ(utf8.substr(kBom.size()) == converted, !test.cutSooner);

        for (std::size_t size : LiteralSizes(utf8)) {
            EXPECT_LE(size, kMaxLiteralLength);
        }
        // Joined across the cuts, the two units are the same.
        auto joined = [](std::string text) {
            for (std::size_t at; (at = text.find("'\r\n    + '")) != std::string::npos;) {
                text.erase(at, 10);
            }
            return text;
        };
        EXPECT_EQ(joined(utf8.substr(kBom.size())), joined(converted));
    }
}

}  // namespace
}  // namespace parlix
