// The exchange's entry points: formats by file name, planning from a file, applying a plan.
#include "exchange/exchange.h"

#include <map>
#include <memory>
#include <new>

#include "exchange/planner.h"
#include "exchange/readers.h"
#include "review/source_memory.h"
#include "table/errors.h"
#include "table/file_io.h"
#include "table/platform.h"
#include "table/text.h"

namespace parlix::exchange {

std::optional<Format> FormatForFile(std::string_view path) {
    const std::string_view name = ExtractFileName(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view extension = name.substr(dot);
    if (SameText(extension, ".xlf") || SameText(extension, ".xliff")) {
        return Format::Xliff;
    }
    if (SameText(extension, ".csv")) {
        return Format::Csv;
    }
    return std::nullopt;
}

int ImportPlan::NewCount() const {
    int count = 0;
    for (const ImportChange& change : changes) {
        count += change.isNew ? 1 : 0;
    }
    return count;
}

int ImportPlan::ChangedCount() const {
    return static_cast<int>(changes.size()) - NewCount();
}

int ImportPlan::UntranslatedCount() const {
    return static_cast<int>(heldBack.size());
}

int ImportPlan::DraftCount() const {
    int count = 0;
    for (const ImportChange& change : changes) {
        count += change.draft.empty() ? 0 : 1;
    }
    for (const ImportUnit& unit : unchanged) {
        count += unit.draft.empty() ? 0 : 1;
    }
    return count;
}

namespace detail {

std::string Megabytes(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

}  // namespace detail

namespace {

std::vector<std::string> ColumnNames(PtfTable& table) {
    std::vector<std::string> names;
    for (int column = 0; column < table.FieldCount(); ++column) {
        names.push_back(table.Field(column).FieldName());
    }
    return names;
}

ImportPlan Refused(const std::string& fileName, Format format, std::string message) {
    ImportPlan plan;
    plan.file = fileName;
    plan.format = format;
    plan.fault = Fault::In(fileName, std::move(message));
    return plan;
}

ImportPlan Plan(Format format, const std::string& fileName, PtfTable& table,
                const ImportOptions& options, const detail::OpenFile& open) {
    ImportPlan plan;
    plan.file = fileName;
    plan.format = format;
    try {
        detail::Planner planner(plan, table, format == Format::Xliff);
        if (format == Format::Xliff) {
            detail::ReadXliff(open(), planner, options);
        } else {
            detail::ReadCsv(open, planner, ColumnNames(table), options);
        }
    } catch (const std::bad_alloc&) {  // before the readers could name a line
        plan = ImportPlan();
        plan = Refused(fileName, format, detail::kOutOfMemory);
    }
    return plan;
}

}  // namespace

ImportPlan PlanImportBytes(std::string_view bytes, Format format, const std::string& fileName,
                           PtfTable& table, const ImportOptions& options) {
    if (bytes.size() > options.maxFileBytes) {
        return Refused(fileName, format,
                       "die Datei ist größer als " + detail::Megabytes(options.maxFileBytes));
    }
    const detail::OpenFile open = [bytes]() -> detail::ReadMore {
        return [bytes, at = std::size_t{0}](char* buffer, std::size_t size) mutable {
            const std::size_t got = std::min(size, bytes.size() - at);
            std::copy_n(bytes.data() + at, got, buffer);
            at += got;
            return got;
        };
    };
    return Plan(format, fileName, table, options, open);
}

ImportPlan PlanImport(const std::string& path, PtfTable& table, const ImportOptions& options) {
    const std::optional<Format> format = FormatForFile(path);
    if (!format) {
        return Refused(path, Format::Xliff,
                       "unbekanntes Dateiformat (erwartet .xlf, .xliff oder .csv)");
    }
    const platform::FileStatus info = platform::Status(path);
    if (info.kind == platform::FileKind::Regular && info.size > options.maxFileBytes) {
        return Refused(path, *format,
                       "die Datei ist größer als " + detail::Megabytes(options.maxFileBytes));
    }
    std::optional<FileReader> file;
    const detail::OpenFile open = [&]() -> detail::ReadMore {
        file.emplace(path);  // each pass reads from the start; a FIFO or a device is refused
        return [&file](char* buffer, std::size_t size) { return file->Read(buffer, size); };
    };
    return Plan(*format, path, table, options, open);
}

namespace {

// Whether the table's order is by the column the plan writes, so that writing moves rows.
bool OrderedByTarget(PtfTable& table, int column) {
    return !table.IndexFieldNames().empty() && table.FieldIndex(table.IndexFieldNames()) == column;
}

// The value of a row's target column as the plan records it.
std::optional<std::string> ValueAt(PtfTable& table, int row, int column) {
    if (table.IsNullAt(row, column)) {
        return std::nullopt;
    }
    return table.TextAt(row, column);
}

// The plan's rows in the order of adding, for a table ordered by the target column. Rows with
// the same value there keep the order of adding among themselves, so the k-th row with a value
// in the ordered table is the k-th row with that value in the order of adding.
std::vector<int> RowsInOrderOfAdding(const ImportPlan& plan, PtfTable& table) {
    const int column = plan.targetColumn;
    using Key = std::pair<std::optional<std::string>, int>;  // value, occurrence
    std::map<std::optional<std::string>, int> seen;
    std::vector<Key> keyOfRow(static_cast<std::size_t>(table.RecordCount()));
    for (int r = 0; r < table.RecordCount(); ++r) {
        std::optional<std::string> value = ValueAt(table, r, column);
        const int occurrence = seen[value]++;
        keyOfRow[static_cast<std::size_t>(r)] = {std::move(value), occurrence};
    }
    std::map<Key, std::size_t> wanted;  // key of a planned row -> its change
    for (std::size_t i = 0; i < plan.changes.size(); ++i) {
        wanted.emplace(keyOfRow[static_cast<std::size_t>(plan.changes[i].row)], i);
    }
    table.SetIndexFieldNames("");
    std::vector<int> rows(plan.changes.size(), -1);
    seen.clear();
    for (int r = 0; r < table.RecordCount(); ++r) {
        std::optional<std::string> value = ValueAt(table, r, column);
        const int occurrence = seen[value]++;
        if (auto it = wanted.find(Key{std::move(value), occurrence}); it != wanted.end()) {
            rows[it->second] = r;
        }
    }
    return rows;
}

}  // namespace

namespace {

// Writes the plan's changes; returns how many.
int WriteChanges(const ImportPlan& plan, PtfTable& table) {
    if (plan.changes.empty()) {
        return 0;
    }
    ControlsDisabled quiet(table);
    const int cursor = table.RecNo();
    const std::string order = table.IndexFieldNames();
    std::vector<int> rows;
    if (OrderedByTarget(table, plan.targetColumn)) {
        rows = RowsInOrderOfAdding(plan, table);
    } else {
        for (const ImportChange& change : plan.changes) {
            rows.push_back(change.row);
        }
    }
    for (std::size_t i = 0; i < plan.changes.size(); ++i) {
        table.MoveTo(rows[i]);
        table.Edit();
        parlix::Field field = table.Field(plan.targetColumn);
        if (plan.changes[i].after) {
            field.SetAsString(*plan.changes[i].after);
        } else {
            field.SetNull();
        }
        table.Post();
    }
    if (table.IndexFieldNames() != order) {
        table.SetIndexFieldNames(order);
    }
    table.MoveTo(cursor);
    return static_cast<int>(plan.changes.size());
}

}  // namespace

int ApplyImportPlan(const ImportPlan& plan, PtfTable& table, review::SourceMemory* marks) {
    if (plan.fault) {
        throw PtfError(plan.fault->Text());
    }
    if (!table.IsActive() || table.State() != TableState::Browse ||
        table.RecordCount() != plan.tableRows || plan.targetColumn < 0 ||
        plan.targetColumn >= table.FieldCount()) {
        throw PtfError("Der Import passt nicht mehr zur Übersetzungstabelle");
    }
    for (const ImportChange& change : plan.changes) {
        if (change.row < 0 || change.row >= table.RecordCount() ||
            detail::StampOf(table.IsNullAt(change.row, plan.targetColumn),
                            table.TextViewAt(change.row, plan.targetColumn)) !=
                change.beforeStamp) {
            throw PtfError("Der Import passt nicht mehr zur Übersetzungstabelle");
        }
    }
    // The records of the drafts, found while the table is as planned.
    std::vector<RecordId> drafts;
    if (marks != nullptr) {
        for (const ImportUnit& unit : plan.unchanged) {
            if (!unit.draft.empty()) {
                drafts.push_back(table.IdAt(unit.row));
            }
        }
        for (const ImportChange& change : plan.changes) {
            if (!change.draft.empty()) {
                drafts.push_back(table.IdAt(change.row));
            }
        }
    }
    const int written = WriteChanges(plan, table);
    for (const RecordId id : drafts) {
        marks->MarkDraft(id);  // after the writes, which count as finished translations
    }
    return written;
}

}  // namespace parlix::exchange
