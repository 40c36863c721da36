#include "review/source_memory.h"

#include <gtest/gtest.h>

#include <map>

#include "generator/build_test_support.h"
#include "history/edit_history.h"
#include "review/source_entries.h"

namespace parlix {
namespace {

using testing::Row;
// The marks by StringName: the remembered text, or "<draft>".
using Marks = std::map<std::string, std::string>;

constexpr int kSource = 3;
constexpr int kTranslation = 4;

Marks MarksOf(const PtfTable& table, const review::SourceMemory& memory) {
    Marks marks;
    for (int row = 0; row < table.RecordCount(); ++row) {
        if (const review::Mark* mark = memory.MarkOf(table.IdAt(row))) {
            marks[table.TextAt(row, 2)] = mark->source.value_or("<draft>");
        }
    }
    EXPECT_EQ(static_cast<int>(marks.size()), memory.Count());
    return marks;
}

void Set(PtfTable& table, int row, int column, const char* text) {
    table.MoveTo(row);
    table.Edit();
    table.Field(column).SetAsString(text);
    table.Post();
}

using Action = void (*)(PtfTable&, review::SourceMemory&, EditHistory&);

struct Case {
    const char* name;
    Action before;  // what sets the scene
    Action step;    // one step of the history
    Marks after;
    Marks undone;  // after undoing the step (redo gives `after` again)
};

void ChangeSource(PtfTable& t, review::SourceMemory&, EditHistory&) {
    Set(t, 0, kSource, "Neu");
}
void Nothing(PtfTable&, review::SourceMemory&, EditHistory&) {}

// Every way a mark comes and goes, each as one step of the undo history: undo brings back the
// marks before the step, redo those after it.
TEST(SourceMemory, MarksFollowEveryChangeAndItsUndo) {
    const Marks none;
    const Marks oldSource = {{"sA", "Alt"}};
    const std::vector<Case> cases = {
        {"language 1 changed under a translation", Nothing, ChangeSource, oldSource, none},
        {"a second change keeps the first text", ChangeSource,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) { Set(t, 0, kSource, "Neuer"); },
         oldSource, oldSource},
        {"language 1 changed back", ChangeSource,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) { Set(t, 0, kSource, "Alt"); }, none,
         oldSource},
        {"language 2 typed", ChangeSource,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) { Set(t, 0, kTranslation, "New"); },
         none, oldSource},
        {"language 2 emptied", ChangeSource,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) { Set(t, 0, kTranslation, " "); },
         none, oldSource},
        {"both languages in one post", Nothing,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) {
             t.MoveTo(0);
             t.Edit();
             t.Field(kSource).SetAsString("Neu");
             t.Field(kTranslation).SetAsString("New");
             t.Post();
         },
         none, none},
        {"confirmed", ChangeSource,
         [](PtfTable& t, review::SourceMemory& m, EditHistory&) { m.Confirm(t.IdAt(0)); }, none,
         oldSource},
        {"deleted", ChangeSource,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) {
             t.MoveTo(0);
             t.Delete();
         },
         none, oldSource},
        {"language 1 of an untranslated row", Nothing,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) { Set(t, 1, kSource, "Zwei!"); },
         none, none},
        {"a draft",
         Nothing,
         [](PtfTable& t, review::SourceMemory& m, EditHistory&) {
             m.MarkDraft(t.IdAt(2));
             m.MarkDraft(t.IdAt(1));  // no translation: no mark
         },
         {{"sC", "<draft>"}},
         none},
        {"many records at once",
         ChangeSource,
         [](PtfTable& t, review::SourceMemory&, EditHistory& h) {
             HistoryStep step(h);  // as a replace all does
             t.ApplyChanges({review::WithSource(t, 0, "Alt"),
                             review::WithSource(t, 2, "Vier"),
                             {t.IdAt(1), std::nullopt}});
         },
         {{"sC", "Drei"}},
         oldSource},
        {"a new record", Nothing,
         [](PtfTable& t, review::SourceMemory&, EditHistory&) {
             t.Append();
             t.Field(2).SetAsString("sD");
             t.Field(kSource).SetAsString("Vier");
             t.Field(kTranslation).SetAsString("Four");
             t.Post();
         },
         none, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtfTable table;
        testing::FillTranslations(table, "Deutsch", "English",
                                  {{"", "frm.a", "sA", "Alt", "Old"},
                                   {"", "frm.b", "sB", "Zwei", ""},
                                   {"", "frm.c", "sC", "Drei", "Three"}});
        review::SourceMemory memory(table);
        EditHistory history(table, &memory);
        c.before(table, memory, history);
        const std::size_t steps = history.UndoCount();
        c.step(table, memory, history);
        EXPECT_EQ(history.UndoCount(), steps + 1);
        EXPECT_EQ(MarksOf(table, memory), c.after);
        history.Undo();
        EXPECT_EQ(MarksOf(table, memory), c.undone);
        history.Redo();
        EXPECT_EQ(MarksOf(table, memory), c.after);
    }
}

// The marks go into entries by key and come back from them onto the same rows, also after the
// table was ordered otherwise; an entry gives no mark where its key names no row, its row has
// no translation or its text is the row's language 1 text.
TEST(SourceEntries, MarksComeBackFromTheirEntries) {
    PtfTable table;
    testing::FillTranslations(table, "Deutsch", "English",
                              {{"", "frm.a", "sA", "Neu", "Old"},
                               {"", "frm.b", "", "Zwei", ""},
                               {"", "frm.c", "", "Drei", "Three"},
                               {"", "frm.c", "", "Vier", "Four"}});
    review::SourceMemory memory(table);
    table.SetJournal(&memory);
    memory.Reset({{table.IdAt(0), {"Alt"}}, {table.IdAt(3), {}}});
    const std::vector<review::SourceEntry> entries = review::MarkEntries(table, memory);
    EXPECT_EQ(entries,
              (std::vector<review::SourceEntry>{{"sA", "Alt"}, {"frm.c#2", std::nullopt}}));

    table.SetIndexFieldNames("Deutsch");
    review::SourceMemory read(table);
    EXPECT_EQ(review::ReadMarks(table, read, entries), 2);
    EXPECT_EQ(MarksOf(table, read), (Marks{{"sA", "Alt"}, {"", "<draft>"}}));
    std::vector<bool> needsReview;  // Drei, Neu, Vier, Zwei
    for (int row = 0; row < table.RecordCount(); ++row) {
        needsReview.push_back(read.NeedsReview(row));
    }
    EXPECT_EQ(needsReview, (std::vector<bool>{false, true, true, false}));

    EXPECT_EQ(
        review::ReadMarks(table, read, {{"sUnknown", "x"}, {"frm.b", "Eins"}, {"frm.c#1", "Drei"}}),
        0);
    EXPECT_EQ(read.Count(), 0);
}

}  // namespace
}  // namespace parlix
