#include "search/table_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/text_pattern.h"

namespace parlix {
namespace {

// Texts in Windows-1252: "\xC4" is Ä, "\xE4" is ä, "\xDF" is ß.
TEST(TextPatternTest, FindsWithOrWithoutCaseAndAsWholeWords) {
    struct Case {
        const char* needle;
        SearchOptions options;
        const char* text;
        std::size_t first;
        std::size_t last;  // the last match that begins before the text's end
        int replaced;      // matches ReplaceAll counts
    };
    const auto npos = TextPattern::npos;
    const std::vector<Case> cases = {
        {"datei", {}, "Datei, DATEI, datei", 0, 14, 3},
        {"datei", {true, false}, "Datei, DATEI, datei", 14, 14, 1},
        {"\xE4nderung", {}, "\xC4NDERUNG", 0, 0, 1},  // accented letters fold too
        {"\xDF",
         {},
         "Stra\xDF"
         "e",
         4,
         4,
         1},
        {"ab", {false, true}, "ab abc cab ab_ ab.", 0, 15, 2},  // '_' is part of a word
        {"\xE4", {false, true}, "M\xE4nner \xC4 \xE4", 7, 9, 2},
        {"aa", {}, "aaaa", 0, 2, 2},  // no overlaps when replacing
        {"", {}, "anything", npos, npos, 0},
        {"long needle", {}, "short", npos, npos, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        const TextPattern pattern(c.needle, c.options);
        const std::string text = c.text;
        EXPECT_EQ(pattern.Find(text), c.first);
        EXPECT_EQ(pattern.FindLast(text, text.size()), c.last);
        int count = 0;
        pattern.ReplaceAll(text, "#", count);
        EXPECT_EQ(count, c.replaced);
    }
    int count = 0;
    EXPECT_EQ(TextPattern("o", {}).ReplaceAll("foo bOo", "0", count), "f00 b00");
}

class TableSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        table.FieldDefs().Add("Key", FieldType::ftString, 8);
        table.FieldDefs().Add("Text", FieldType::ftString, 8);
        table.CreateTable();
        for (const auto& [key, text] : std::vector<std::pair<const char*, const char*>>{
                 {"a1", "xx"}, {"b", "x"}, {"c", "nothing"}, {"x", "1234567x"}}) {
            table.Append();
            table.Field(0).SetAsString(key);
            table.Field(1).SetAsString(text);
            table.Post();
        }
    }
    PtfTable table;
    SearchScope scope{{0, 1, 2, 3}, {0, 1}};
};

TEST_F(TableSearchTest, FindsTheNextAndPreviousMatchAndWrapsAroundOnce) {
    const TextPattern x("x", {});
    struct Step {
        CellPosition from;
        bool forward;
        CellPosition found;
        bool wrapped;
    };
    const std::vector<Step> steps = {
        {{0, 0, 0}, true, {0, 1, 0}, false},   // from the start
        {{0, 1, 1}, true, {0, 1, 1}, false},   // at an offset inside a cell
        {{0, 1, 2}, true, {1, 1, 0}, false},   // on to the next row
        {{3, 1, 8}, true, {0, 1, 0}, true},    // past the end: around to the start
        {{0, 1, 1}, false, {0, 1, 0}, false},  // backward within the cell
        {{0, 0, 0}, false, {3, 1, 7}, true},   // before the start: around to the end
        {{9, 0, 0}, true, {0, 1, 0}, false},   // a row outside the scope: the scope's start
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.from.row) + "/" + std::to_string(step.from.offset));
        bool wrapped = false;
        auto match = FindMatch(table, scope, x, step.from, step.forward, &wrapped);
        ASSERT_TRUE(match);
        EXPECT_EQ(match->at.row, step.found.row);
        EXPECT_EQ(match->at.column, step.found.column);
        EXPECT_EQ(match->at.offset, step.found.offset);
        EXPECT_EQ(wrapped, step.wrapped);
    }
    // The only match, found from itself after going once around.
    EXPECT_TRUE(FindMatch(table, scope, TextPattern("nothing", {}), {2, 1, 1}, true));
    EXPECT_FALSE(FindMatch(table, scope, TextPattern("absent", {}), {0, 0, 0}, true));
    EXPECT_FALSE(FindMatch(table, {{1, 2}, {0}}, x, {0, 0, 0}, true));  // only rows 1, 2, Key
}

TEST_F(TableSearchTest, ReplaceAllSkipsCellsThatWouldOutgrowTheirFieldAndCountsTheRest) {
    const ReplacePlan plan = PlanReplaceAll(table, scope, TextPattern("x", {}), "yy");
    EXPECT_EQ(plan.replacements, 4);     // "xx" twice, "x", the key "x"
    ASSERT_EQ(plan.tooLong.size(), 1u);  // "1234567x" would become nine bytes
    EXPECT_EQ(plan.tooLong[0].row, 3);
    EXPECT_EQ(plan.tooLong[0].column, 1);
    ASSERT_EQ(plan.changes.size(), 3u);
    EXPECT_EQ(plan.changes[0].values->at(1), "yyyy");
    EXPECT_EQ(plan.changes[2].values->at(0), "yy");
    EXPECT_EQ(plan.changes[2].values->at(1), "1234567x");
    table.ApplyChanges(plan.changes);
    EXPECT_EQ(table.TextAt(1, 1), "yy");
    EXPECT_EQ(table.TextAt(3, 0), "yy");
}

}  // namespace
}  // namespace parlix
