#include "review/source_entries.h"

#include "project/project_files.h"
#include "review/row_keys.h"

namespace parlix::review {

namespace {

constexpr int kSource = translation_field::LanguageColumn(1);
constexpr int kTranslation = translation_field::LanguageColumn(2);

}  // namespace

std::vector<SourceEntry> MarkEntries(const PtfTable& table, const SourceMemory& memory) {
    std::vector<SourceEntry> entries;
    if (memory.Count() == 0) {
        return entries;
    }
    std::vector<int> rows;
    const int count = table.RecordCount();
    for (int row = 0; row < count; ++row) {
        if (memory.Marked(table.IdAt(row))) {
            rows.push_back(row);
        }
    }
    std::vector<std::string> keys = KeysOfRows(count, TableKeyFields(table), rows);
    entries.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        entries.push_back({std::move(keys[i]), memory.MarkOf(table.IdAt(rows[i]))->source});
    }
    return entries;
}

int ReadMarks(const PtfTable& table, SourceMemory& memory,
              const std::vector<SourceEntry>& entries) {
    std::unordered_map<RecordId, Mark> marks;
    if (!entries.empty()) {
        std::vector<std::string> keys;
        keys.reserve(entries.size());
        for (const SourceEntry& entry : entries) {
            keys.push_back(entry.key);
        }
        const std::vector<int> rows = RowsOfKeys(table.RecordCount(), TableKeyFields(table), keys);
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const int row = rows[i];
            if (row < 0 || !HasTranslation(table.TextViewAt(row, kTranslation))) {
                continue;
            }
            const std::optional<std::string>& source = entries[i].source;
            if (!source || *source != table.TextViewAt(row, kSource)) {
                marks.insert_or_assign(table.IdAt(row), Mark{source});
            }
        }
    }
    const int count = static_cast<int>(marks.size());
    memory.Reset(std::move(marks));
    return count;
}

}  // namespace parlix::review
