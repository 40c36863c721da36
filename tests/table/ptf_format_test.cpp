#include "table/ptf_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

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

// The fault of a load that fails; nothing when the load succeeds.
std::optional<Fault> LoadFault(std::string_view bytes, PtfTable& table) {
    try {
        LoadPtf(bytes, table);
        return std::nullopt;
    } catch (const FaultError& error) {
        return error.GetFault();
    }
}

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

    ASSERT_EQ(SavePtfFile(dir.File("t.ptf"), '"', table), Replacement::Written);
    EXPECT_EQ(ReadBytes(dir.File("t.ptf")), kWorkedExample);
    EXPECT_TRUE(table.IsActive());
    EXPECT_TRUE(table.AtEnd()) << "the cursor is left past the last record";
}

TEST(LoadPtf, ReadsTheWorkedExample) {
    PtfTable table;
    DefineKeyCount(table);
    LoadPtf(kWorkedExample, table);
    EXPECT_FALSE(table.IsActive()) << "the caller opens the table";
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.Field(0).AsString(), "a\\b \"c\"");
    EXPECT_EQ(table.Field(1).AsInteger(), 3);
    table.Next();
    EXPECT_FALSE(table.Field(0).IsNull());
    EXPECT_EQ(table.Field(0).AsString(), "");
    EXPECT_TRUE(table.Field(1).IsNull());
    EXPECT_EQ(table.FileColumnNames(), (std::vector<std::string>{"Key", "Count"}));
}

TEST(LoadPtf, AnEmptyTableMakesAFourLineFileAndReadsBack) {
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
    LoadPtfFile(dir.File("e.ptf"), reread);
    reread.Open();
    EXPECT_EQ(reread.RecordCount(), 0);
}

TEST(LoadPtf, QuotedNullIsTextAndOnlyTheBareWordIsNull) {
    PtfTable table;
    DefineKeyCount(table);
    table.CreateTable();
    table.Append();
    table.Field(0).SetAsString("null");
    table.Post();
    const std::string bytes = EncodePtfTable(table, '"');
    EXPECT_NE(bytes.find("\"null\",null,"), std::string::npos);

    table.Close();
    LoadPtf(bytes, table);
    table.Open();
    EXPECT_FALSE(table.Field(0).IsNull());
    EXPECT_EQ(table.Field(0).AsString(), "null");
    EXPECT_TRUE(table.Field(1).IsNull());
}

TEST(LoadPtf, GrowsTextColumnsToTheLongestValuePlusSixteen) {
    PtfTable table;
    table.FieldDefs().Add("A", FieldType::ftString, 32);
    table.FieldDefs().Add("B", FieldType::ftString, 32);
    LoadPtf(kHead + "names\r\n\"" + std::string(30, 'x') + "\",\"" + std::string(10, 'y') +
                "\",\r\n2);\r\n",
            table);
    EXPECT_EQ(table.FieldDefs()[0].Size(), 46);
    EXPECT_EQ(table.FieldDefs()[1].Size(), 32);
    table.Open();
    EXPECT_EQ(table.Field(0).AsString().size(), 30u);
}

TEST(LoadPtf, MatchesValuesByPositionAndKeepsTheNamesLineAsTitles) {
    PtfTable table;
    DefineKeyCount(table);
    LoadPtf(kHead + "\"Count\",\"Key\",\n\"k\",\n'12',7,\n2);\n", table);
    EXPECT_EQ(table.FileColumnNames(), (std::vector<std::string>{"Count", "Key"}));
    table.Open();
    ASSERT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.Field(0).AsString(), "k");
    EXPECT_TRUE(table.Field(1).IsNull()) << "columns beyond the last value stay null";
    table.Next();
    EXPECT_EQ(table.Field(0).AsString(), "12");
    EXPECT_EQ(table.Field(1).AsInteger(), 7);
}

