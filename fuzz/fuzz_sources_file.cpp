// Any sources file against a table whose names and Properties collide with numbered keys: the
// reader never crashes, leaks or hangs, and the marks it gives are found again by their keys,
// which are the keys all rows' computation gives them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "project/project_files.h"
#include "review/row_keys.h"
#include "review/source_entries.h"
#include "review/sources_file.h"

namespace {

void Fill(parlix::PtfTable& table) {
    parlix::DefineTranslationFields(table);
    table.CreateTable();
    const char* const rows[][5] = {
        {"", "P", "", "a", "A"},   {"", "P", "", "b", "B"},     {"", "P", "P#2", "c", "C"},
        {"", "P#1", "", "d", "D"}, {"", "Q", "s", "e", "E"},    {"", "Q", "s", "f", ""},
        {"", "", "", "g", "G"},    {"", "", "", "g", "G2"},     {"", "P", "Q", "h", "H"},
        {"x", "R", "", "", "I"},   {"", "R#1#2", "", "i", "J"}, {"", "s", "", "j", "K"},
    };
    for (const auto& row : rows) {
        table.Append();
        for (int column = 0; column < 5; ++column) {
            table.Field(column).SetAsString(row[column]);
        }
        table.Post();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const parlix::review::SourcesFile file = parlix::review::ParseSources(
        std::string_view(reinterpret_cast<const char*>(data), size), "in.ptf");
    if (file.fault && !file.entries.empty()) {
        std::abort();  // a damaged file gives no entries
    }
    static parlix::PtfTable table;
    static const bool filled = (Fill(table), true);
    (void)filled;
    parlix::review::SourceMemory marks(table);
    parlix::review::ReadMarks(table, marks, file.entries);
    const auto all =
        parlix::review::RowKeys(table.RecordCount(), parlix::review::TableKeyFields(table));
    for (const parlix::review::SourceEntry& entry : parlix::review::MarkEntries(table, marks)) {
        const std::vector<int> rows = parlix::review::RowsOfKeys(
            table.RecordCount(), parlix::review::TableKeyFields(table), {entry.key});
        if (rows.front() < 0 || all[static_cast<std::size_t>(rows.front())] != entry.key ||
            !marks.NeedsReview(rows.front())) {
            std::abort();
        }
    }
    return 0;
}
