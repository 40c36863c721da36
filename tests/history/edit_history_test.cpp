#include "history/edit_history.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "table/errors.h"
#include "table/ptf_format.h"
#include "test_support.h"

namespace parlix {
namespace {

using Cell = std::optional<std::string>;
using Rows = std::vector<std::vector<Cell>>;

// A two-column text table with the rows given, in insertion order.
void Fill(PtfTable& table, const Rows& rows) {
    table.FieldDefs().Clear();
    table.FieldDefs().Add("Key", FieldType::ftString, 32);
    table.FieldDefs().Add("Text", FieldType::ftString, 32);
    table.CreateTable();
    for (const auto& row : rows) {
        table.Append();
        for (int c = 0; c < 2; ++c) {
            if (row[c]) {
                table.Field(c).SetAsString(*row[c]);
            }
        }
        table.Post();
    }
}

Rows Contents(const PtfTable& table) {
    Rows rows;
    for (int r = 0; r < table.RecordCount(); ++r) {
        std::vector<Cell> row;
        for (int c = 0; c < 2; ++c) {
            row.push_back(table.IsNullAt(r, c) ? Cell() : Cell(table.TextAt(r, c)));
        }
        rows.push_back(row);
    }
    return rows;
}

void SetText(PtfTable& table, int row, int column, const Cell& value) {
    table.MoveTo(row);
    table.Edit();
    if (value) {
        table.Field(column).SetAsString(*value);
    } else {
        table.Field(column).SetNull();
    }
    table.Post();
}

const Rows kStart = {{"a", "Eins"}, {"b", std::nullopt}, {"c", ""}};

struct Case {
    const char* name;
    const char* order;  // IndexFieldNames while the edit and its undo happen
    void (*edit)(PtfTable&, EditHistory&);
};

// Every kind of step, in insertion order and in an order by a column the step changes: undo
// gives back exactly the rows before it (null and empty apart, each record at its place),
// redo exactly the rows after it, and each is one step.
TEST(EditHistoryTest, UndoAndRedoRestoreTheExactRowsOfEveryKindOfStep) {
    const std::vector<Case> cases = {
        {"null becomes empty", "",
         [](PtfTable& t, EditHistory&) { SetText(t, 1, 1, std::string()); }},
        {"empty becomes null", "", [](PtfTable& t, EditHistory&) { SetText(t, 2, 1, Cell()); }},
        {"key edit moves the record", "Key",
         [](PtfTable& t, EditHistory&) { SetText(t, 0, 0, std::string("z")); }},
        {"insert", "",
         [](PtfTable& t, EditHistory&) {
             t.Append();
             t.Field(0).SetAsString("d");
             t.Post();
         }},
        {"delete in the middle", "",
         [](PtfTable& t, EditHistory&) {
             t.MoveTo(1);
             t.Delete();
         }},
        {"delete in an order", "Text",
         [](PtfTable& t, EditHistory&) {
             t.MoveTo(0);
             t.Delete();
         }},
        {"many records as one step", "Key",
         [](PtfTable& t, EditHistory& h) {
             HistoryStep step(h);
             std::vector<RecordChange> changes;
             for (int row = 0; row < t.RecordCount(); ++row) {
                 RecordValues values = t.ValuesAt(row);
                 values[0] = "x" + values[0].value_or("");
                 changes.push_back({t.IdAt(row), values});
             }
             changes.push_back({t.IdAt(1), std::nullopt});
             t.ApplyChanges(changes);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtfTable table;
        Fill(table, kStart);
        EditHistory history(table);
        table.SetIndexFieldNames(c.order);
        const Rows before = Contents(table);
        c.edit(table, history);
        const Rows after = Contents(table);
        ASSERT_NE(after, before);
        EXPECT_EQ(history.UndoCount(), 1u);

        history.Undo();
        EXPECT_EQ(Contents(table), before);
        table.SetIndexFieldNames("");
        EXPECT_EQ(Contents(table), kStart);
        table.SetIndexFieldNames(c.order);
        history.Redo();
        EXPECT_EQ(Contents(table), after);
        EXPECT_EQ(history.UndoCount(), 1u);
        EXPECT_EQ(history.RedoCount(), 0u);
    }
}

TEST(EditHistoryTest, KnowsWhenTheTableIsAsSavedAndForgetsWhatABranchOrARebuildLost) {
    testing::TempDir dir;
    PtfTable table;
    Fill(table, kStart);
    EditHistory history(table);
    EXPECT_TRUE(history.AtSavedState());

    SetText(table, 0, 1, std::string("1"));
    history.MarkSaved();
    SetText(table, 0, 1, std::string("2"));
    EXPECT_FALSE(history.AtSavedState());
    history.Undo();
    EXPECT_TRUE(history.AtSavedState());
    history.Undo();  // past the save
    EXPECT_FALSE(history.AtSavedState());
    history.Redo();
    EXPECT_TRUE(history.AtSavedState());  // back at the saved state
    history.Undo();
    SetText(table, 2, 1, std::string("3"));  // a new branch: the saved state cannot come back
    EXPECT_EQ(history.RedoCount(), 0u);
    history.Undo();
    EXPECT_FALSE(history.AtSavedState());

    // A pending edit is stored by the undo, and it is what the undo takes back.
    table.MoveTo(0);
    table.Edit();
    table.Field(1).SetAsString("typed");
    history.Undo();
    EXPECT_EQ(table.TextAt(0, 1), "Eins");

    // Loading is not an edit: the history starts afresh and holds nothing of the file.
    const std::string file = dir.File("t.ptf");
    SavePtfFile(file, '"', table);
    LoadPtfFile(file, table);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_TRUE(history.AtSavedState());
}

TEST(EditHistoryTest, ARefusedUndoChangesNothing) {
    PtfTable table;
    Fill(table, kStart);
    EditHistory history(table);
    table.Append();
    table.Field(0).SetAsString("new");
    table.Post();
    table.MoveTo(0);
    table.Delete();

    bool refuse = true;
    table.BeforeInsert = [&](PtfTable&) {
        if (refuse)
            throw EAbort();
    };
    table.BeforeDelete = table.BeforeInsert;
    const Rows now = Contents(table);
    EXPECT_THROW(history.Undo(), EAbort);  // would insert the deleted record again
    EXPECT_EQ(Contents(table), now);
    EXPECT_EQ(history.UndoCount(), 2u);

    refuse = false;
    history.Undo();
    history.Undo();
    EXPECT_EQ(Contents(table), kStart);
}

}  // namespace
}  // namespace parlix
