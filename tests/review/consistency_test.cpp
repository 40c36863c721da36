#include "review/consistency.h"

#include <gtest/gtest.h>

#include "generator/build_test_support.h"

namespace parlix {
namespace {

using testing::Row;

TEST(Consistency, TextsCompareWithoutAcceleratorsAndEdgeBlanks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Datei", "Datei"},
        {" &Datei ", "Datei"},
        {"Speichern &unter", "Speichern unter"},
        {"A && B", "A & B"},
        {"&&&x", "&x"},
        {"Ende&", "Ende&"},
        {"& Mitte", "Mitte"},
        {"\t", ""},
    };
    for (const auto& [text, expected] : cases) {
        std::string scratch;
        EXPECT_EQ(review::ComparableText(text, scratch), expected) << text;
    }
}

// Each untranslated row takes the most frequent translation of its exact language 1 text (the
// first of equally frequent ones); texts translated nowhere, empty texts, and translations that
// need review give nothing.
TEST(Consistency, FillTakesTheMostFrequentTranslation) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {
                                  {"", "a", "", "Datei", "File"},
                                  {"", "b", "", "Datei", "Data"},
                                  {"", "c", "", "Datei", "Data"},
                                  {"", "d", "", "Datei", std::nullopt},
                                  {"", "e", "", "&Datei", " "},
                                  {"", "f", "", "Ende", "End"},
                                  {"", "g", "", "Ende", "Finish"},
                                  {"", "h", "", "Ende", ""},
                                  {"", "i", "", "", "Empty"},
                                  {"", "j", "", "", ""},
                                  {"", "k", "", "Neu", "New"},
                                  {"", "l", "", "Neu", ""},
                              });
    review::SourceMemory marks(table);
    marks.Reset({{table.IdAt(10), {}}});  // "New" is a draft
    const review::FillPlan plan = review::PlanFill(table, &marks);
    std::vector<std::pair<int, std::string>> filled;
    for (const RecordChange& change : plan.changes) {
        filled.emplace_back(table.RowOf(change.id), change.values->at(4).value_or("<null>"));
        EXPECT_EQ(change.values->at(3), table.ValuesAt(table.RowOf(change.id)).at(3));
    }
    EXPECT_EQ(filled, (std::vector<std::pair<int, std::string>>{{3, "Data"}, {7, "End"}}));
}

}  // namespace
}  // namespace parlix
