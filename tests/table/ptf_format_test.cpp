#include "table/ptf_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "test_support.h"

namespace parlix {
namespace {

using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kWorkedExample =
    "/* Portable Table Format 1.0 */\r\n"
    "porTables[porTables.length] = new Array(\r\n"
    "\"Key\",\"Count\",\r\n"
    "\"a\\\\b \\\"c\\\"\",3,\r\n"
    "\"\",null,\r\n"
    "2);\r\n";

// The two fixed lines that every table file begins with, ended by LF alone.
const std::string kHead =
    "/* Portable Table Format 1.0 */\nporTables[porTables.length] = new Array(\n";

void DefineKeyCount(PtfTable& table) {
    table.FieldDefs().Add("Key", FieldType::ftString, 32);
    table.FieldDefs().Add("Count", FieldType::ftInteger);
}

std::vector<std::string> Tokens(std::string_view line, bool* accepted = nullptr) {
    std::vector<std::string> tokens{"stale"};
    bool ok = ParsePtfLine(line, tokens);
    if (accepted != nullptr) {
        *accepted = ok;
    }
    return tokens;
}

// A notifier that remembers what it was told.
struct Messages {
    std::vector<std::string> shown;
    Notifier notifier() {
        return [this](const std::string& text) { shown.push_back(text); };
    }
};

TEST(ParsePtfLine, ResolvesEscapesAndTagsTokens) {
    EXPECT_THAT(Tokens("\"a\\\\b \\\"c\\\"\",3,"), ElementsAre("s=a\\b \"c\"", "n=3"));
    EXPECT_THAT(Tokens("\"\",null,"), ElementsAre("s=", "u=null"));
    EXPECT_THAT(Tokens("true, false ,-1.5e+3,"), ElementsAre("b=true", "b=false", "n=-1.5e+3"));
    EXPECT_THAT(Tokens("'it\\'s', \"say \\'hi\\'\","), ElementsAre("s=it's", "s=say 'hi'"));
    EXPECT_THAT(Tokens("\"a,b\",\"c\\,d\",\"e\\xf\",\"g\\ h\","),
                ElementsAre("s=a,b", "s=c\\,d", "s=e\\xf", "s=g h"))
        << "a backslash stays before a comma or an ordinary character and drops before a space";
    EXPECT_THAT(Tokens("1 2,"), ElementsAre("n=12")) << "blanks outside quotes are ignored";
    EXPECT_THAT(Tokens("ab\"cd\","), ElementsAre("s=abcd"))
        << "text before an opening quote stays in front of the string";
    EXPECT_THAT(Tokens(",,\"x\",,"), ElementsAre("s=x"));
}

TEST(ParsePtfLine, DropsWhatIsLeftAtTheEndOfTheLine) {
    EXPECT_THAT(Tokens("1,2"), ElementsAre("n=1"));
    EXPECT_THAT(Tokens("1,2,"), ElementsAre("n=1", "n=2"));
    EXPECT_THAT(Tokens("\"open"), ElementsAre());
    EXPECT_THAT(Tokens("\"a\\\""), ElementsAre()) << "an escaped quote does not close";
    EXPECT_THAT(Tokens(""), ElementsAre());
}

TEST(ParsePtfLine, RejectsStrayBackslashesAndWordsKeepingEarlierTokens) {
    bool accepted = true;
    EXPECT_THAT(Tokens("1,abc,2,", &accepted), ElementsAre("n=1"));
    EXPECT_FALSE(accepted);
    EXPECT_THAT(Tokens("\"a\",\\,", &accepted), ElementsAre("s=a"));
    EXPECT_FALSE(accepted);
    for (const char* word : {"True,", "NULL,", "1e,", "+,", "1.2.3,", "0x10,"}) {
        Tokens(word, &accepted);
        EXPECT_FALSE(accepted) << word;
    }
    for (const char* number : {".5,", "5.,", "+1,", "1E-7,", "-0,"}) {
        Tokens(number, &accepted);
        EXPECT_TRUE(accepted) << number;
    }
}

TEST(SavePtfFile, WritesTheWorkedExampleByteForByte) {
    TempDir dir;
    PtfTable table;
    DefineKeyCount(table);
    table.CreateTable();
    table.Append();
    table.Field(0).SetAsString("a\\b \"c\"");
    table.Field(1).SetAsInteger(3);
    table.Post();
    table.Append();
    table.Field(0).SetAsString("");
    table.Post();

    ASSERT_TRUE(SavePtfFile(dir.File("t.ptf"), '"', table));
    EXPECT_EQ(ReadBytes(dir.File("t.ptf")), kWorkedExample);
    EXPECT_TRUE(table.IsActive());
    EXPECT_TRUE(table.AtEnd()) << "the cursor is left past the last record";
}

TEST(LoadPtfFile, ReadsTheWorkedExample) {
    TempDir dir;
    WriteBytes(dir.File("t.ptf"), kWorkedExample);
    PtfTable table;
    DefineKeyCount(table);
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("t.ptf"), table, messages.notifier()));
    EXPECT_FALSE(table.IsActive()) << "the caller opens the table";
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.Field(0).AsString(), "a\\b \"c\"");
    EXPECT_EQ(table.Field(1).AsInteger(), 3);
    table.Next();
    EXPECT_FALSE(table.Field(0).IsNull());
    EXPECT_EQ(table.Field(0).AsString(), "");
    EXPECT_TRUE(table.Field(1).IsNull());
    EXPECT_TRUE(messages.shown.empty());
}

