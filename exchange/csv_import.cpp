// The CSV import: a header row naming the table's columns, comma or semicolon as the
// delimiter, one record per row (read by csv_reader.h).
//
// The file is read twice, a piece at a time, and no record is kept: the first pass checks the
// file and takes the rows of the records that name a single row, the second matches the
// others and plans every record. Memory holds the plan and an index of the table's keys, not
// the file.
#include <algorithm>
#include <array>
#include <functional>
#include <new>
#include <optional>

#include "exchange/csv_reader.h"
#include "exchange/readers.h"
#include "exchange/text_codec.h"
#include "table/cp1252.h"
#include "table/text.h"

namespace parlix::exchange::detail {

namespace {

// The column after the table's that an export with review marks adds: "x" for a translation to
// review, which an import takes as a draft.
constexpr std::string_view kReviewColumn = "Review";

// Whether the header row names the table's columns, perhaps followed by the Review column;
// `review` tells whether it is there.
bool HeaderFits(const std::vector<Field>& fields, const std::vector<std::string>& columns,
                bool& review) {
    review = fields.size() == columns.size() + 1 &&
             SameText(TrimView(fields.back().text), kReviewColumn);
    if (fields.size() != columns.size() + (review ? 1 : 0)) {
        return false;
    }
    std::string name;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (ToCp1252(fields[i].text, false, name) == Conversion::Unheld ||
            !SameText(Trim(name), columns[i])) {
            return false;
        }
    }
    return true;
}

std::string Joined(const std::vector<std::string>& columns, char delimiter) {
    std::string text;
    for (const std::string& column : columns) {
        if (!text.empty()) {
            text += delimiter;
        }
        text += Cp1252ToUtf8(column);
    }
    return text;
}

// A record's key columns in Windows-1252; `held` false when its StringName or Property has a
// character the table cannot hold, so that it matches no row.
struct Keys {
    std::array<std::string, kColumns> text;
    bool held = true;
};

// Converts the StringName and Property, and with `all` also Type and language 1.
void ReadKeys(const std::vector<Field>& fields, bool all, Keys& keys) {
    keys.held = true;
    for (int c : {kNameColumn, kPropertyColumn, kTypeColumn, kSourceColumn}) {
        if (!all && (c == kTypeColumn || c == kSourceColumn)) {
            continue;
        }
        const bool held = ToCp1252(fields[static_cast<std::size_t>(c)].text, false,
                                   keys.text[static_cast<std::size_t>(c)]) != Conversion::Unheld;
        keys.held = keys.held && (held || c == kTypeColumn || c == kSourceColumn);
    }
}

// Matches records to rows: by StringName, or by Property among the rows without a name. When
// several rows share the key, a free row whose Type, Property and language 1 also agree comes
// first, then the rows in SourceSideLess order, which the table's order does not change; each
// row is taken once. A hash table holds the first row of each key, and the rows of a key are
// chained in that order; the keys themselves stay in the table, so this takes a few bytes a
// row.
class Matcher {
  public:
    explicit Matcher(const TableRows& rows)
        : rows_(rows),
          next_(static_cast<std::size_t>(rows.Count()), kNone),
          taken_(static_cast<std::size_t>(rows.Count()), false) {
        std::size_t size = 16;
        while (size < 2 * static_cast<std::size_t>(rows.Count())) {
            size *= 2;
        }
        slots_.assign(size, kNone);
        for (int r = rows.Count() - 1; r >= 0; --r) {  // so that each chain is in row order
            int& first = slots_[Find(KeyOf(r), Named(r))];
            next_[static_cast<std::size_t>(r)] = first;
            first = r;
        }
        std::vector<int> chain;
        for (int& first : slots_) {
            if (first == kNone || Next(first) == kNone) {
                continue;
            }
            chain.clear();
            for (int r = first; r != kNone; r = Next(r)) {
                chain.push_back(r);
            }
            std::stable_sort(chain.begin(), chain.end(),
                             [&rows](int a, int b) { return rows.SourceSideLess(a, b); });
            first = chain.front();
            for (std::size_t k = 0; k < chain.size(); ++k) {
                next_[static_cast<std::size_t>(chain[k])] =
                    k + 1 < chain.size() ? chain[k + 1] : kNone;
            }
        }
    }

