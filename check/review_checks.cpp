#include "check/review_checks.h"

#include <algorithm>
#include <bit>

#include "check/first_seen.h"
#include "project/project_files.h"
#include "review/consistency.h"

namespace parlix::check {

namespace {

constexpr int kTranslation = translation_field::LanguageColumn(2);

}  // namespace

ReviewChecks::ReviewChecks(const PtfTable& table, const review::SourceMemory* marks,
                           std::size_t rows)
    : table_(table),
      marks_(marks != nullptr && marks->Count() > 0 ? marks : nullptr),
      slots_(std::bit_ceil(std::max<std::size_t>(rows * 2, 64)), Slot{0, 0, 0}) {}

ReviewChecks::Texts ReviewChecks::Prepare(std::string_view trimmedSource,
                                          std::string_view trimmedTranslation) {
    if (trimmedSource.empty() || trimmedTranslation.empty()) {
        return {};
    }
    Texts texts;
    texts.source = FirstSeen::Hash(review::ComparableTrimmedText(trimmedSource, scratch_)) | 1;
    texts.translation = static_cast<std::uint32_t>(
        FirstSeen::Hash(review::ComparableTrimmedText(trimmedTranslation, scratch_)));
    __builtin_prefetch(&slots_[texts.source & (slots_.size() - 1)]);
    return texts;
}

ReviewChecks::Slot& ReviewChecks::Find(std::uint64_t source) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = source & mask;; at = (at + 1) & mask) {
        Slot& slot = slots_[at];
        if (slot.source == source || slot.source == 0) {
            return slot;
        }
    }
}

void ReviewChecks::Check(int row, const std::string& source, const Texts& texts,
                         std::vector<Finding>& findings) {
    if (marks_ != nullptr && row < table_.RecordCount()) {
        const review::Mark* mark = marks_->MarkOf(table_.IdAt(row));
        if (mark != nullptr && review::HasTranslation(table_.TextViewAt(row, kTranslation))) {
            ++toReview_;
            if (mark->source) {
                findings.push_back({Severity::Warning, Rule::SourceChanged, row, kTranslation, -1,
                                    *mark->source, source});
            } else {
                findings.push_back(
                    {Severity::Warning, Rule::DraftTranslation, row, kTranslation, -1, {}, {}});
            }
        }
    }
    if (texts.source == 0) {
        return;
    }
    Slot& first = Find(texts.source);
    if (first.source == 0) {
        first = {texts.source, texts.translation, row};
    } else if (first.translation != texts.translation) {
        pending_.push_back({findings.size(), first.row});
        findings.push_back(
            {Severity::Warning, Rule::TranslatedDifferently, row, kTranslation, first.row, {}, {}});
    }
}

void ReviewChecks::FillEarlierTranslations(std::vector<Finding>& findings) const {
    std::vector<int> rows;
    rows.reserve(pending_.size());
    for (const Pending& pending : pending_) {
        rows.push_back(pending.earlier);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const int row : rows) {
        texts.push_back(table_.TextAt(row, kTranslation));
    }
    for (const Pending& pending : pending_) {
        const auto at = std::lower_bound(rows.begin(), rows.end(), pending.earlier);
        findings[pending.finding].subject = texts[static_cast<std::size_t>(at - rows.begin())];
    }
}

}  // namespace parlix::check
