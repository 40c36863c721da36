// parlix-build --sync-forms on the Lazarus example: the table made from its forms, a second
// run that finds nothing to do, the forms changed in the designer, the checks that see it, the
// UTF-8 unit of a Lazarus project, the calls that fail, and all of it in a folder whose name is
// no ASCII.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_tool.h"
#include "test_support.h"

namespace parlix::testing {
namespace {

namespace fs = std::filesystem;

// Replaces every `from` in a file by `to`.
void Replace(const std::string& file, const std::string& from, const std::string& to) {
    std::string text = ReadBytes(file);
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    WriteBytes(file, text);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         from = end + 1, end = text.find('\n', from)) {
        lines.push_back(text.substr(from, end - from));
    }
    return lines;
}

// The Lazarus example's files into `folder` (UTF-8).
void CopyExample(const std::string& folder) {
    const fs::path to = platform::NativePath(folder);
    fs::create_directories(to);
    for (const auto& entry : fs::directory_iterator(fs::path(PARLIX_EXAMPLES_DIR) / "tasks")) {
        fs::copy(entry.path(), to / entry.path().filename());
    }
}

class SyncFormsTest : public ::testing::Test {
  protected:
    void SetUp() override { CopyExample(platform::Utf8Path(dir.Path())); }
    std::string File(const std::string& name) const { return dir.File(name); }
    ToolResult Run(std::vector<std::string> args) {
        args.push_back(File("Tasks.ppr"));
        return RunTool(args);
    }

