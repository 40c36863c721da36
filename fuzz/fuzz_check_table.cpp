// Any table: the checks neither crash nor hang, their readers obey their contracts, and every
// finding has a message. Lines are records, fields are separated by a tab (Type is left out);
// the first line is the uses list too, which passes only as unit names, commas and blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "check/pascal_names.h"
#include "check/table_checks.h"
#include "check/text_marks.h"
#include "project/project_files.h"

namespace {

void Expect(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A valid path's key is a valid path with the same key.
void CheckPath(std::string_view piece) {
    std::string key;
    const parlix::check::PropertyPath path = parlix::check::ParsePropertyPath(piece, &key);
    if (path.fault != parlix::check::NameFault::None) {
        Expect(key.empty());
        return;
    }
    std::string first;
    parlix::check::AppendLowerAscii(first, path.first);
    Expect(!first.empty() && key.starts_with(first));
    std::string again;
    Expect(parlix::check::ParsePropertyPath(key, &again).fault == parlix::check::NameFault::None);
    Expect(again == key);
}

// Only what a list of unit names is made of: nothing a compiler reads as code, a comment or a
// directive.
bool IsUnitNamesText(std::string_view text) {
    for (const char c : text) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        const bool other = c == '.' || c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!letter && !digit && !other) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckPath(input);
    const parlix::check::FormatPlaceholders placeholders =
        parlix::check::ParseFormatPlaceholders(input);
    for (const std::string_view written : placeholders.written) {
        Expect(written.size() >= 2 && written[0] == '%');
    }
    Expect(parlix::check::FindAccelerators(input).count <= static_cast<int>(size));

    parlix::PtfTable table;
    parlix::DefineTranslationFields(table);
    table.CreateTable();
    std::string_view rest = input;
    for (int records = 0; !rest.empty() && records < 64; ++records) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        table.Append();
        for (int column = 1; column <= 4; ++column) {
            const std::size_t tab = line.find('\t');
            table.Field(column).SetAsString(line.substr(0, tab));
            line = tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
        }
        table.Post();
    }
    const std::string uses(input.substr(0, input.find('\n')));
    const parlix::check::CheckResult result =
        parlix::check::CheckTranslations(table, {"uTexte", uses});
    Expect(result.errors + result.warnings == static_cast<int>(result.findings.size()));
    const bool usesAccepted = result.findings.empty() || result.findings[0].column != -1;
    Expect(!usesAccepted || IsUnitNamesText(uses));
    Expect(parlix::check::CheckUnitName(input).fault != parlix::check::NameFault::None ||
           IsUnitNamesText(input));
    int lastRow = -1;
    for (const parlix::check::Finding& finding : result.findings) {
        Expect(finding.row >= lastRow && finding.row < result.records);
        Expect(finding.column >= 0 || finding.row == -1);
        Expect(finding.otherRow < finding.row || finding.otherRow == -1 ||
               finding.rule == parlix::check::Rule::HiddenPropertyPath);
        lastRow = finding.row;
        Expect(!parlix::check::GermanMessage(finding, result).empty());
        Expect(!parlix::check::EnglishMessage(finding, result, 4).empty());
    }
    return 0;
}