TEST(LoadPtfFile, AnEmptyTableMakesAFourLineFileAndReadsBack) {
    TempDir dir;
    PtfTable table;
    DefineKeyCount(table);
    table.CreateTable();
    SavePtfFile(dir.File("e.ptf"), '"', table);
    const std::string bytes = ReadBytes(dir.File("e.ptf"));
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "2);\r\n");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 4);

    PtfTable reread;
    DefineKeyCount(reread);
    Messages messages;
    EXPECT_TRUE(LoadPtfFile(dir.File("e.ptf"), reread, messages.notifier()));
    reread.Open();
    EXPECT_EQ(reread.RecordCount(), 0);
}

TEST(LoadPtfFile, QuotedNullIsTextAndOnlyTheBareWordIsNull) {
    TempDir dir;
    PtfTable table;
    DefineKeyCount(table);
    table.CreateTable();
    table.Append();
    table.Field(0).SetAsString("null");
    table.Post();
    SavePtfFile(dir.File("n.ptf"), '"', table);
    EXPECT_NE(ReadBytes(dir.File("n.ptf")).find("\"null\",null,"), std::string::npos);

    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("n.ptf"), table, messages.notifier()));
    table.Open();
    EXPECT_FALSE(table.Field(0).IsNull());
    EXPECT_EQ(table.Field(0).AsString(), "null");
    EXPECT_TRUE(table.Field(1).IsNull());
}

TEST(LoadPtfFile, GrowsTextColumnsToTheLongestValuePlusSixteen) {
    TempDir dir;
    WriteBytes(dir.File("g.ptf"), kHead + "names\r\n\"" + std::string(30, 'x') + "\",\"" +
                                      std::string(10, 'y') + "\",\r\n2);\r\n");
    PtfTable table;
    table.FieldDefs().Add("A", FieldType::ftString, 32);
    table.FieldDefs().Add("B", FieldType::ftString, 32);
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("g.ptf"), table, messages.notifier()));
    EXPECT_EQ(table.FieldDefs()[0].Size(), 46);
    EXPECT_EQ(table.FieldDefs()[1].Size(), 32);
    table.Open();
    EXPECT_EQ(table.Field(0).AsString().size(), 30u);
}

TEST(LoadPtfFile, MatchesValuesByPositionAndIgnoresTheNamesLine) {
    TempDir dir;
    WriteBytes(dir.File("p.ptf"), kHead + "\"Count\",\"Key\",\n\"k\",\n'12',7,\n2);\n");
    PtfTable table;
    DefineKeyCount(table);
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("p.ptf"), table, messages.notifier()));
    table.Open();
    ASSERT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.Field(0).AsString(), "k");
    EXPECT_TRUE(table.Field(1).IsNull()) << "columns beyond the last value stay null";
    table.Next();
    EXPECT_EQ(table.Field(0).AsString(), "12");
    EXPECT_EQ(table.Field(1).AsInteger(), 7);
}

TEST(LoadPtfFile, AcceptsEveryLineEnding) {
    TempDir dir;
    WriteBytes(dir.File("l.ptf"),
               "/* Portable Table Format 1.0 */\rporTables[porTables.length] = new Array(\n"
               "\"Key\",\"Count\",\r\n\"a\",1,\r\"b\",'2',\n2);");
    PtfTable table;
    DefineKeyCount(table);
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("l.ptf"), table, messages.notifier()));
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST(LoadPtfFile, KeepsTheTablesOrderAcrossARebuildAndSavesInIt) {
    TempDir dir;
    WriteBytes(dir.File("o.ptf"), kHead + "n\n\"b\",1,\n\"c\",2,\n\"a\",3,\n2);\n");
    PtfTable table;
    DefineKeyCount(table);
    table.SetIndexFieldNames("Key");
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("o.ptf"), table, messages.notifier()));
    table.Open();
    EXPECT_EQ(table.Field(0).AsString(), "a");
    SavePtfFile(dir.File("saved.ptf"), '"', table);
    EXPECT_NE(ReadBytes(dir.File("saved.ptf")).find("\"a\",3,\r\n\"b\",1,\r\n\"c\",2,\r\n"),
              std::string::npos);
}

