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
      memory_(detail::AllocateZeroedTable(std::bit_ceil(std::max<std::size_t>(rows * 2, 64)) *
                                          sizeof(Slot))),
      slots_(reinterpret_cast<Slot*>(memory_.get())),
      mask_(std::bit_ceil(std::max<std::size_t>(rows * 2, 64)) - 1) {}

ReviewChecks::Texts ReviewChecks::Prepare(std::string_view trimmedSource,
                                          std::string_view trimmedTranslation) {
    if (trimmedSource.empty() || trimmedTranslation.empty()) {
        return {};
    }
    Texts texts;
    texts.source = FirstSeen::Hash(review::ComparableTrimmedText(trimmedSource, scratch_)) | 1;
    texts.translation = static_cast<std::uint32_t>(
        FirstSeen::Hash(review::ComparableTrimmedText(trimmedTranslation, scratch_)));
    __builtin_prefetch(&slots_[texts.source & mask_]);
    return texts;
}

ReviewChecks::Slot& ReviewChecks::Find(std::uint64_t source) {
    for (std::size_t at = source & mask_;; at = (at + 1) & mask_) {
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
        earlier_.push_back(first.row);
        findings.push_back(
            {Severity::Warning, Rule::TranslatedDifferently, row, kTranslation, first.row, {}, {}});
    }
}

std::vector<std::pair<int, std::string>> ReviewChecks::EarlierTranslations() const {
    if (earlier_.empty()) {
        return {};
    }
    // Marked in a bit per row, so that they come out in order, each once, without sorting.
    std::vector<bool> named(static_cast<std::size_t>(table_.RowCount()));
    for (const int row : earlier_) {
        named[static_cast<std::size_t>(row)] = true;
    }
    std::vector<std::pair<int, std::string>> translations;
    for (std::size_t row = 0; row < named.size(); ++row) {
        if (named[row]) {
            const int at = static_cast<int>(row);
            translations.emplace_back(at, table_.TextAt(at, kTranslation));
        }
    }
    return translations;
}

}  // namespace parlix::check
