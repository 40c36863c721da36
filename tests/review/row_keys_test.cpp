#include "review/row_keys.h"

#include <gtest/gtest.h>

#include <random>

#include "generator/build_test_support.h"

namespace parlix {
namespace {

using testing::Row;

std::vector<std::string> AllKeys(const PtfTable& table) {
    return review::RowKeys(table.RecordCount(), review::TableKeyFields(table));
}

// A unique name; else the Property, unique among the rest and no other key; else Property#n,
// numbered by the rows' texts and skipping numbers a name or a lone Property holds already.
TEST(RowKeys, NameThenPropertyThenNumberedProperty) {
    const std::vector<Row> rows = {
        {"Form", "frm.Caption", "sTitle", "Titel", "Title"},
        {"Label", "frm.lbA.Caption", "sDup", "B", ""},
        {"Label", "frm.lbB.Caption", "sDup", "A", std::nullopt},
        {"", "frm.lbC.Caption", "", "Zwei", "Two"},
        {"", "frm.lbC.Caption", "", "Eins", "One"},
        {"", "sTitle", "", "Name schon vergeben", ""},
        {"", "", "", "x", ""},
        {"", "", "", "a", ""},
        {"", "grid.Hint", "", "b", ""},
        {"", "grid.Hint", "", "a", ""},
        {"", "grid.Hint", "", "c", ""},
        {"", "x", "grid.Hint#2", "", ""},
        {"", "grid.Hint#3", "", "", ""},
        {"", "frm.lbC.Caption", "sOwn", "Drei", "Three"},
    };
    const std::vector<std::string> expected = {
        "sTitle",
        "frm.lbA.Caption",
        "frm.lbB.Caption",
        "frm.lbC.Caption#2",
        "frm.lbC.Caption#1",
        "sTitle#1",
        "#2",
        "#1",
        "grid.Hint#4",
        "grid.Hint#1",
        "grid.Hint#5",
        "grid.Hint#2",
        "grid.Hint#3",
        "sOwn",
    };
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English", rows);
    EXPECT_EQ(AllKeys(table), expected);
    table.SetIndexFieldNames("Deutsch");  // another order keeps every key
    std::vector<std::string> sorted = AllKeys(table);
    std::vector<std::string> unsorted = expected;
    std::sort(sorted.begin(), sorted.end());
    std::sort(unsorted.begin(), unsorted.end());
    EXPECT_EQ(sorted, unsorted);
}

// The keys of a few rows, and the rows of a few keys, are those of all rows, whatever names and
// Properties collide: lone Properties that are names, names and Properties of the "P#n" form.
TEST(RowKeys, FewKeysAgreeWithAllKeys) {
    const std::vector<std::string> pieces = {"P", "Q", "#", "1", "2", "#1", "#2", "0", "P#"};
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto text = [&](int most) {
            std::string t;
            for (int n = static_cast<int>(random() % static_cast<unsigned>(most + 1)); n > 0; --n) {
                t += pieces[random() % pieces.size()];
            }
            return t;
        };
        std::vector<Row> rows;
        for (int i = 0; i < 80; ++i) {
            rows.push_back({text(1), text(3), random() % 2 == 0 ? "" : text(3), text(1), "t"});
        }
        PtfTable table;
        testing::FillTranslations(table, "Deutsch", "English", rows);
        const int count = table.RecordCount();
        const std::vector<std::string> all = AllKeys(table);
        ASSERT_EQ(std::set<std::string>(all.begin(), all.end()).size(), all.size());

        std::vector<int> some;
        for (int row = 0; row < count; ++row) {
            if (random() % 5 == 0) {
                some.push_back(row);
            }
        }
        const std::vector<std::string> keys =
            review::KeysOfRows(count, review::TableKeyFields(table), some);
        std::vector<std::string> wanted = {"P#7", "none", ""};
        std::vector<int> expectedRows = {-1, -1, -1};
        for (std::size_t i = 0; i < some.size(); ++i) {
            EXPECT_EQ(keys[i], all[static_cast<std::size_t>(some[i])]) << "row " << some[i];
            wanted.push_back(keys[i]);
            expectedRows.push_back(some[i]);
        }
        if (const auto found = std::find(all.begin(), all.end(), "P#7"); found != all.end()) {
            expectedRows[0] = static_cast<int>(found - all.begin());
        }
        EXPECT_EQ(review::RowsOfKeys(count, review::TableKeyFields(table), wanted), expectedRows);
    }
}

}  // namespace
}  // namespace parlix