TEST(LoadPtf, AcceptsEveryLineEnding) {
    PtfTable table;
    DefineKeyCount(table);
    LoadPtf(
        "/* Portable Table Format 1.0 */\rporTables[porTables.length] = new Array(\n"
        "\"Key\",\"Count\",\r\n\"a\",1,\r\"b\",'2',\n2);",
        table);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST(LoadPtf, KeepsTheTablesOrderAcrossARebuildAndSavesInIt) {
    PtfTable table;
    DefineKeyCount(table);
    table.SetIndexFieldNames("Key");
    LoadPtf(kHead + "n\n\"b\",1,\n\"c\",2,\n\"a\",3,\n2);\n", table);
    table.Open();
    EXPECT_EQ(table.Field(0).AsString(), "a");
    EXPECT_NE(EncodePtfTable(table, '"').find("\"a\",3,\r\n\"b\",1,\r\n\"c\",2,\r\n"),
              std::string::npos);
}

TEST(LoadPtf, RunsTheTableEventsPerRecord) {
    PtfTable table;
    DefineKeyCount(table);
    int inserts = 0;
    int posts = 0;
    table.BeforeInsert = [&](PtfTable&) { ++inserts; };
    table.AfterPost = [&](PtfTable&) { ++posts; };
    LoadPtf(kWorkedExample, table);
    EXPECT_EQ(inserts, 2);
    EXPECT_EQ(posts, 2);
}

// --- Failure paths --------------------------------------------------------------------------

// A loaded table holding "old" as its only record, to see what a failed load leaves behind.
void LoadOldRecord(PtfTable& table) {
    DefineKeyCount(table);
    LoadPtf(kHead + "n\n\"old\",1,\n2);\n", table);
    table.Open();
}

TEST(LoadPtfFileFailure, AnUnreadableFileRaisesTheOpenErrorAndTouchesNothing) {
    TempDir dir;
    PtfTable table;
    LoadOldRecord(table);
    const std::string missing = dir.File("missing.ptf");
    try {
        LoadPtfFile(missing, table);
        FAIL() << "expected EFOpenError";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Datei " + missing + " kann nicht geöffnet werden. No such file or directory");
    }
    EXPECT_THROW(LoadPtfFile(dir.Path().string(), table), EFOpenError) << "a folder is no file";
    EXPECT_TRUE(table.IsActive());
    EXPECT_EQ(table.Field(0).AsString(), "old");
}

TEST(LoadPtfFileFailure, AFaultNamesTheFileAndLine) {
    TempDir dir;
    const std::string path = dir.File("bad.ptf");
    WriteBytes(path, kHead + "n\n\"a\",1,\nbroken,3,\n2);\n");
    PtfTable table;
    DefineKeyCount(table);
    try {
        LoadPtfFile(path, table);
        FAIL() << "expected FaultError";
    } catch (const FaultError& error) {
        EXPECT_EQ(error.GetFault().Text(), path + ":5: Zeile kann nicht gelesen werden");
    }
}

TEST(LoadPtfFailure, AShortFileIsAFaultAndTouchesNothing) {
    PtfTable table;
    LoadOldRecord(table);
    const std::optional<Fault> fault = LoadFault("h\r\nh\r\n\"Key\",\r\n", table);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->Text(), "keine Tabellendatei (weniger als 4 Zeilen)");
    EXPECT_TRUE(table.IsActive());
    EXPECT_EQ(table.RecordCount(), 1);
}

TEST(LoadPtfFailure, ARejectedLineKeepsTheRecordsBeforeIt) {
    PtfTable table;
    LoadOldRecord(table);
    const std::optional<Fault> fault =
        LoadFault(kHead + "n\n\"a\",1,\n\"b\",2,\nbroken,3,\n\"d\",4,\n2);\n", table);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->line, 6);
    EXPECT_FALSE(table.IsActive());
    table.Open();
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST(LoadPtfFailure, TooManyValuesFailBeforeTheTableIsRebuilt) {
    PtfTable table;
    LoadOldRecord(table);
    const std::optional<Fault> fault = LoadFault(kHead + "n\n\"a\",1,\n\"b\",2,3,\n2);\n", table);
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->line, 5);
    table.Open();
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.Field(0).AsString(), "old");
}

