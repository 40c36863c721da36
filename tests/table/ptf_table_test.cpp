#include "table/ptf_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace parlix {
namespace {

// A table shaped like the translation table: Type, Property, StringName and two languages.
void DefineColumns(PtfTable& table, int textSize = 32) {
    table.FieldDefs().Add("Key", FieldType::ftString, textSize);
    table.FieldDefs().Add("Count", FieldType::ftInteger);
}

void AddRecord(PtfTable& table, const std::string& key, int count) {
    table.Append();
    table.FieldByName("Key").SetAsString(key);
    table.FieldByName("Count").SetAsInteger(count);
    table.Post();
}

std::vector<std::string> Keys(PtfTable& table) {
    std::vector<std::string> keys;
    for (table.First(); !table.AtEnd(); table.Next()) {
        keys.push_back(table.Field(0).IsNull() ? "<null>" : table.Field(0).AsString());
    }
    return keys;
}

TEST(PtfTableLifecycle, EditOnEmptyTableStartsTheOneNewRecord) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    table.First();
    table.Edit();
    EXPECT_EQ(table.State(), TableState::Insert);
    table.FieldByName("Key").SetAsString("only");
    table.Post();
    EXPECT_EQ(table.RecordCount(), 1);
    table.First();
    EXPECT_EQ(table.FieldByName("Key").AsString(), "only");
}

TEST(PtfTableLifecycle, CloseAndOpenPresentTheSameRecordsFromTheFirst) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    AddRecord(table, "a", 1);
    AddRecord(table, "b", 2);
    table.Close();
    EXPECT_FALSE(table.IsActive());
    EXPECT_THROW(table.Field(0), PtfError);
    table.Open();
    EXPECT_EQ(table.RecNo(), 0);
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"a", "b"}));
}

TEST(PtfTableLifecycle, CloseDropsAnUnstoredRecord) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    AddRecord(table, "a", 1);
    table.Append();
    table.Field(0).SetAsString("dropped");
    table.Close();
    table.Open();
    EXPECT_EQ(Keys(table), std::vector<std::string>{"a"});
}

TEST(PtfTableLifecycle, ATableNeverBuiltCannotBeOpened) {
    PtfTable table;
    DefineColumns(table);
    EXPECT_THROW(table.Open(), PtfError);
    EXPECT_FALSE(table.IsActive());
}

TEST(PtfTableLifecycle, CreateTableRequiresAnInactiveTableWithDefinitions) {
    PtfTable empty;
    EXPECT_THROW(empty.CreateTable(), PtfError);

    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    AddRecord(table, "a", 1);
    EXPECT_THROW(table.CreateTable(), PtfError);
    EXPECT_EQ(table.RecordCount(), 1) << "a refused CreateTable leaves the table unchanged";

    table.Close();
    table.FieldDefs()[0].SetName("Renamed");
    table.FieldDefs().Add("Extra", FieldType::ftString);
    table.CreateTable();
    EXPECT_TRUE(table.IsActive());
    EXPECT_EQ(table.RecordCount(), 0);
    EXPECT_EQ(table.FieldCount(), 3);
    EXPECT_EQ(table.FieldByName("renamed").Index(), 0) << "names compare without regard to case";
}

TEST(PtfTableLifecycle, RenamingADefinitionTakesEffectOnlyWithCreateTable) {
    PtfTable table;
    for (const char* name : {"Type", "Property", "StringName", "Language1", "Language2"}) {
        table.FieldDefs().Add(name, FieldType::ftString, 32);
    }
    table.CreateTable();
    table.FieldDefs()[3].SetName("Deutsch");
    EXPECT_EQ(table.FieldIndex("Deutsch"), -1);
    EXPECT_EQ(table.FieldIndex("Language1"), 3);
    table.Close();
    table.CreateTable();
    EXPECT_EQ(table.FieldByName("Deutsch").Index(), 3);
}

TEST(PtfTableLifecycle, SettingTheTypeResetsTheSize) {
    FieldDef def("x", FieldType::ftInteger, 0);
    def.SetDataType(FieldType::ftString);
    EXPECT_EQ(def.Size(), 20);
    def.SetSize(99);
    def.SetDataType(FieldType::ftBoolean);
    EXPECT_EQ(def.Size(), 0);
}

TEST(PtfTableEditing, TextIsCutToTheColumnSizeInBytes) {
    PtfTable table;
    DefineColumns(table, 32);
    table.CreateTable();
    AddRecord(table, std::string(40, 'x'), 0);
    EXPECT_EQ(table.FieldByName("Key").AsString(), std::string(32, 'x'));
}

TEST(PtfTableEditing, LineBreaksNeverReachAStoredText) {
    PtfTable table;
    DefineColumns(table, 8);
    table.CreateTable();
    AddRecord(table, "a.Caption\r\nb.Caption", 0);
    EXPECT_EQ(table.Field(0).AsString(), "a.Captio") << "joined, then cut to size";
    table.Edit();
    table.Field(0).SetAsString("x\ny\rz");
    table.Post();
    EXPECT_EQ(table.Field(0).AsString(), "xyz");
}