TEST(LoadPtfFile, RunsTheTableEventsPerRecord) {
    TempDir dir;
    WriteBytes(dir.File("ev.ptf"), kWorkedExample);
    PtfTable table;
    DefineKeyCount(table);
    int inserts = 0;
    int posts = 0;
    table.BeforeInsert = [&](PtfTable&) { ++inserts; };
    table.AfterPost = [&](PtfTable&) { ++posts; };
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("ev.ptf"), table, messages.notifier()));
    EXPECT_EQ(inserts, 2);
    EXPECT_EQ(posts, 2);
}

// --- Failure paths --------------------------------------------------------------------------

// A loaded table holding "old" as its only record, to see what a failed load leaves behind.
void LoadOldRecord(PtfTable& table, const TempDir& dir) {
    DefineKeyCount(table);
    WriteBytes(dir.File("old.ptf"), kHead + "n\n\"old\",1,\n2);\n");
    Messages messages;
    ASSERT_TRUE(LoadPtfFile(dir.File("old.ptf"), table, messages.notifier()));
    table.Open();
}

TEST(LoadPtfFileFailure, AnUnreadableFileRaisesTheOpenErrorAndTouchesNothing) {
    TempDir dir;
    PtfTable table;
    LoadOldRecord(table, dir);
    Messages messages;
    const std::string missing = dir.File("missing.ptf");
    try {
        LoadPtfFile(missing, table, messages.notifier());
        FAIL() << "expected EFOpenError";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Datei " + missing + " kann nicht geöffnet werden. No such file or directory");
    }
    EXPECT_THROW(LoadPtfFile(dir.Path().string(), table, messages.notifier()), EFOpenError)
        << "a folder is no file";
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(table.IsActive());
    EXPECT_EQ(table.Field(0).AsString(), "old");
}