// What a cut, a lost quote or another table leaves is refused with its line, not read as
// records; files the writer makes (and blanks where the format allows them) load.
TEST(LoadPtfFailure, OnlyAWholeTableFileIsRead) {
    const std::string example = kWorkedExample;
    const std::string withoutTrailer = example.substr(0, example.rfind("2);"));
    std::string crCrLf;
    for (char c : example) {
        crCrLf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    const std::string names = "\"Key\",\"Count\",\r\n";
    struct Case {
        const char* what;
        std::string content;
        int faultLine;    // 0: the file loads
        int records = 1;  // what the table holds after the fault (the records before its line)
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
        {"a trailer with another column count", withoutTrailer + "3);\r\n", 6},
        {"a record that ends inside a quoted value", kHead + names + "\"a\",1,\r\n\"b,2,\r\n2);", 5,
         1},
        {"a lost quote before the next value",
         kHead + names + "\"Nachricht, \"Message\",\r\n\"a\",1,\r\n2);", 4, 0},
        {"a value right after a closing quote", kHead + names + "\"a\"1,\r\n2);", 4, 0},
        {"blanks around the fixed lines and values",
         " /* Portable Table Format 1.0 */ \r\n"
         "porTables[porTables.length] = new Array( \r\nn\r\n"
         "\"a\" , 1 ,\r\n  02 );  \r\n",
         0},
        {"no line end after the trailer", withoutTrailer + "2);", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PtfTable table;
        LoadOldRecord(table);
        const std::optional<Fault> fault = LoadFault(c.content, table);
        EXPECT_FALSE(table.IsActive());
        table.Open();
        if (c.faultLine == 0) {
            EXPECT_FALSE(fault) << fault->Text();
            EXPECT_NE(table.Field(0).AsString(), "old");
            continue;
        }
        if (!fault) {
            ADD_FAILURE() << "loaded";
            continue;
        }
        EXPECT_EQ(fault->line, c.faultLine) << fault->message;
        EXPECT_EQ(table.RecordCount(), c.records);
    }
}

TEST(LoadPtfFailure, ValuesThatDoNotConvertFailTheLoad) {
    for (const char* line : {"\"a\",\"x1\",", "\"a\",1.5,", "\"a\",\"\",", "\"a\",3000000000,"}) {
        PtfTable table;
        DefineKeyCount(table);
        const std::optional<Fault> fault =
            LoadFault(kHead + "n\n\"ok\",1,\n" + line + "\n2);\n", table);
        ASSERT_TRUE(fault) << line;
        EXPECT_EQ(fault->line, 5) << line;
        table.Open();
        EXPECT_EQ(table.RecordCount(), 1) << line;
    }
}

TEST(LoadPtfFailure, ARefusedInsertFailsTheLoad) {
    PtfTable table;
    DefineKeyCount(table);
    table.BeforeInsert = [](PtfTable&) { throw EAbort(); };
    EXPECT_TRUE(LoadFault(kWorkedExample, table));
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

    // (A read-only folder or file: the cases of FileReplacement, as an unprivileged user.)
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
    if (!testing::MakeSymlink(real, dir.File("link.ptf"))) {
        GTEST_SKIP() << "this system makes no symbolic links";
    }
    std::filesystem::permissions(real, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    const std::filesystem::perms permissions = std::filesystem::status(real).permissions();
    SavePtfFile(dir.File("link.ptf"), '"', table);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ptf")));
    EXPECT_EQ(ReadBytes(real).substr(0, 2), "/*");
    EXPECT_EQ(std::filesystem::status(real).permissions(), permissions);
}

}  // namespace
}  // namespace parlix
