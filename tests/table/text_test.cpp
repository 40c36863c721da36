#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "table/cp1252.h"
#include "table/file_io.h"
#include "table/text.h"

namespace parlix {
namespace {

using ::testing::ElementsAre;

TEST(Text, TrimRemovesControlsAndBlanksAtBothEndsOnly) {
    EXPECT_EQ(Trim("\t \r\n a  b \x01\x1F "), "a  b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0") << "code 160 is no blank here";
}

TEST(Text, SameTextFoldsGermanLetters) {
    EXPECT_TRUE(SameText("Deutsch", "DEUTSCH"));
    EXPECT_TRUE(SameText("\xC4nderung", "\xE4NDERUNG"));  // Änderung
    EXPECT_FALSE(SameText("\xD7", "\xF7")) << "multiplication and division signs differ";
    EXPECT_FALSE(SameText("ab", "abc"));
}

TEST(Text, ParseIntegerTakesOnlyPlainDecimals) {
    EXPECT_EQ(ParseInteger("-12"), -12);
    EXPECT_EQ(ParseInteger("+7"), 7);
    for (const char* bad : {"", "+", "-", "+-1", "1.0", "0x1F", " 1", "99999999999999999999"}) {
        EXPECT_FALSE(ParseInteger(bad)) << bad;
    }
}

TEST(Text, GeneralNumberFormatMatchesTheGermanSetting) {
    EXPECT_EQ(FormatGeneral(1.5, ','), "1,5");
    EXPECT_EQ(FormatGeneral(-0.25, '.'), "-0.25");
    EXPECT_EQ(FormatGeneral(100, ','), "100");
    EXPECT_EQ(FormatGeneral(0.0001, ','), "0,0001");
    EXPECT_EQ(FormatGeneral(0.00001, ','), "1E-5");
    EXPECT_EQ(FormatGeneral(1.5e20, ','), "1,5E20");
    EXPECT_EQ(FormatGeneral(123456789012345.0, ','), "123456789012345");
    EXPECT_EQ(FormatGeneral(1.0 / 3.0, '.'), "0.333333333333333");
    EXPECT_EQ(ParseDecimal("1,5"), 1.5);
    EXPECT_EQ(ParseDecimal(" -2.5E3 "), -2500);
    EXPECT_FALSE(ParseDecimal("1,5,0"));
    EXPECT_FALSE(ParseDecimal("inf"));
    EXPECT_FALSE(ParseDecimal("1e"));
}

TEST(FileNames, BothSlashesSeparateFolders) {
    EXPECT_EQ(ExtractFileName("C:\\Projekte\\uTexte.pas"), "uTexte.pas");
    EXPECT_EQ(ExtractFileName("/home/u/uTexte.pas"), "uTexte.pas");
    EXPECT_EQ(ExtractFileName("C:uTexte.pas"), "uTexte.pas");
    EXPECT_EQ(RemoveFileExtension("C:\\Work\\Demo.ppr"), "C:\\Work\\Demo");
    EXPECT_EQ(RemoveFileExtension("C:\\my.dir\\Demo"), "C:\\my.dir\\Demo");
    EXPECT_EQ(RemoveFileExtension("/w/my.dir/Demo"), "/w/my.dir/Demo");
    EXPECT_EQ(RemoveFileExtension("uTexte.de.pas"), "uTexte.de");
    EXPECT_EQ(ExtractFilePath("/w/x/Demo.ppr"), "/w/x/");
    EXPECT_TRUE(IsAbsolutePath("C:\\x"));
    EXPECT_TRUE(IsAbsolutePath("/x"));
    EXPECT_FALSE(IsAbsolutePath("units/x.pas"));
}

TEST(Cp1252, EveryByteSurvivesTheWayThroughUnicode) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    std::optional<std::string> back = Utf8ToCp1252(Cp1252ToUtf8(all));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, all);
    EXPECT_EQ(Cp1252ToUtf8("\x80\xE4"), "\xE2\x82\xAC\xC3\xA4");  // € ä
    EXPECT_FALSE(Utf8ToCp1252("\xC5\x91")) << "o with double acute has no byte";
    EXPECT_FALSE(Utf8ToCp1252("\xC3")) << "cut UTF-8";
    EXPECT_FALSE(Utf8ToCp1252("\xC0\xAF")) << "overlong form of '/'";
    EXPECT_FALSE(Utf8ToCp1252("\xED\xA0\x80")) << "a surrogate";
    std::string beyond;
    AppendUtf8(beyond, 0x1F600);  // what refused texts name, beyond the code page's reach
    EXPECT_EQ(beyond, "\xF0\x9F\x98\x80");
}

std::vector<std::string> Split(std::string_view text, int* count = nullptr) {
    std::vector<std::string> pieces;
    int n = SplitAtChar(text, pieces, ',');
    if (count != nullptr) {
        *count = n;
    }
    return pieces;
}

TEST(SplitAtChar, KeepsEmptyPiecesExceptAtTheEnd) {
    int count = 0;
    EXPECT_THAT(Split("a,b,c", &count), ElementsAre("a", "b", "c"));
    EXPECT_EQ(count, 3);
    EXPECT_THAT(Split("a,,b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(Split(",a"), ElementsAre("", "a"));
    EXPECT_THAT(Split("a,"), ElementsAre("a"));
    EXPECT_THAT(Split(","), ElementsAre(""));
    EXPECT_THAT(Split("abc"), ElementsAre("abc"));
    EXPECT_THAT(Split("", &count), ElementsAre());
    EXPECT_EQ(count, 0);
    EXPECT_THAT(Split(" a , b "), ElementsAre(" a ", " b "));
}

TEST(SplitAtChar, AppendsToWhatTheListHolds) {
    std::vector<std::string> pieces{"kept"};
    EXPECT_EQ(SplitAtChar("x,y", pieces, ','), 2);
    EXPECT_THAT(pieces, ElementsAre("kept", "x", "y"));
}

TEST(SplitAtChar, ViewsGiveTheSamePiecesAsCopies) {
    for (std::string_view text : {"a,b,c", "a,,b", ",a", "a,", ",", "abc", "", " a , b "}) {
        std::vector<std::string_view> views{"kept"};
        const int count = SplitAtChar(text, views, ',');
        int copies = 0;
        const std::vector<std::string> expected = Split(text, &copies);
        EXPECT_EQ(count, copies) << text;
        ASSERT_EQ(views.size(), expected.size() + 1) << text;
        EXPECT_EQ(views[0], "kept");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(views[i + 1], expected[i]) << text;
        }
    }
}

}  // namespace
}  // namespace parlix
