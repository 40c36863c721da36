#include "check/form_checks.h"

#include "check/pascal_names.h"
#include "project/project_files.h"
#include "table/backups.h"
#include "table/cp1252.h"
#include "table/text.h"

namespace parlix::check {

namespace {

constexpr int kPropertyColumn = translation_field::kPropertyColumn;
constexpr int kLanguage1 = translation_field::LanguageColumn(1);

// A UTF-8 text as Windows-1252 for a finding's detail; a character the code page cannot hold
// becomes "?".
std::string Detail(std::string_view text) {
    if (std::optional<std::string> bytes = Utf8ToCp1252(text)) {
        return std::move(*bytes);
    }
    std::string bytes;
    for (std::size_t i = 0; i < text.size();) {
        const std::optional<char32_t> c = NextUtf8Character(text, i);
        const std::optional<unsigned char> byte = c ? UnicodeToCp1252(*c) : std::nullopt;
        bytes.push_back(byte ? static_cast<char>(*byte) : '?');
        i += c ? 0U : 1U;
    }
    return bytes;
}

}  // namespace

void CheckAgainstForms(PtfTable& table, const forms::ProjectForms& forms,
                       std::vector<Finding>& findings) {
    if (!forms.Found()) {
        return;
    }
    std::vector<std::string_view> pieces;
    std::string key;
    for (int row = 0; row < table.RowCount(); ++row) {
        const std::string_view property = table.TextViewAt(row, kPropertyColumn);
        if (property.empty()) {
            continue;
        }
        const std::string language1(table.TextViewAt(row, kLanguage1));
        const std::string property1(property);  // the views end with the next read
        pieces.clear();
        SplitAtChar(TrimView(property1), pieces, ',');
        std::vector<Finding> texts;  // in the column of language 1, after the paths'
        for (const std::string_view untrimmed : pieces) {
            const std::string_view piece = TrimView(untrimmed);
            key.clear();
            const PropertyPath path = ParsePropertyPath(piece, &key);
            if (piece.empty() || path.fault != NameFault::None) {
                continue;
            }
            if (const forms::FormText* text = forms.TextAt(key)) {
                if (Utf8ToCp1252(text->text) != language1) {
                    const std::string at =
                        text->place.line > 0
                            ? text->file + ":" + std::to_string(text->place.line)
                            : text->file + ": Byte " + std::to_string(text->place.offset);
                    texts.push_back({Severity::Warning, Rule::FormTextDiffers, row, kLanguage1, -1,
                                     std::string(piece), Detail(text->text), at});
                }
                continue;
            }
            const forms::PathTarget target = forms.Scanned().Find(PathWithoutBlanks(piece));
            if (target.kind == forms::PathKind::NoComponent) {
                findings.push_back({Severity::Error, Rule::NoSuchComponent, row, kPropertyColumn,
                                    -1, std::string(piece), Detail(target.missing),
                                    target.form->file});
            } else if (target.kind == forms::PathKind::NoForm &&
                       forms.Name(path.first) == forms::FirstWord::Unknown) {
                findings.push_back({Severity::Warning, Rule::UnknownFormVariable, row,
                                    kPropertyColumn, -1, std::string(piece),
                                    std::string(path.first)});
            }
        }
        findings.insert(findings.end(), texts.begin(), texts.end());
    }
}

}  // namespace parlix::check
