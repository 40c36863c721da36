#include "cli/check_command.h"

#include "check/table_checks.h"
#include "cli/read_project.h"
#include "forms/project_forms.h"
#include "formsync/form_sync.h"
#include "table/errors.h"
#include "table/ptf_format.h"

namespace parlix::build_tool {

namespace {

std::string Count(int number, const char* word) {
    return std::to_string(number) + " " + word + (number == 1 ? "" : "s");
}

// Prints the findings, the forms' and the review marks' among them, and returns the result.
check::CheckResult PrintFindings(const ProjectState& state, PtfTable& translations,
                                 const review::SourceMemory& marks, std::ostream& out,
                                 const std::vector<std::string>& extraForms) {
    const forms::ProjectForms forms(formsync::FormsSourceOf(state, extraForms));
    check::CheckResult result = check::CheckTranslations(
        translations, {UnitNameFor(state.SourceFileName), state.UsesList, &forms}, &marks);
    for (const check::Finding& finding : result.findings) {
        // The unit's name, its uses list and the language names are the project record's, the
        // first record of its file; the column titles stand in the table file's names line.
        const bool title = finding.rule == check::Rule::ColumnTitle;
        const bool project = finding.row < 0 && !title;
        const int line = title     ? kPtfNamesLine
                         : project ? kPtfFirstRecordLine
                                   : finding.row + kPtfFirstRecordLine;
        out << (project ? state.ProjectFileName : state.TranslationsFileName) << ':' << line << ": "
            << (finding.severity == check::Severity::Error ? "error" : "warning") << ": "
            << check::EnglishMessage(finding, result, kPtfFirstRecordLine) << '\n';
    }
    return result;
}

std::string Summary(const ProjectState& state, const check::CheckResult& result) {
    return state.TranslationsFileName + ": " + Count(result.errors, "error") + ", " +
           Count(result.warnings, "warning") + " in " + Count(result.records, "record") +
           (result.toReview > 0 ? ", " + std::to_string(result.toReview) + " to review" : "");
}

}  // namespace

int RunCheck(const std::string& projectFile, bool strict, std::ostream& out, std::ostream& err,
             const std::vector<std::string>& forms) {
    ProjectState state;
    PtfTable translations;
    ReadProject(projectFile, state, translations);
    review::SourceMemory marks(translations);
    ReadMarks(state, translations, marks, err);
    const check::CheckResult result = PrintFindings(state, translations, marks, out, forms);
    out << Summary(state, result) << '\n';
    const bool failed = result.errors > 0 || (strict && result.warnings > 0);
    return failed ? 1 : 0;
}

void CheckBeforeBuild(const ProjectState& state, PtfTable& translations,
                      const review::SourceMemory& marks, bool strict, std::ostream& err,
                      const std::vector<std::string>& forms) {
    const check::CheckResult result = PrintFindings(state, translations, marks, err, forms);
    // An error means a unit that does not compile, that compiles text of the project as code,
    // or that shows a language nobody chose: the unit in place is better.
    if (result.errors > 0) {
        throw FaultError(Fault::In("", Summary(state, result) + "; no unit written"));
    }
    if (strict && !result.findings.empty()) {
        throw FaultError(Fault::In("", Summary(state, result) + "; no unit written (--strict)"));
    }
}

}  // namespace parlix::build_tool