    TempDir dir;
};

TEST_F(SyncFormsTest, TheTableFollowsTheFormsAndTheChecksSeeWhatIsGone) {
    const std::string table = File("Tasks_translations.ptf");
    ToolResult first = Run({"--sync-forms"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "17 neu, 0 geändert, 0 unverändert, 0 verschwunden, 0 abgelehnt\n");
    const std::vector<std::string> added = Lines(first.err);
    ASSERT_EQ(added.size(), 17u);
    EXPECT_EQ(added[0], File("umain.lfm") + ":6: note: neu: frmMain.Caption = \"Aufgaben\"");
    EXPECT_EQ(added[16], File("ubuttons.lfm") +
                             ":17: note: neu: frmAbout.Buttons1.btClose.Hint = \"Das Fenster "
                             "schließen\"");
    EXPECT_TRUE(fs::exists(table + ".bak1"));
    const std::string made = ReadBytes(table);
    EXPECT_NE(made.find("\"Hint\",\"frmMain.btAdd.Hint\",\"\",\"Eine neue Aufgabe anlegen\",null,"),
              std::string::npos);

    // Nothing to do: nothing written, no backup.
    const ToolResult second = Run({"--sync-forms"});
    EXPECT_EQ(second.out, "0 neu, 0 geändert, 17 unverändert, 0 verschwunden, 0 abgelehnt\n");
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(ReadBytes(table), made);
    EXPECT_FALSE(fs::exists(table + ".bak2"));

    // A Lazarus project's unit is UTF-8 unless asked otherwise.
    EXPECT_EQ(Run({}).status, 0);
    EXPECT_TRUE(ReadBytes(File("uTexte.pas")).starts_with("\xEF\xBB\xBFunit uTexte;"));
    EXPECT_EQ(Run({"--encoding", "cp1252"}).status, 0);
    EXPECT_TRUE(ReadBytes(File("uTexte.pas")).starts_with("unit uTexte;"));

    // In the designer: a button renamed, a panel's text and a label's changed.
    for (const char* unit : {"umain.lfm", "umain.pas"}) {
        Replace(File(unit), "btAdd", "btNew");
    }
    Replace(File("umain.lfm"), "'Bereit'", "'Fertig'");
    Replace(File("uabout.lfm"), "Beispiel für", "Beispiel → für");
    const ToolResult dry = Run({"--sync-forms", "--dry-run"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_EQ(dry.out, "2 neu, 1 geändert, 13 unverändert, 2 verschwunden, 1 abgelehnt\n");
    EXPECT_EQ(
        Lines(dry.err),
        (std::vector<std::string>{
            File("umain.lfm") + ":38: note: neu: frmMain.btNew.Caption = \"Hin&zufügen\"",
            File("umain.lfm") +
                ":39: note: neu: frmMain.btNew.Hint = \"Eine neue Aufgabe anlegen\"",
            File("umain.lfm") +
                ":50: note: geändert: frmMain.StatusBar1.Panels[0].Text: \"Bereit\" -> "
                "\"Fertig\"",
            table + ":9: warning: verschwunden: frmMain.btAdd.Caption: " + File("umain.lfm") +
                " hat keine Komponente \"btAdd\" (nicht gelöscht)",
            table + ":10: warning: verschwunden: frmMain.btAdd.Hint: " + File("umain.lfm") +
                " hat keine Komponente \"btAdd\" (nicht gelöscht)",
            File("uabout.lfm") + ":18: warning: abgelehnt: frmAbout.lbInfo.Caption: Zeichen, die "
                                 "Windows-1252 nicht kennt: → (U+2192)",
        }));
    EXPECT_EQ(ReadBytes(table), made);

    const ToolResult check = Run({"--check"});
    EXPECT_EQ(check.status, 1);
    const std::string missing = "error: \"frmMain.btAdd.Caption\": the form " + File("umain.lfm") +
                                " has no component \"btAdd\"";
    EXPECT_NE(check.out.find(table + ":9: " + missing), std::string::npos) << check.out;
    EXPECT_NE(check.out.find(table +
                             ":11: warning: the text in Deutsch differs from the form's "
                             "\"Fertig\" (" +
                             File("umain.lfm") + ":50)"),
              std::string::npos)
        << check.out;
    // A build would not compile: nothing is written.
    EXPECT_EQ(Run({}).status, 1);

    // The sync writes the new and the changed texts and deletes nothing.
    EXPECT_EQ(Run({"--sync-forms"}).status, 0);
    EXPECT_EQ(Run({"--sync-forms"}).out,
              "0 neu, 0 geändert, 16 unverändert, 2 verschwunden, 1 abgelehnt\n");
}

TEST_F(SyncFormsTest, CallsThatFailChangeNothing) {
    const std::string table = ReadBytes(File("Tasks_translations.ptf"));
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    Replace(File("Tasks.ppr"), "\"uMain, uAbout\"", "\"uNone\"");
    const Case cases[] = {
        {{"--sync-forms", "--forms", File("nowhere")},
         1,
         "parlix-build: " + File("nowhere") + ": Datei oder Ordner nicht gefunden\n"},
        {{"--sync-forms"},
         1,
         "parlix-build: " + File("Tasks.ppr") +
             ": kein Formular gefunden (gesucht: zu jeder Unit des Uses-Abschnitts \"uNone\" "
             "<Unit>.lfm oder <Unit>.dfm neben der Quelltext-Unit und der Projektdatei, und in "
             "--forms)\n"},
        {{"--sync-forms", "--forms"},
         2,
         "parlix-build: keine Projektdatei angegeben\n" +
             std::string("Aufruf: parlix-build --sync-forms [--dry-run] [--forms PFAD]... "
                         "PROJEKT.ppr\n")},
    };
    for (const Case& c : cases) {
        const ToolResult result = Run(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(ReadBytes(File("Tasks_translations.ptf")), table);
    }
    // The forms given on the command line: the folder itself, where the frame's form is no
    // form of its own.
    const ToolResult extra = Run({"--sync-forms", "--dry-run", "--forms", dir.Path().string()});
    EXPECT_EQ(extra.out, "17 neu, 0 geändert, 0 unverändert, 0 verschwunden, 0 abgelehnt\n");
}

// A project in a folder whose name is no ASCII, as a user's "C:\Users\Jürgen\..." on
// Windows: the forms beside the project, the units and the frame's form beside them, a folder
// given with --forms, and the checks that read the forms too.
TEST(SyncForms, FindsAndReadsTheFormsInAFolderNamedInAnyScript) {
    TempDir dir;
    const std::string folder = dir.File("Übersetzung/日本");
    CopyExample(folder);
    const std::string project = dir.File("Übersetzung/日本/Tasks.ppr");
    const std::string form = dir.File("Übersetzung/日本/umain.lfm");
    const std::string table = dir.File("Übersetzung/日本/Tasks_translations.ptf");

    const ToolResult sync = RunTool({"--sync-forms", project});
    EXPECT_EQ(sync.status, 0) << sync.err;
    EXPECT_EQ(sync.out, "17 neu, 0 geändert, 0 unverändert, 0 verschwunden, 0 abgelehnt\n");
    const std::vector<std::string> added = Lines(sync.err);
    ASSERT_EQ(added.size(), 17u) << sync.err;
    EXPECT_EQ(added[0], form + ":6: note: neu: frmMain.Caption = \"Aufgaben\"");
    const std::string made = ReadBytes(table);
    // The frame's text, found through the frame's form and unit beside the form (in
    // Windows-1252: \337 is "ß").
    for (const char* row : {"\"frmMain\",\"frmMain.Caption\",\"\",\"Aufgaben\",null,",
                            "\"Hint\",\"frmAbout.Buttons1.btClose.Hint\",\"\",\"Das Fenster "
                            "schlie\337en\",null,"}) {
        EXPECT_NE(made.find(row), std::string::npos) << row;
    }
    const ToolResult again = RunTool({"--sync-forms", "--dry-run", "--forms", folder, project});
    EXPECT_EQ(again.out, "0 neu, 0 geändert, 17 unverändert, 0 verschwunden, 0 abgelehnt\n");
    EXPECT_EQ(again.err, "");

    EXPECT_EQ(RunTool({"--check", project}).status, 0);
    for (const char* unit : {"umain.lfm", "umain.pas"}) {
        Replace(dir.File("Übersetzung/日本/" + std::string(unit)), "btAdd", "btNew");
    }
    const ToolResult check = RunTool({"--check", project});
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find(table + ":9: error: \"frmMain.btAdd.Caption\": the form " + form +
                             " has no component \"btAdd\""),
              std::string::npos)
        << check.out;
}

}  // namespace
}  // namespace parlix::testing