TEST(LoadPtfFileFailure, AShortFileReturnsFalseSilentlyAndTouchesNothing) {
    TempDir dir;
    PtfTable table;
    LoadOldRecord(table, dir);
    WriteBytes(dir.File("short.ptf"), "h\r\nh\r\n\"Key\",\r\n");
    Messages messages;
    EXPECT_FALSE(LoadPtfFile(dir.File("short.ptf"), table, messages.notifier()));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(table.IsActive());
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST(LoadPtfFileFailure, ARejectedLineKeepsTheRecordsBeforeIt) {
    TempDir dir;
    PtfTable table;
    LoadOldRecord(table, dir);
    const std::string path = dir.File("bad.ptf");
    WriteBytes(path, kHead + "n\n\"a\",1,\n\"b\",2,\nbroken,3,\n\"d\",4,\n2);\n");
    Messages messages;
    PtfLoadFault fault;
    EXPECT_FALSE(LoadPtfFile(path, table, messages.notifier(), &fault));
    EXPECT_THAT(messages.shown, ElementsAre("Error by load PTF-File: " + path));
    EXPECT_EQ(fault.line, 6);
    EXPECT_FALSE(table.IsActive());
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST(LoadPtfFileFailure, TooManyValuesFailBeforeTheTableIsRebuilt) {
    TempDir dir;
    PtfTable table;
    LoadOldRecord(table, dir);
    const std::string path = dir.File("wide.ptf");
    WriteBytes(path, kHead + "n\n\"a\",1,\n\"b\",2,3,\n2);\n");
    Messages messages;
    PtfLoadFault fault;
    EXPECT_FALSE(LoadPtfFile(path, table, messages.notifier(), &fault));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(fault.line, 5);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.Field(0).AsString(), "old");
}

TEST(LoadPtfFileFailure, OnlyAWholeTableFileIsRead) {
    const std::string example = kWorkedExample;
    const std::string withoutTrailer = example.substr(0, example.rfind("2);"));
    std::string crCrLf;
    for (char c : example) {
        crCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    struct Case {
        const char* what;
        std::string content;
        int faultLine;  // 0: the file loads
    };
    const Case cases[] = {
        {"cut before the trailer", withoutTrailer, 5},
        {"cut in its last record", example.substr(0, example.find("null") + 2), 5},
        {"cut in the trailer", withoutTrailer + "2)", 6},
        {"a line after the trailer", example + "2);\r\nmore\r\n", 8},
        {"text that is no table", "hello\r\nworld\r\nfoo\r\nbar\r\n", 1},
        {"another array opener", "/* Portable Table Format 1.0 */\r\nx = new Array(\r\nn\r\n2);",
         2},
        {"CR CR LF line ends", crCrLf, 2},
        {"blanks around the fixed lines",
         " /* Portable Table Format 1.0 */ \r\n"
         "porTables[porTables.length] = new Array( \r\nn\r\n"
         "\"a\",1,\r\n  2 );  \r\n",
         0},
        {"no line end after the trailer", withoutTrailer + "2);", 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PtfTable table;
        LoadOldRecord(table, dir);
        const std::string path = dir.File("cut.ptf");
        WriteBytes(path, c.content);
        Messages messages;
        PtfLoadFault fault;
        const bool loaded = LoadPtfFile(path, table, messages.notifier(), &fault);
        EXPECT_FALSE(table.IsActive());
        table.Open();
        if (c.faultLine == 0) {
            EXPECT_TRUE(loaded);
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_NE(table.Field(0).AsString(), "old");
            continue;
        }
        EXPECT_FALSE(loaded);
        EXPECT_THAT(messages.shown, ElementsAre("Error by load PTF-File: " + path));
        EXPECT_EQ(fault.line, c.faultLine) << fault.cause;
        EXPECT_EQ(table.RecordCount(), 1) << "the table keeps what it held";
        EXPECT_EQ(table.Field(0).AsString(), "old");
    }
}

TEST(LoadPtfFileFailure, ValuesThatDoNotConvertFailTheLoad) {
    TempDir dir;
    for (const char* line : {"\"a\",\"x1\",", "\"a\",1.5,", "\"a\",\"\",", "\"a\",3000000000,"}) {
        PtfTable table;
        DefineKeyCount(table);
        WriteBytes(dir.File("int.ptf"), kHead + "n\n\"ok\",1,\n" + line + "\n2);\n");
        Messages messages;
        PtfLoadFault fault;
        EXPECT_FALSE(LoadPtfFile(dir.File("int.ptf"), table, messages.notifier(), &fault)) << line;
        EXPECT_EQ(fault.line, 5) << line;
        table.Open();
        EXPECT_EQ(table.RecordCount(), 1) << line;
    }
}

TEST(LoadPtfFileFailure, ARefusedInsertFailsTheLoad) {
    TempDir dir;
    WriteBytes(dir.File("t.ptf"), kWorkedExample);
    PtfTable table;
    DefineKeyCount(table);
    table.BeforeInsert = [](PtfTable&) { throw EAbort(); };
    Messages messages;
    EXPECT_FALSE(LoadPtfFile(dir.File("t.ptf"), table, messages.notifier()));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(table.IsActive());
}

TEST(SavePtfFileFailure, AnUnwritableTargetLeavesTheOldFileAndNoDebris) {
    TempDir dir;
    PtfTable table;
    DefineKeyCount(table);
    table.CreateTable();

    const std::string inMissingFolder = dir.File("no/such/folder/t.ptf");
    try {
        SavePtfFile(inMissingFolder, '"', table);
        FAIL() << "expected EFCreateError";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Datei \"" + inMissingFolder +
                                                 "\" kann nicht erstellt werden. No such file or "
                                                 "directory");
    }

    // A folder in the way of the file.
    std::filesystem::create_directory(dir.File("taken.ptf"));
    EXPECT_THROW(SavePtfFile(dir.File("taken.ptf"), '"', table), EFCreateError);

    // A good file in a folder that cannot take a new file (not enforced for root).
    WriteBytes(dir.File("good.ptf"), kWorkedExample);
    std::filesystem::permissions(
        dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::geteuid() != 0) {
        EXPECT_THROW(SavePtfFile(dir.File("good.ptf"), '"', table), EFCreateError);
        EXPECT_EQ(ReadBytes(dir.File("good.ptf")), kWorkedExample);
    }
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
            << "temporary file left behind: " << entry.path();
    }
}

TEST(SavePtfFile, ReplacesAnExistingFileKeepingItsPermissionsAndLinks) {
    TempDir dir;
    PtfTable table;
    DefineKeyCount(table);
    table.CreateTable();
    const std::string real = dir.File("real.ptf");
    WriteBytes(real, "old content");
    std::filesystem::permissions(real, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    std::filesystem::create_symlink(real, dir.File("link.ptf"));
    SavePtfFile(dir.File("link.ptf"), '"', table);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ptf")));
    EXPECT_EQ(ReadBytes(real).substr(0, 2), "/*");
    EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms::owner_read |
                                                               std::filesystem::perms::owner_write |
                                                               std::filesystem::perms::group_read);
}

}  // namespace
}  // namespace parlix
