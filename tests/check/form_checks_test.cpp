// The checks that know the forms: a component the form lacks, a first word that names nothing
// known, a language-1 text that is not the form's; and nothing of these without forms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/table_checks.h"
#include "forms/main_form.h"
#include "forms/project_forms.h"
#include "generator/build_test_support.h"

namespace parlix::check {
namespace {

using parlix::testing::Row;

constexpr int P = translation_field::kPropertyColumn;
constexpr int L1 = translation_field::LanguageColumn(1);

struct Expected {
    Rule rule;
    int row;
    int column;
    std::string message;
    friend bool operator==(const Expected&, const Expected&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Expected& e) {
        return out << static_cast<int>(e.rule) << " " << e.row << ":" << e.column << " "
                   << e.message;
    }
};

TEST(FormChecks, PathsAndTextsAgainstTheForms) {
    parlix::testing::TempDir dir;
    parlix::testing::WriteMainForm(dir);
    const forms::ProjectForms known({dir.File("Demo.ppr"), "", "uMain", {}});
    // A unit of the uses list that is not found may declare any name.
    const forms::ProjectForms unsure({dir.File("Demo.ppr"), "", "uMain, Forms", {}});
    const forms::ProjectForms none({dir.File("Demo.ppr"), "", "uOther", {}});
    const std::vector<Row> rows = {
        {"", "frmMain.Caption, frmMain.btOK.Caption", "", "Hauptfenster", "Main"},
        {"", "frmMain.btGone.Caption, frmMain.Font.Name", "", "a", "b"},
        {"", "Form2.Caption, Counter.Caption, uMain.frmMain.Caption", "", "a", "b"},
        {"", "frmMain . ListBox1.Items.Strings[00], frmMain.btOK.Width", "", "Eins", "One"},
        {"", "frmMain.lbArrow.Caption", "", "Weiter ->", "On"},
    };
    const std::string file = dir.File("umain.lfm");
    const std::vector<Expected> withForms = {
        {Rule::FormTextDiffers, 0, L1,
         "the text in Deutsch differs from the form's \"OK\" (" + file + ":4)"},
        {Rule::NoSuchComponent, 1, P,
         "\"frmMain.btGone.Caption\": the form " + file + " has no component \"btGone\""},
        {Rule::UnknownFormVariable, 2, P,
         "\"Form2.Caption\": \"Form2\" is no form of the project, and no unit of the uses list "
         "declares it"},
        {Rule::FormTextDiffers, 4, L1,
         "the text in Deutsch differs from the form's \"Weiter ?\" (" + file + ":8)"},
    };
    struct Case {
        const forms::ProjectForms* forms;
        std::vector<Expected> expected;
    };
    std::vector<Expected> unsureFindings = withForms;
    unsureFindings.erase(unsureFindings.begin() + 2);
    for (const Case& c : {Case{&known, withForms}, Case{&unsure, unsureFindings}, Case{&none, {}},
                          Case{nullptr, {}}}) {
        PtfTable table;
        parlix::testing::FillTranslations(table, "Deutsch", "English", rows);
        const CheckResult result = CheckTranslations(table, {"uTexte", "uMain", c.forms});
        std::vector<Expected> found;
        for (const Finding& f : result.findings) {
            if (f.rule != Rule::NotTranslated && f.rule != Rule::Untranslated) {
                found.push_back({f.rule, f.row, f.column, EnglishMessage(f, result)});
            }
        }
        EXPECT_EQ(found, c.expected);
        EXPECT_EQ(result.errors, c.forms == &known || c.forms == &unsure ? 1 : 0);
    }
}

}  // namespace
}  // namespace parlix::check