    // The first candidate row of a record, -1 for none; Next gives the others.
    int First(const Keys& keys) const {
        if (!keys.held) {
            return kNone;
        }
        const bool named = !keys.text[kNameColumn].empty();
        return slots_[Find(named ? keys.text[kNameColumn] : keys.text[kPropertyColumn], named)];
    }
    int Next(int row) const { return next_[static_cast<std::size_t>(row)]; }

    bool Taken(int row) const { return taken_[static_cast<std::size_t>(row)]; }
    void Take(int row) { taken_[static_cast<std::size_t>(row)] = true; }

    // Takes a free row among the candidates from `first` on, preferring one that agrees in
    // every key column; -1 when all are taken.
    int TakeOne(int first, const Keys& keys) {
        int free = kNone;
        for (int r = first; r != kNone; r = Next(r)) {
            if (Taken(r)) {
                continue;
            }
            if (Differs(r, keys) < 0) {
                free = r;
                break;
            }
            if (free < 0) {
                free = r;
            }
        }
        if (free >= 0) {
            Take(free);
        }
        return free;
    }

    // The first of Type, Property and language 1 in which the record differs from the row;
    // -1 when they agree.
    int Differs(int row, const Keys& keys) const {
        for (int c : {kTypeColumn, kPropertyColumn, kSourceColumn}) {
            if (rows_.Text(row, c) != keys.text[static_cast<std::size_t>(c)]) {
                return c;
            }
        }
        return -1;
    }

  private:
    static constexpr int kNone = -1;

    bool Named(int row) const { return !rows_.Text(row, kNameColumn).empty(); }
    std::string_view KeyOf(int row) const {
        return rows_.Text(row, Named(row) ? kNameColumn : kPropertyColumn);
    }
    // The slot of the key: the one holding its first row, or the empty one where it would go.
    std::size_t Find(std::string_view key, bool named) const {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = (std::hash<std::string_view>{}(key) + (named ? 1 : 0)) & mask;
        while (slots_[slot] != kNone &&
               (Named(slots_[slot]) != named || KeyOf(slots_[slot]) != key)) {
            slot = (slot + 1) & mask;
        }
        return slot;
    }

