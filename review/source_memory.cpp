#include "review/source_memory.h"

#include "project/project_files.h"
#include "table/text.h"

namespace parlix::review {

namespace {

constexpr std::size_t kSource = translation_field::LanguageColumn(1);
constexpr std::size_t kTranslation = translation_field::LanguageColumn(2);

std::string_view TextOf(const RecordValues& values, std::size_t column) {
    return column < values.size() && values[column] ? std::string_view(*values[column])
                                                    : std::string_view();
}

}  // namespace

bool HasTranslation(std::string_view language2) {
    return !TrimView(language2).empty();
}

const Mark* SourceMemory::MarkOf(RecordId id) const {
    if (!Marked(id)) {
        return nullptr;
    }
    return &marks_.find(id)->second;
}

bool SourceMemory::NeedsReview(int row) const {
    return !marks_.empty() && row >= 0 && row < table_.RecordCount() && Marked(table_.IdAt(row));
}

void SourceMemory::Confirm(RecordId id) {
    Set(id, std::nullopt);
}

void SourceMemory::MarkDraft(RecordId id) {
    if (Marked(id)) {
        return;  // to review already, perhaps with the text it was made from
    }
    const int row = table_.RowOf(id);
    if (row >= 0 && HasTranslation(table_.TextViewAt(row, static_cast<int>(kTranslation)))) {
        Set(id, Mark{});
    }
}

void SourceMemory::Reset(std::unordered_map<RecordId, Mark> marks) {
    marks_ = std::move(marks);
    marked_.clear();
    for (const auto& [id, mark] : marks_) {
        if (id >= marked_.size()) {
            marked_.resize(id + 1);
        }
        marked_[id] = true;
    }
}

void SourceMemory::Restore(RecordId id, const std::optional<Mark>& mark) {
    Put(id, mark);
}

void SourceMemory::Put(RecordId id, const std::optional<Mark>& mark) {
    if (!mark) {
        if (Marked(id)) {
            marks_.erase(id);
            marked_[id] = false;
        }
        return;
    }
    marks_.insert_or_assign(id, *mark);
    if (id >= marked_.size()) {
        marked_.resize(std::max<std::size_t>(id + 1, marked_.size() * 2));
    }
    marked_[id] = true;
}

void SourceMemory::Set(RecordId id, std::optional<Mark> mark) {
    const Mark* current = MarkOf(id);
    if ((current == nullptr && !mark) || (current != nullptr && mark && *current == *mark)) {
        return;
    }
    const std::optional<Mark> before =
        current != nullptr ? std::optional<Mark>(*current) : std::nullopt;
    Put(id, mark);
    if (MarkChanged) {
        MarkChanged(id, before, mark);
    }
}

void SourceMemory::RecordChanged(RecordId id, const std::optional<RecordValues>& before,
                                 const std::optional<RecordValues>& after) {
    if (!before || !after) {
        // A new record was translated from what it says now; a removed one needs nothing.
        Set(id, std::nullopt);
        return;
    }
    const std::string_view translation = TextOf(*after, kTranslation);
    if (!HasTranslation(translation) || TextOf(*before, kTranslation) != translation) {
        Set(id, std::nullopt);  // no translation, or one made for the text as it is now
        return;
    }
    const std::string_view source = TextOf(*after, kSource);
    const std::string_view was = TextOf(*before, kSource);
    if (source == was) {
        return;
    }
    const Mark* mark = MarkOf(id);
    if (mark == nullptr) {
        Set(id, Mark{std::string(was)});
    } else if (mark->source && *mark->source == source) {
        Set(id, std::nullopt);  // back to the text the translation was made from
    }
}

RecordChange WithSource(const PtfTable& table, int row, std::string_view language1) {
    RecordChange change{table.IdAt(row), table.ValuesAt(row)};
    (*change.values)[kSource] = std::string(language1);
    return change;
}

}  // namespace parlix::review