TEST(PtfTableEditing, FirstStoresAChangedEditAndDropsAnUnchangedOne) {
    PtfTable table;
    DefineColumns(table);
    int posts = 0;
    table.AfterPost = [&](PtfTable&) { ++posts; };
    table.CreateTable();
    AddRecord(table, "a", 1);
    posts = 0;

    table.Edit();
    table.Field(0).SetAsString("changed");
    table.First();
    EXPECT_EQ(table.State(), TableState::Browse);
    EXPECT_EQ(table.Field(0).AsString(), "changed");
    EXPECT_EQ(posts, 1);

    table.Edit();
    table.First();
    EXPECT_EQ(posts, 1) << "an edit without changes is abandoned, not posted";

    table.Append();
    table.First();
    EXPECT_EQ(table.RecordCount(), 1) << "an untouched new record is dropped";
}

TEST(PtfTableEditing, CancelRestoresTheRecordAndTheCursor) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    AddRecord(table, "a", 1);
    AddRecord(table, "b", 2);
    table.First();
    table.Edit();
    table.Field(0).SetAsString("x");
    EXPECT_EQ(table.TextAt(0, 0), "x") << "views see the value being edited";
    table.Cancel();
    EXPECT_EQ(table.Field(0).AsString(), "a");

    table.Append();
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.RecNo(), 2);
    table.Cancel();
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.RecNo(), 0) << "back on the record that was current before the insert";
}

TEST(PtfTableEditing, PostAndWritesNeedARecordBeingEdited) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    EXPECT_THROW(table.Post(), PtfError);
    AddRecord(table, "a", 1);
    EXPECT_THROW(table.Field(0).SetAsString("x"), PtfError);
    EXPECT_EQ(table.Field(0).AsString(), "a");
}

TEST(PtfTableEditing, IntegerTextsConvertStrictly) {
    PtfTable table;
    table.FieldDefs().Add("Small", FieldType::ftSmallint);
    table.FieldDefs().Add("Int", FieldType::ftInteger);
    table.CreateTable();
    table.Append();
    table.Field(1).SetAsString("-42");
    EXPECT_EQ(table.Field(1).AsInteger(), -42);
    EXPECT_EQ(table.Field(1).AsString(), "-42");

    EXPECT_THROW(table.Field(1).SetAsString("12a"), PtfError);
    EXPECT_THROW(table.Field(1).SetAsString("1.5"), PtfError);
    EXPECT_EQ(table.Field(1).AsInteger(), -42) << "a refused text leaves the value unchanged";
    EXPECT_THROW(table.Field(1).SetAsString("2147483648"), PtfError);
    EXPECT_THROW(table.Field(0).SetAsInteger(40000), PtfError);

    table.Field(1).SetAsString("");
    EXPECT_TRUE(table.Field(1).IsNull()) << "an empty text makes an integer null";
}

TEST(PtfTableEditing, FloatsUseADecimalCommaWhateverTheLocale) {
    PtfTable table;
    table.FieldDefs().Add("F", FieldType::ftFloat);
    table.FieldDefs().Add("B", FieldType::ftBoolean);
    table.CreateTable();
    table.Append();
    table.Field(0).SetAsFloat(1.5);
    EXPECT_EQ(table.Field(0).AsString(), "1,5");
    table.Field(0).SetAsString("2,25");
    EXPECT_DOUBLE_EQ(table.Field(0).AsFloat(), 2.25);
    EXPECT_THROW(table.Field(0).SetAsFloat(1.0 / 0.0), PtfError);
    table.Field(1).SetAsBoolean(true);
    EXPECT_EQ(table.Field(1).AsString(), "True");
    table.Post();
    EXPECT_TRUE(table.Field(1).AsBoolean());
}

TEST(PtfTableEvents, BeforeInsertCanRefuseSilently) {
    PtfTable table;
    DefineColumns(table);
    table.BeforeInsert = [](PtfTable&) { throw EAbort(); };
    table.CreateTable();
    EXPECT_THROW(table.Append(), EAbort);
    EXPECT_THROW(table.Edit(), EAbort) << "Edit on an empty table is an insert";
    EXPECT_EQ(table.State(), TableState::Browse);
    EXPECT_EQ(table.RowCount(), 0);
}

TEST(PtfTableEvents, BeforeDeleteCanRefuseAndAfterDeleteReacts) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    AddRecord(table, "a", 1);
    AddRecord(table, "b", 2);
    bool refuse = true;
    int deleted = 0;
    table.BeforeDelete = [&](PtfTable&) {
        if (refuse) {
            throw EAbort();
        }
    };
    table.AfterDelete = [&](PtfTable&) { ++deleted; };
    table.First();
    EXPECT_THROW(table.Delete(), EAbort);
    EXPECT_EQ(table.RecordCount(), 2);
    refuse = false;
    table.Delete();
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(Keys(table), std::vector<std::string>{"b"});
    table.Delete();
    EXPECT_THROW(table.Delete(), PtfError) << "nothing left to delete";
}

