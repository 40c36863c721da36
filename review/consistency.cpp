#include "review/consistency.h"

#include <algorithm>
#include <unordered_map>

#include "project/project_files.h"
#include "table/text.h"

namespace parlix::review {

namespace {

constexpr int kSource = translation_field::LanguageColumn(1);
constexpr int kTranslation = translation_field::LanguageColumn(2);

}  // namespace

std::string_view ComparableText(std::string_view text, std::string& scratch) {
    const std::string_view trimmed = TrimView(text);
    if (trimmed.find('&') == std::string_view::npos) {
        return trimmed;
    }
    scratch.clear();
    for (std::size_t i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] == '&' && i + 1 < trimmed.size()) {
            ++i;  // the marked character, or the second '&' of a literal one
        }
        scratch += trimmed[i];
    }
    return TrimView(scratch);
}

FillPlan PlanFill(const PtfTable& table, const SourceMemory* marks) {
    // The translations of every language 1 text, with how often each occurs; views into the
    // table, which does not change while the plan is made.
    struct Translation {
        std::string_view text;
        int count;
    };
    std::unordered_map<std::string_view, std::vector<Translation>> translations;
    std::vector<int> untranslated;
    const int rows = table.RecordCount();
    for (int row = 0; row < rows; ++row) {
        const std::string_view source = table.TextViewAt(row, kSource);
        if (TrimView(source).empty()) {
            continue;
        }
        const std::string_view translation = table.TextViewAt(row, kTranslation);
        if (!HasTranslation(translation)) {
            untranslated.push_back(row);
            continue;
        }
        if (marks != nullptr && marks->NeedsReview(row)) {
            continue;
        }
        std::vector<Translation>& known = translations[source];
        auto found = std::find_if(known.begin(), known.end(),
                                  [&](const Translation& t) { return t.text == translation; });
        if (found == known.end()) {
            known.push_back({translation, 1});
        } else {
            ++found->count;
        }
    }
    FillPlan plan;
    for (const int row : untranslated) {
        const auto found = translations.find(table.TextViewAt(row, kSource));
        if (found == translations.end()) {
            continue;
        }
        const Translation* best = &found->second.front();
        for (const Translation& translation : found->second) {
            best = translation.count > best->count ? &translation : best;
        }
        RecordChange change{table.IdAt(row), table.ValuesAt(row)};
        (*change.values)[kTranslation] = std::string(best->text);
        plan.changes.push_back(std::move(change));
    }
    return plan;
}

}  // namespace parlix::review
