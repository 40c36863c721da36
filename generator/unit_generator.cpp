#include "generator/unit_generator.h"

#include <algorithm>
#include <vector>

#include "table/errors.h"
#include "table/text.h"

namespace parlix {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kLineEnd = "\r\n";
// Between the literals of a long text: the line ends, and the next one continues the
// expression with '+'.
constexpr std::string_view kContinuation = "\r\n    + ";

// Appends text inside a literal's apostrophes, doubling each apostrophe.
void AppendQuoted(std::string& unit, std::string_view text) {
    for (std::size_t quote = text.find('\''); quote != std::string_view::npos;
         quote = text.find('\'')) {
        unit.append(text.substr(0, quote + 1));
        unit.push_back('\'');
        text.remove_prefix(quote + 1);
    }
    unit.append(text);
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 32;
}

// Appends one piece of a literal: its text in apostrophes; a character below 32 (which a
// compiler does not take inside them: #26 ends the file for Free Pascal) stands outside them
// as its character code, 'abc'#26'def'.
void AppendLiteralPiece(std::string& unit, std::string_view text) {
    if (text.empty()) {
        unit.append("''"sv);
        return;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && !IsControl(text[end])) {
            ++end;
        }
        if (end > i) {
            unit.push_back('\'');
            AppendQuoted(unit, text.substr(i, end - i));
            unit.push_back('\'');
        }
        for (; end < text.size() && IsControl(text[end]); ++end) {
            unit.push_back('#');
            unit.append(std::to_string(static_cast<unsigned char>(text[end])));
        }
        i = end;
    }
}

// The unit as it is generated, in Windows-1252. Lines go to a buffer; with a sink, the buffer
// is encoded and handed on whenever it holds a chunk's worth, so that a unit of any size needs
// little memory.
class UnitText {
  public:
    UnitText(std::string& buffer, const UnitSink* sink, UnitEncoding encoding)
        : buffer_(buffer), sink_(sink), encoder_(encoding) {}

    UnitEncoding Encoding() const { return encoder_.Encoding(); }

    // The text of the current line so far.
    std::string& Line() { return buffer_; }

    // Ends the current line with CR LF.
    void EndLine() {
        buffer_.append(kLineEnd);
        if (sink_ != nullptr && buffer_.size() >= kChunkSize) {
            Flush();
        }
    }
    void AppendLine(std::string_view text) {
        buffer_.append(text);
        EndLine();
    }
    void AppendEmptyLine() { EndLine(); }

    // "{$IFDEF <name>}" or "{$DEFINE <name>}".
    void AppendDirective(std::string_view directive, std::string_view name) {
        buffer_.append("{$"sv);
        buffer_.append(directive);
        buffer_.push_back(' ');
        buffer_.append(name);
        buffer_.push_back('}');
        EndLine();
    }

    // Hands the rest to the sink, or encodes the whole unit in the buffer.
    void Finish() {
        if (sink_ != nullptr) {
            Flush();
        } else {
            lines_ += CountLines(buffer_);
            if (Encoding() != UnitEncoding::Windows1252) {
                buffer_ = std::string(encoder_.Encode(buffer_));
            }
        }
    }

    std::size_t Lines() const { return lines_; }

