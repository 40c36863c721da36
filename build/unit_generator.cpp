#include "build/unit_generator.h"

#include <vector>

#include "table/backups.h"
#include "table/errors.h"
#include "table/file_io.h"
#include "table/text.h"

namespace parlix {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
// Continuation lines of a long text start with this, then '+' and the next literal.
constexpr std::string_view kContinuation = "\r\n    + ";

// Keeps the table's views quiet while the generator walks it.
class ControlsDisabled {
  public:
    explicit ControlsDisabled(PtfTable& table) : table_(table) { table_.DisableControls(); }
    ~ControlsDisabled() { table_.EnableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

  private:
    PtfTable& table_;
};

// Appends the text inside a literal's apostrophes, doubling each apostrophe.
void AppendQuoted(std::string& unit, std::string_view text) {
    for (std::size_t quote = text.find('\''); quote != std::string_view::npos;
         quote = text.find('\'')) {
        unit.append(text.substr(0, quote + 1));
        unit.push_back('\'');
        text.remove_prefix(quote + 1);
    }
    unit.append(text);
}

void AppendLine(std::string& unit, std::string_view text) {
    unit.append(text);
    unit.append(kLineEnd);
}

void AppendEmptyLine(std::string& unit) {
    unit.append(kLineEnd);
}

// "{$IFDEF <name>}" or "{$DEFINE <name>}".
void AppendDirective(std::string& unit, std::string_view directive, std::string_view name) {
    unit.append("{$");
    unit.append(directive);
    unit.push_back(' ');
    unit.append(name);
    unit.push_back('}');
    unit.append(kLineEnd);
}

// "  <name><TAB>= '<text>';" for every record with a constant name.
void AppendConstants(std::string& unit, PtfTable& table, const Field& stringName,
                     const Field& value) {
    for (table.First(); !table.AtEnd(); table.Next()) {
        const std::string_view name = TrimView(stringName.StringView());
        if (name.empty()) {
            continue;
        }
        unit.append("  ");
        unit.append(name);
        unit.append("\t= ");
        AppendPascalLiteral(unit, TrimView(value.StringView()));
        unit.push_back(';');
        unit.append(kLineEnd);
    }
}

// "  <property><TAB>:= <constant or text>;" for every property of every record.
void AppendAssignments(std::string& unit, PtfTable& table, const Field& property,
                       const Field& stringName, const Field& value,
                       std::vector<std::string>& pieces) {
    for (table.First(); !table.AtEnd(); table.Next()) {
        pieces.clear();
        SplitAtChar(TrimView(property.StringView()), pieces, ',');
        const std::string_view name = TrimView(stringName.StringView());
        for (const std::string& untrimmed : pieces) {
            const std::string_view piece = TrimView(untrimmed);
            if (piece.empty()) {
                continue;
            }
            unit.append("  ");
            unit.append(piece);
            unit.append("\t:= ");
            if (name.empty()) {
                AppendPascalLiteral(unit, TrimView(value.StringView()));
            } else {
                unit.append(name);
            }
            unit.push_back(';');
            unit.append(kLineEnd);
        }
    }
}

}  // namespace

std::string UnitNameFor(std::string_view sourceFileName) {
    const std::string_view fileName = ExtractFileName(sourceFileName);
    return std::string(fileName.substr(0, fileName.rfind('.')));
}

void AppendPascalLiteral(std::string& unit, std::string_view text) {
    unit.push_back('\'');
    AppendQuoted(unit, text.substr(0, kMaxLiteralLength));
    unit.push_back('\'');
    for (std::size_t start = kMaxLiteralLength; start < text.size(); start += kMaxLiteralLength) {
        unit.append(kContinuation);
        unit.push_back('\'');
        AppendQuoted(unit, text.substr(start, kMaxLiteralLength));
        unit.push_back('\'');
    }
}

std::string GenerateUnit(const ProjectState& state, PtfTable& translations) {
    if (state.BuildLanguage < 0 || state.BuildLanguage > 2) {
        throw PtfError("Unbekannte Sprache " + std::to_string(state.BuildLanguage) +
                       " (erlaubt sind 0, 1 und 2)");
    }
    translations.Open();
    const int lastColumn = translation_field::LanguageColumn(2);
    if (translations.FieldCount() <= lastColumn) {
        throw PtfError("Die Übersetzungstabelle hat " + std::to_string(translations.FieldCount()) +
                       " Spalten; " + std::to_string(lastColumn + 1) + " werden gebraucht");
    }
    ControlsDisabled quiet(translations);
    const Field property = translations.Field(translation_field::kPropertyColumn);
    const Field stringName = translations.Field(translation_field::kStringNameColumn);
    const Field language[2] = {translations.Field(translation_field::LanguageColumn(1)),
                               translations.Field(translation_field::LanguageColumn(2))};

    std::string unit;
    // About 120 bytes of unit per record and language is typical; growing costs copies.
    unit.reserve(1024 + static_cast<std::size_t>(translations.RecordCount()) * 240);

    AppendLine(unit, "unit " + UnitNameFor(state.SourceFileName) + ";");
    AppendEmptyLine(unit);
    AppendLine(unit, "interface");
    AppendEmptyLine(unit);
    if (!state.UsesList.empty()) {
        AppendLine(unit, "uses");
        unit.append("  ");
        unit.append(state.UsesList);
        AppendLine(unit, ";");
        AppendEmptyLine(unit);
    }
    AppendLine(unit, "procedure ParlixTranslate();");
    if (state.BuildLanguage > 0) {
        AppendDirective(unit, "DEFINE", state.LanguageNames[state.BuildLanguage]);
        AppendEmptyLine(unit);
    }
    AppendLine(unit, "const");
    for (const Field& value : language) {
        AppendDirective(unit, "IFDEF", value.FieldName());
        AppendConstants(unit, translations, stringName, value);
        AppendLine(unit, "{$ENDIF}");
        AppendEmptyLine(unit);
    }

    AppendLine(unit, "implementation");
    AppendEmptyLine(unit);
    AppendLine(unit, "procedure ParlixTranslate();");
    AppendEmptyLine(unit);
    AppendLine(unit, "begin");
    AppendEmptyLine(unit);
    std::vector<std::string> pieces;
    for (const Field& value : language) {
        AppendDirective(unit, "IFDEF", value.FieldName());
        AppendAssignments(unit, translations, property, stringName, value, pieces);
        AppendLine(unit, "{$ENDIF}");
        AppendEmptyLine(unit);
    }
    AppendLine(unit, "end;");
    AppendEmptyLine(unit);
    AppendLine(unit, "end.");
    AppendEmptyLine(unit);
    return unit;
}

}  // namespace parlix
