// Translation tables, project files and golden units for the tests of the unit generator and
// of parlix-build.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "project/project_files.h"
#include "table/ptf_format.h"
#include "table/ptf_table.h"
#include "test_support.h"

namespace parlix::testing {

// One row of a translation table; a missing language value stays null.
struct Row {
    std::string type;
    std::string property;
    std::string stringName;
    std::optional<std::string> language1;
    std::optional<std::string> language2;
};

// An open translation table with the language fields named as given and the rows appended.
inline void FillTranslations(PtfTable& table, const std::string& language1,
                             const std::string& language2, const std::vector<Row>& rows) {
    DefineTranslationFields(table);
    RenameLanguageFields(table, language1, language2);
    table.CreateTable();
    for (const Row& row : rows) {
        table.Append();
        table.Field(0).SetAsString(row.type);
        table.Field(1).SetAsString(row.property);
        table.Field(2).SetAsString(row.stringName);
        if (row.language1) {
            table.Field(3).SetAsString(*row.language1);
        }
        if (row.language2) {
            table.Field(4).SetAsString(*row.language2);
        }
        table.Post();
    }
}

// The records of the worked example: a form caption with a constant, a button text used on
// two forms without a constant, and a constant without a property.
inline std::vector<Row> WorkedExampleRows() {
    return {
        {"Form", "frmAddress.Caption", "sTitle", "Adressbuch", "Address book"},
        {"Button", " frmAddress.btClose.Caption , ,frmAbout.btClose.Caption", "", "Fertig", "Done"},
        {"", "", "sNotFound", " Nicht gefunden ", "Not found"},
    };
}

inline ProjectState WorkedExampleState() {
    ProjectState state;
    state.SourceFileName = "C:\\Projekte\\Adressen\\uTexte.pas";
    state.UsesList = "uAddress, uAbout";
    state.LanguageNames = {"", "Deutsch", "English"};
    state.BuildLanguage = 2;
    return state;
}

// The project record's settings for WriteProjectFiles.
struct ProjectSettings {
    std::string sourceFile = "uTexte.pas";
    std::string language1 = "Deutsch";
    std::string language2 = "English";
    int backups = 2;
    std::string uses = "uAddress, uAbout";
};

// Writes a project file and its translation table file, as the desktop program does.
inline void WriteProjectFiles(const std::string& projectFile, const ProjectSettings& settings,
                              const std::vector<Row>& rows) {
    PtfTable project;
    DefineProjectFields(project);
    project.CreateTable();
    project.Edit();
    project.FieldByName(project_field::kSourceFile).SetAsString(settings.sourceFile);
    project.FieldByName(project_field::kLanguage1).SetAsString(settings.language1);
    project.FieldByName(project_field::kLanguage2).SetAsString(settings.language2);
    project.FieldByName(project_field::kBackups).SetAsInteger(settings.backups);
    project.FieldByName(project_field::kUses).SetAsString(settings.uses);
    SetIdentityFields(project);
    project.FieldByName(project_field::kLastSave).SetAsString("2026-12-07 01:18:35");
    project.Post();
    SavePtfFile(projectFile, '"', project);

    PtfTable translations;
    FillTranslations(translations, settings.language1, settings.language2, rows);
    SavePtfFile(TranslationsFileNameFor(projectFile), '"', translations);
}

// A golden unit from tests/generator/golden.
inline std::string Golden(const std::string& name) {
    const std::string path = std::string(PARLIX_GOLDEN_DIR) + "/" + name;
    std::string bytes = ReadBytes(path);
    EXPECT_FALSE(bytes.empty()) << "missing golden file " << path;
    return bytes;
}

// The lines of a unit, without their CR LF.
inline std::vector<std::string> UnitLines(std::string_view unit) {
    std::vector<std::string> lines;
    for (std::size_t end = unit.find("\r\n"); end != std::string_view::npos;
         end = unit.find("\r\n")) {
        lines.emplace_back(unit.substr(0, end));
        unit.remove_prefix(end + 2);
    }
    if (!unit.empty()) {
        lines.emplace_back(unit);  // a last line without CR LF shows up in comparisons
    }
    return lines;
}

// Compares a generated unit with its golden file and names the first differing line, with
// tabs and other control characters made visible.
inline ::testing::AssertionResult SameUnit(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return ::testing::AssertionSuccess();
    }
    auto visible = [](std::string_view line) {
        std::ostringstream text;
        for (unsigned char c : line) {
            if (c == '\t') {
                text << "<TAB>";
            } else if (c < 32 || c >= 127) {
                text << "<" << static_cast<int>(c) << ">";
            } else {
                text << c;
            }
        }
        return text.str();
    };
    const std::vector<std::string> a = UnitLines(actual);
    const std::vector<std::string> e = UnitLines(expected);
    std::size_t line = 0;
    while (line < a.size() && line < e.size() && a[line] == e[line]) {
        ++line;
    }
    auto result = ::testing::AssertionFailure();
    result << "units differ at line " << line + 1 << " (" << a.size() << " lines, expected "
           << e.size()
           << ")\n  actual:   " << (line < a.size() ? visible(a[line]) : std::string("<no line>"))
           << "\n  expected: " << (line < e.size() ? visible(e[line]) : std::string("<no line>"));
    if (line == a.size() && line == e.size()) {
        result << "\n  the lines agree; the line ends or the last line differ";
    }
    return result;
}

}  // namespace parlix::testing