TEST(PtfTableEvents, AfterOpenRunsForOpenAndCreateTable) {
    PtfTable table;
    DefineColumns(table);
    int opened = 0;
    table.AfterOpen = [&](PtfTable&) { ++opened; };
    table.CreateTable();
    table.Open();
    EXPECT_EQ(opened, 1) << "Open on an open table does nothing";
    table.Close();
    table.Open();
    EXPECT_EQ(opened, 2);
}

TEST(PtfTableOrdering, IndexFieldNamesOrdersAscendingAndBytewise) {
    PtfTable table;
    DefineColumns(table);
    table.CreateTable();
    for (const char* key : {"b", "a", "B", "\xC4pfel", "a"}) {
        AddRecord(table, key, 0);
    }
    table.Append();
    table.Field(1).SetAsInteger(9);  // Key stays null
    table.Post();
    table.SetIndexFieldNames("Key");
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"<null>", "B", "a", "a", "b", "\xC4pfel"}));
    table.SetIndexFieldNames("");
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"b", "a", "B", "\xC4pfel", "a", "<null>"}))
        << "an empty name restores the order of adding";
}

TEST(PtfTableOrdering, StoredAndEditedRecordsTakeTheirPlace) {
    PtfTable table;
    DefineColumns(table);
    table.SetIndexFieldNames("Count");
    table.CreateTable();
    AddRecord(table, "three", 3);
    AddRecord(table, "one", 1);
    AddRecord(table, "two", 2);
    EXPECT_EQ(table.Field(0).AsString(), "two") << "the cursor follows the stored record";
    EXPECT_EQ(table.RecNo(), 1);
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"one", "two", "three"}));

    table.First();
    table.Edit();
    table.Field(1).SetAsInteger(5);
    table.Post();
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"two", "three", "one"}));
}

TEST(PtfTableOrdering, OrderSurvivesRebuildAndMissingColumnFallsBack) {
    PtfTable table;
    DefineColumns(table);
    table.SetIndexFieldNames("Key");
    table.CreateTable();
    AddRecord(table, "b", 0);
    AddRecord(table, "a", 0);
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"a", "b"}));

    // A rebuilt table without that column keeps working, in the order of adding.
    table.Close();
    table.FieldDefs()[0].SetName("Other");
    ASSERT_NO_THROW(table.CreateTable());
    for (const char* key : {"b", "a"}) {
        table.Append();
        table.Field(0).SetAsString(key);
        table.Post();
    }
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(table.IndexFieldNames(), "Key") << "the setting stays for a later rebuild";

    table.Close();
    table.FieldDefs()[0].SetName("Key");
    table.CreateTable();
    AddRecord(table, "z", 0);
    AddRecord(table, "y", 0);
    EXPECT_EQ(Keys(table), (std::vector<std::string>{"y", "z"}));
}

// Many records take a faster way to their order than a few; both must give the plain order:
// bytewise ascending, nulls first, equal keys in the order of adding.
TEST(PtfTableOrdering, ManyRecordsEndInThePlainOrder) {
    std::mt19937 random(7);
    // Shared prefixes longer than eight bytes, a zero byte, a byte above 127.
    const std::vector<std::string> pieces = {
        "a", "ab", "frmMain.btnOK.", std::string(1, '\0'), "\xE4", "Z", " ", "Caption"};
    for (int count : {200, 70000}) {
        PtfTable table;
        table.FieldDefs().Add("Key", FieldType::ftString, 200);
        table.FieldDefs().Add("Order", FieldType::ftInteger);
        table.CreateTable();
        std::vector<std::pair<std::string, int>> expected;  // "" with -1 stands for null
        for (int i = 0; i < count; ++i) {
            table.Append();
            if (random() % 20 == 0) {
                expected.push_back({"", -1});
            } else {
                std::string key;
                for (int k = static_cast<int>(random() % 6); k > 0; --k) {
                    key += pieces[random() % pieces.size()];
                }
                table.Field(0).SetAsString(key);
                expected.push_back({key, i});
            }
            table.Field(1).SetAsInteger(i);
            table.Post();
        }
        std::vector<int> order(expected.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            order[i] = static_cast<int>(i);
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const bool nullA = expected[a].second < 0;
            const bool nullB = expected[b].second < 0;
            if (nullA != nullB) {
                return nullA;
            }
            return expected[a].first < expected[b].first;  // bytewise: chars compare unsigned
        });
        table.SetIndexFieldNames("Key");
        int row = 0;
        for (table.First(); !table.AtEnd(); table.Next(), ++row) {
            ASSERT_EQ(table.Field(1).AsInteger(), order[row]) << count << " records, row " << row;
        }
        EXPECT_EQ(row, count);
    }
}

}  // namespace
}  // namespace parlix
