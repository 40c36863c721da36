// Which forms belong to a project, the sync plan of a table against them, and its apply.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/exchange_support.h"
#include "forms/main_form.h"
#include "formsync/form_sync.h"
#include "generator/build_test_support.h"
#include "history/edit_history.h"
#include "table/cp1252.h"

namespace parlix::formsync {
namespace {

using parlix::testing::Row;
using parlix::testing::TempDir;
using parlix::testing::WriteBytes;
using parlix::testing::WriteMainForm;

std::vector<Row> MainRows() {
    return {
        {"Form", "frmMain.Caption, FRMMAIN . caption", "sTitle", "Hauptfenster", "Main window"},
        {"Button", "FRMMAIN.btOK.caption", "", "Okay", "OK"},
        {"Button", "frmMain.btGone.Caption", "", "Weg", "Gone"},
        {"Button", "frmMain.btSave.Caption, frmMain.miSave.Caption", "sSave", "Speichern", "Save"},
        {"Label", "frmOther.lbX.Caption", "", "x", "x"},
        {"Item", "frmMain.btOld.Caption , frmMain . ListBox1.Items.Strings[00]", "", "Eins", "One"},
        {"Label", "frmMain.lbGone.Caption", "sGone", "Fort", "Gone"},
    };
}

forms::ProjectForms MainForms(const TempDir& dir, const std::string& uses = "uMain") {
    return forms::ProjectForms({dir.File("Demo.ppr"), dir.File("uTexte.pas"), uses, {}});
}

TEST(ProjectForms, FormsAndUnitsOfTheUsesListAndTheExtraPaths) {
    TempDir dir;
    WriteMainForm(dir);
    std::filesystem::create_directories(dir.Path() / "src" / "dialogs");
    std::filesystem::create_directories(dir.Path() / "more" / "deep");
    // Beside the source unit, which is looked at first, and beside the project file.
    WriteBytes(dir.File("src/uAbout.dfm"), "object AboutBox: TAboutBox\n  Caption = 'A'\nend\n");
    WriteBytes(dir.File("uAbout.lfm"), "object Wrong: TWrong\n  Caption = 'W'\nend\n");
    WriteBytes(dir.File("uAbout.pas"),
               "unit uAbout;\ninterface\nvar gAbout: Integer;\n"
               "implementation\nend.\n");
    WriteBytes(dir.File("more/deep/uExtra.lfm"), "object frmExtra: TfrmExtra\nend\n");
    WriteBytes(dir.File("more/broken.lfm"), "object X: TX\n  Caption = 'x\nend\n");

    const forms::ProjectForms found(
        {dir.File("Demo.ppr"),
         dir.File("src/uTexte.pas"),
         "uMain, UABOUT,, System.Classes",
         {dir.File("more"), dir.File("umain.lfm"), dir.File("nowhere")}});
    EXPECT_TRUE(found.Found());
    EXPECT_EQ(found.Files(), (std::vector<std::string>{
                                 dir.File("umain.lfm"), dir.File("src/uAbout.dfm"),
                                 dir.File("more/broken.lfm"), dir.File("more/deep/uExtra.lfm")}));
    std::vector<std::string> faults;
    for (const Fault& fault : found.Faults()) {
        faults.push_back(fault.Text());
    }
    EXPECT_EQ(faults, (std::vector<std::string>{
                          dir.File("nowhere") + ": Datei oder Ordner nicht gefunden",
                          dir.File("more/broken.lfm") + ":2: Text ohne schließendes Hochkomma"}));
    ASSERT_NE(found.TextAt("aboutbox.caption"), nullptr);
    EXPECT_EQ(found.TextAt("frmmain.listbox1.items.strings[1]")->text, "Zwei");
    EXPECT_EQ(found.TextAt("frmMain.Caption"), nullptr) << "keys are lower case";

    struct Case {
        const char* word;
        forms::FirstWord names;
    };
    // System.Classes is not found beside the project, so any other name may be its.
    for (const Case& c :
         {Case{"FRMMAIN", forms::FirstWord::Form}, Case{"frmExtra", forms::FirstWord::Form},
          Case{"counter", forms::FirstWord::Known}, Case{"gAbout", forms::FirstWord::Known},
          Case{"uabout", forms::FirstWord::Known}, Case{"System", forms::FirstWord::Known},
          Case{"Application", forms::FirstWord::Unsure}}) {
        EXPECT_EQ(found.Name(c.word), c.names) << c.word;
    }
    EXPECT_EQ(MainForms(dir, "uMain, uAbout").Name("Application"), forms::FirstWord::Unknown);

    // A form changed, a form appeared in a folder searched: the forms are read again.
    EXPECT_FALSE(found.Changed());
    const auto later =
        std::filesystem::last_write_time(dir.File("umain.lfm")) + std::chrono::seconds(1);
    std::filesystem::last_write_time(dir.File("umain.lfm"), later);
    EXPECT_TRUE(found.Changed());
    const forms::ProjectForms again = MainForms(dir);
    WriteBytes(dir.File("uNew.lfm"), "object frmNew: TfrmNew\nend\n");
    // Making the file changed the folder's time; set it later still where the system lets a
    // folder's time be set (Windows does not), so that a coarse clock cannot hide the change.
    std::error_code unsettable;
    std::filesystem::last_write_time(dir.Path(), later + std::chrono::seconds(1), unsettable);
    EXPECT_TRUE(again.Changed());
    EXPECT_FALSE(MainForms(dir, "uNone").Found());
    // A Lazarus project has only .lfm forms.
    EXPECT_TRUE(forms::HasLazarusForms({dir.File("Demo.ppr"), "", "uMain", {}}));
    EXPECT_TRUE(forms::HasLazarusForms({dir.File("Demo.ppr"), "", "uMain, uAbout", {}}));
    EXPECT_FALSE(forms::HasLazarusForms(
        {dir.File("Demo.ppr"), dir.File("src/uTexte.pas"), "uMain, uAbout", {}}));
    EXPECT_FALSE(forms::HasLazarusForms({dir.File("Demo.ppr"), "", "uNone", {}}));
}

TEST(FormSync, PlanSortsEveryTextAndEveryPathOfTheForms) {
    TempDir dir;
    WriteMainForm(dir);
    const forms::ProjectForms forms = MainForms(dir);
    PtfTable table;
    parlix::testing::FillTranslations(table, "Deutsch", "English", MainRows());
    const std::string file = dir.File("umain.lfm");

    const SyncPlan plan = PlanFormSync(forms, table);
    EXPECT_EQ(plan.tableRows, 7);
    // The caption, the first list item and btSave's caption.
    EXPECT_EQ(plan.unchanged, 3);

    ASSERT_EQ(plan.changed.size(), 1u);
    EXPECT_EQ(plan.changed[0].row, 1);
    EXPECT_EQ(plan.changed[0].id, table.IdAt(1));
    EXPECT_EQ(plan.changed[0].path, "FRMMAIN.btOK.caption");
    EXPECT_EQ(plan.changed[0].before, "Okay");
    EXPECT_EQ(plan.changed[0].after, "OK");
    EXPECT_EQ(plan.changed[0].spot.Text(), file + ":4");

    struct Added {
        std::string path, type, text;
        int line;
    };
    const std::vector<Added> added = {
        {"frmMain.btOK.Hint", "Hint", Utf8ToCp1252("Übernimmt alles").value(), 5},
        {"frmMain.ListBox1.Items.Strings[1]", "ListBox", "Zwei", 16},
    };
    ASSERT_EQ(plan.added.size(), added.size());
    for (std::size_t i = 0; i < added.size(); ++i) {
        EXPECT_EQ(plan.added[i].path, added[i].path);
        EXPECT_EQ(plan.added[i].type, added[i].type);
        EXPECT_EQ(plan.added[i].text, added[i].text);
        EXPECT_EQ(plan.added[i].spot.Text(), file + ":" + std::to_string(added[i].line));
    }

    struct Vanished {
        int row;
        std::string path, missing;
        bool wholeRow;
    };
    const std::vector<Vanished> vanished = {
        {2, "frmMain.btGone.Caption", "btGone", true},
        {5, "frmMain.btOld.Caption", "btOld", false},
        {6, "frmMain.lbGone.Caption", "lbGone", false},  // the constant stays
    };
    ASSERT_EQ(plan.vanished.size(), vanished.size());
    for (std::size_t i = 0; i < vanished.size(); ++i) {
        EXPECT_EQ(plan.vanished[i].row, vanished[i].row);
        EXPECT_EQ(plan.vanished[i].path, vanished[i].path);
        EXPECT_EQ(plan.vanished[i].missing, vanished[i].missing);
        EXPECT_EQ(plan.vanished[i].form, file);
        EXPECT_EQ(plan.vanished[i].wholeRow, vanished[i].wholeRow) << vanished[i].path;
    }

    struct Refused {
        int row;
        std::string path, reason;
        int line;
    };
    const std::vector<Refused> refused = {
        {3, "frmMain.miSave.Caption",
         "die Zeile hat weitere Pfade, deren Text im Formular anders lautet "
         "(\"frmMain.btSave.Caption\" hat \"Speichern\")",
         23},
        {-1, "frmMain.lbArrow.Caption", "Zeichen, die Windows-1252 nicht kennt: → (U+2192)", 8},
        {-1, "frmMain.lbTwo.Caption", "Zeilenumbruch im Text", 11},
    };
    ASSERT_EQ(plan.refused.size(), refused.size());
    for (std::size_t i = 0; i < refused.size(); ++i) {
        EXPECT_EQ(plan.refused[i].row, refused[i].row);
        EXPECT_EQ(plan.refused[i].path, refused[i].path);
        EXPECT_EQ(plan.refused[i].reason, refused[i].reason);
        EXPECT_EQ(plan.refused[i].spot.Text(), file + ":" + std::to_string(refused[i].line));
    }
}

TEST(FormSync, ApplyIsOneStepOfTheHistoryAndASecondPlanFindsNothingNew) {
    TempDir dir;
    WriteMainForm(dir);
    const forms::ProjectForms forms = MainForms(dir);
    PtfTable table;
    parlix::testing::FillTranslations(table, "Deutsch", "English", MainRows());
    table.SetIndexFieldNames("Deutsch");  // writing language 1 moves rows
    EditHistory history(table);
    const std::string before = parlix::testing::Values(table);
    const SyncPlan plan = PlanFormSync(forms, table);

    SyncResult result;
    {
        HistoryStep step(history);
        result = ApplyFormSync(plan, table, {true, true, true});
    }
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(result.changed, 1);
    EXPECT_EQ(result.pathsRemoved, 3);
    EXPECT_EQ(result.rowsDeleted, 1);
    EXPECT_EQ(history.UndoCount(), 1u);
    const std::string hint = Utf8ToCp1252("Übernimmt alles").value();
    EXPECT_EQ(parlix::testing::Values(table),
              "[Form][frmMain.Caption, FRMMAIN . caption][sTitle][Hauptfenster][Main window]\n"
              "[Button][FRMMAIN.btOK.caption][][OK][OK]\n"
              "[Button][frmMain.btSave.Caption, frmMain.miSave.Caption][sSave][Speichern][Save]\n"
              "[Label][frmOther.lbX.Caption][][x][x]\n"
              "[Item][frmMain . ListBox1.Items.Strings[00]][][Eins][One]\n"
              "[Label][][sGone][Fort][Gone]\n"
              "[Hint][frmMain.btOK.Hint][][" +
                  hint +
                  "]<null>\n"
                  "[ListBox][frmMain.ListBox1.Items.Strings[1]][][Zwei]<null>\n");

    const SyncPlan again = PlanFormSync(forms, table);
    EXPECT_FALSE(again.HasChanges());
    EXPECT_EQ(again.unchanged, 6);
    EXPECT_TRUE(again.vanished.empty());
    EXPECT_EQ(again.refused.size(), 3u);

    history.Undo();
    EXPECT_EQ(parlix::testing::Values(table), before);
    // A plan that no longer fits the table changes nothing.
    table.MoveTo(table.RowOf(plan.changed[0].id));
    table.Edit();
    table.Field(3).SetAsString("Anders");
    table.Post();
    const std::string edited = parlix::testing::Values(table);
    EXPECT_THROW(ApplyFormSync(plan, table), PtfError);
    EXPECT_EQ(parlix::testing::Values(table), edited);
}

}  // namespace
}  // namespace parlix::formsync