    const TableRows& rows_;
    std::vector<int> slots_;  // the first row of each key, by the key's hash
    std::vector<int> next_;   // by row: the next row with its key
    std::vector<bool> taken_;
};

// How the report names a record: its StringName, or its Property when it has no name.
std::string Key(const std::vector<Field>& fields) {
    const std::string& name = fields[kNameColumn].text;
    return name.empty() ? fields[kPropertyColumn].text : name;
}

// Finds the delimiter the header row uses (or checks the one given); 0 after a fault. `review`
// tells whether the Review column follows the table's.
char ReadHeader(const OpenFile& open, Planner& planner, const std::vector<std::string>& columns,
                const ImportOptions& options, bool& review) {
    std::vector<Field> fields;
    for (char candidate : {',', ';'}) {
        if (options.csvDelimiter != 0 && options.csvDelimiter != candidate) {
            continue;
        }
        CsvReader header(open(), candidate, options.maxFileBytes);
        if (header.Next(fields) && HeaderFits(fields, columns, review)) {
            return candidate;
        }
        if (header.FaultInBytes()) {
            planner.Fail(header.Line(), header.Fault());
            return 0;
        }
    }
    const char shown = options.csvDelimiter == 0 ? ';' : options.csvDelimiter;
    planner.Fail(1, "die Kopfzeile passt nicht zu dieser Übersetzungstabelle; erwartet: " +
                        Joined(columns, shown));
    return 0;
}

// Checks every record and takes the rows of those that name a single row, so that an
// ambiguous record cannot take a row that another record names alone.
bool FirstPass(CsvReader& reader, Planner& planner, Matcher& matcher, std::size_t width) {
    std::vector<Field> fields;
    Keys keys;
    std::size_t records = 0;
    reader.Next(fields);  // the header row
    while (reader.Next(fields)) {
        ++records;
        if (fields.size() != width) {
            planner.Fail(reader.Line(),
                         std::to_string(fields.size()) + " Felder statt " + std::to_string(width));
            return false;
        }
        ReadKeys(fields, false, keys);
        const int first = matcher.First(keys);
        if (first >= 0 && matcher.Next(first) < 0) {
            if (matcher.Taken(first)) {
                planner.Fail(reader.Line(), "der Datensatz \"" + Key(fields) +
                                                "\" kommt öfter vor als in der Tabelle");
                return false;
            }
            matcher.Take(first);
        }
    }
    if (!reader.Fault().empty()) {
        planner.Fail(reader.Line(), reader.Fault());
        return false;
    }
    planner.Expect(records);
    return true;
}

// Matches the ambiguous records to the rows left and plans every record. A record whose
// Type, Property or language 1 differs from its row's is refused: a spreadsheet that opened
// the file with its default options converted it ("01067" to "1067", "1/2" to a date,
// "=Summe" to "#NAME?"), in the target column too.
void SecondPass(CsvReader& reader, Planner& planner, Matcher& matcher,
                const std::vector<std::string>& columns, bool review) {
    std::vector<Field> fields;
    Keys keys;
    reader.Next(fields);  // the header row
    while (reader.Next(fields)) {
        if (fields.size() != kColumns + (review ? 1U : 0U)) {
            planner.Fail(reader.Line(), "die Datei hat sich beim Lesen geändert");
            return;
        }
        ReadKeys(fields, true, keys);
        const int first = matcher.First(keys);
        int row = first;
        if (first >= 0 && matcher.Next(first) >= 0) {
            row = matcher.TakeOne(first, keys);
            if (row < 0) {
                planner.Fail(reader.Line(), "der Datensatz \"" + Key(fields) +
                                                "\" kommt öfter vor als in der Tabelle");
                return;
            }
        }
        const Field& target = fields[kTargetColumn];
        OfferedText offered;
        offered.isNull = target.text.empty() && !target.quoted;
        offered.text = target.text;
        if (review && !target.text.empty() && !TrimView(fields[kColumns].text).empty()) {
            offered.mark = TargetMark::Draft;
            offered.markedAs = std::string(kReviewColumn) + "=\"" + fields[kColumns].text + "\"";
        }
        if (const int column = row >= 0 ? matcher.Differs(row, keys) : -1; column >= 0) {
            offered.differingColumn = Cp1252ToUtf8(columns[static_cast<std::size_t>(column)]);
        }
        if (!planner.Add(row, Key(fields), reader.Line(), offered)) {
            return;
        }
    }
    if (!reader.Fault().empty()) {
        planner.Fail(reader.Line(), reader.Fault());
        return;
    }
    planner.Finish();
}

}  // namespace

void ReadCsv(const OpenFile& open, Planner& planner, const std::vector<std::string>& columns,
             const ImportOptions& options) {
    // The readers outlive the try block: the handler asks the one reading for the line where
    // memory ran out.
    std::optional<CsvReader> first;
    std::optional<CsvReader> second;
    const CsvReader* reading = nullptr;
    try {
        bool review = false;
        const char delimiter = ReadHeader(open, planner, columns, options, review);
        if (delimiter == 0) {
            return;
        }
        Matcher matcher(planner.Rows());
        reading = &first.emplace(open(), delimiter, options.maxFileBytes);
        if (!FirstPass(*first, planner, matcher, kColumns + (review ? 1U : 0U))) {
            return;
        }
        reading = &second.emplace(open(), delimiter, options.maxFileBytes);
        SecondPass(*second, planner, matcher, columns, review);
    } catch (const std::bad_alloc&) {
        planner.FailOutOfMemory(reading != nullptr ? reading->Reading() : 0);
    }
}

}  // namespace parlix::exchange::detail