  private:
    static std::size_t CountLines(std::string_view text) {
        return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    void Flush() {
        if (!buffer_.empty()) {
            lines_ += CountLines(buffer_);
            (*sink_)(encoder_.Encode(buffer_));
            buffer_.clear();
        }
    }

    static constexpr std::size_t kChunkSize = std::size_t{1} << 20;
    std::string& buffer_;
    const UnitSink* sink_;
    UnitEncoder encoder_;
    std::size_t lines_ = 0;
};

// Whether a record has a constant name: without one, the unit declares no constant and must
// not write "const" either, since a "const" followed by no declaration does not compile.
bool HasConstants(PtfTable& table, const Field& stringName) {
    for (table.First(); !table.AtEnd(); table.Next()) {
        if (!TrimView(stringName.StringView()).empty()) {
            return true;
        }
    }
    return false;
}

// "  <name><TAB>= '<text>';" for every record with a constant name.
void AppendConstants(UnitText& unit, PtfTable& table, const Field& stringName, const Field& value) {
    for (table.First(); !table.AtEnd(); table.Next()) {
        const std::string_view name = TrimView(stringName.StringView());
        if (name.empty()) {
            continue;
        }
        std::string& line = unit.Line();
        line.append("  "sv);
        line.append(name);
        line.append("\t= "sv);
        AppendPascalLiteral(line, TrimView(value.StringView()), unit.Encoding());
        line.push_back(';');
        unit.EndLine();
    }
}

// "  <property><TAB>:= <constant or text>;" for every property of every record.
void AppendAssignments(UnitText& unit, PtfTable& table, const Field& property,
                       const Field& stringName, const Field& value,
                       std::vector<std::string_view>& pieces) {
    for (table.First(); !table.AtEnd(); table.Next()) {
        pieces.clear();
        SplitAtChar(TrimView(property.StringView()), pieces, ',');
        const std::string_view name = TrimView(stringName.StringView());
        for (const std::string_view untrimmed : pieces) {
            const std::string_view piece = TrimView(untrimmed);
            if (piece.empty()) {
                continue;
            }
            std::string& line = unit.Line();
            line.append("  "sv);
            line.append(piece);
            line.append("\t:= "sv);
            if (name.empty()) {
                AppendPascalLiteral(line, TrimView(value.StringView()), unit.Encoding());
            } else {
                line.append(name);
            }
            line.push_back(';');
            unit.EndLine();
        }
    }
}

void Generate(const ProjectState& state, PtfTable& translations, UnitText& unit) {
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

    unit.AppendLine("unit " + UnitNameFor(state.SourceFileName) + ";");
    unit.AppendEmptyLine();
    unit.AppendLine("interface");
    unit.AppendEmptyLine();
    if (!state.UsesList.empty()) {
        unit.AppendLine("uses");
        unit.Line().append("  "sv);
        unit.Line().append(state.UsesList);
        unit.AppendLine(";");
        unit.AppendEmptyLine();
    }
    unit.AppendLine("procedure ParlixTranslate();");
    if (state.BuildLanguage > 0) {
        unit.AppendDirective("DEFINE",
                             state.LanguageNames[static_cast<std::size_t>(state.BuildLanguage)]);
        unit.AppendEmptyLine();
    }
    if (HasConstants(translations, stringName)) {
        unit.AppendLine("const");
    }
    for (const Field& value : language) {
        unit.AppendDirective("IFDEF", value.FieldName());
        AppendConstants(unit, translations, stringName, value);
        unit.AppendLine("{$ENDIF}");
        unit.AppendEmptyLine();
    }

    unit.AppendLine("implementation");
    unit.AppendEmptyLine();
    unit.AppendLine("procedure ParlixTranslate();");
    unit.AppendEmptyLine();
    unit.AppendLine("begin");
    unit.AppendEmptyLine();
    std::vector<std::string_view> pieces;
    for (const Field& value : language) {
        unit.AppendDirective("IFDEF", value.FieldName());
        AppendAssignments(unit, translations, property, stringName, value, pieces);
        unit.AppendLine("{$ENDIF}");
        unit.AppendEmptyLine();
    }
    unit.AppendLine("end;");
    unit.AppendEmptyLine();
    unit.AppendLine("end.");
    unit.AppendEmptyLine();
    unit.Finish();
}

}  // namespace

void AppendPascalLiteral(std::string& unit, std::string_view text, UnitEncoding encoding) {
    // Characters are counted as the unit will hold them: in UTF-8, a text of umlauts is cut
    // sooner than one of plain letters.
    auto pieceEnd = [&text, encoding](std::size_t start) {
        std::size_t end = start;
        for (std::size_t size = 0; end < text.size(); ++end) {
            size += EncodedCharacterSize(encoding, text[end]);
            if (size > kMaxLiteralLength) {
                break;
            }
        }
        return end;
    };
    std::size_t end = pieceEnd(0);
    AppendLiteralPiece(unit, text.substr(0, end));
    while (end < text.size()) {
        const std::size_t start = end;
        end = pieceEnd(start);
        unit.append(kContinuation);
        AppendLiteralPiece(unit, text.substr(start, end - start));
    }
}

std::size_t GenerateUnit(const ProjectState& state, PtfTable& translations, const UnitSink& sink,
                         UnitEncoding encoding) {
    std::string buffer;
    UnitText unit(buffer, &sink, encoding);
    Generate(state, translations, unit);
    return unit.Lines();
}

std::string GenerateUnit(const ProjectState& state, PtfTable& translations, UnitEncoding encoding) {
    std::string text;
    UnitText unit(text, nullptr, encoding);
    Generate(state, translations, unit);
    return text;
}

}  // namespace parlix
