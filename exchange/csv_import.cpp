// The CSV reader: RFC 4180 records in UTF-8 (with or without a byte-order mark), a header row
// naming the table's columns, comma or semicolon as the delimiter.
//
// The file is read twice, a piece at a time, and no record is kept: the first pass checks the
// file and takes the rows of the records that name a single row, the second matches the
// others and plans every record. Memory holds the plan and an index of the table's keys, not
// the file.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <new>
#include <optional>

#include "exchange/readers.h"
#include "exchange/text_codec.h"
#include "table/cp1252.h"
#include "table/text.h"

namespace parlix::exchange::detail {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Field {
    std::string text;  // UTF-8
    bool quoted = false;
    int line = 0;  // where it starts
};

// The first fault of a field's bytes: a NUL byte or what is no UTF-8, with its line.
std::optional<std::pair<int, std::string>> TextFault(const Field& field) {
    const std::string_view text = field.text;
    int line = field.line;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b == 0) {
            return std::pair{line, std::string("ein Null-Byte: keine Textdatei, oder in UTF-16 "
                                               "ohne Byte-Reihenfolge-Markierung gespeichert")};
        }
        if (b >= 0x80) {
            if (!NextUtf8Character(text, i)) {
                return std::pair{line,
                                 std::string("kein UTF-8: die Datei ist in einer anderen "
                                             "Zeichenkodierung gespeichert (im "
                                             "Tabellenprogramm als \"CSV UTF-8\" speichern)")};
            }
            continue;
        }
        // Line breaks inside a quoted field: CR LF, LF or a CR alone.
        line += b == '\n' || (b == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) ? 1 : 0;
        ++i;
    }
    return std::nullopt;
}

// Reads a file's records one by one, a piece of the file at a time. A fault names its line.
// Every field loses the apostrophe that the export puts before a text that a spreadsheet
// would take for a formula.
class CsvReader {
  public:
    CsvReader(ReadMore read, char delimiter, std::uint64_t maxBytes)
        : read_(std::move(read)), delimiter_(delimiter), maxBytes_(maxBytes) {
        buffer_.resize(kChunk);
    }

    // The next record's fields into `fields` (whose strings keep their room); false at the
    // end of the file or at a fault. Blank lines are passed over.
    bool Next(std::vector<Field>& fields) {
        std::size_t count = 0;
        const bool found = Read(fields, count);
        fields.resize(count);
        return found;
    }

    int Line() const { return line_; }   // where the last record starts, or of the fault
    int Reading() const { return at_; }  // the line being read
    const std::string& Fault() const { return fault_; }
    // The fault concerns the file's bytes (its encoding or size), not its CSV structure.
    bool FaultInBytes() const { return faultInBytes_; }

  private:
    bool Read(std::vector<Field>& fields, std::size_t& count) {
        if (!fault_.empty() || !Start()) {
            return false;
        }
        while (Peek() == '\n' || Peek() == '\r') {
            EndLine();
        }
        if (Peek() < 0) {
            return false;
        }
        line_ = at_;
        for (;;) {
            if (count == fields.size()) {
                fields.emplace_back();
            }
            Field& field = fields[count++];
            field.text.clear();
            field.quoted = false;
            field.line = at_;
            if (!(Peek() == '"' ? Quoted(field) : Unquoted(field))) {
                return false;
            }
            if (auto fault = TextFault(field)) {
                return Fail(fault->first, std::move(fault->second));
            }
            RemoveFormulaMark(field.text);
            const int next = Peek();
            if (next == delimiter_) {
                ++pos_;
                continue;
            }
            if (next >= 0) {
                EndLine();
            }
            return true;
        }
    }

    bool Fail(int line, std::string message, bool inBytes = true) {
        line_ = line;
        fault_ = std::move(message);
        faultInBytes_ = inBytes;
        return false;
    }

    // Checks the start of the file once: UTF-16 is refused, UTF-8's byte-order mark skipped.
    bool Start() {
        if (started_) {
            return true;
        }
        started_ = true;
        while (end_ - pos_ < kUtf8Mark.size() && Fill()) {
        }
        const std::string_view head(buffer_.data() + pos_, end_ - pos_);
        if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) {
            return Fail(1, "die Datei ist in UTF-16 gespeichert; bitte als CSV in UTF-8 speichern");
        }
        if (head.starts_with(kUtf8Mark)) {
            pos_ += kUtf8Mark.size();
        }
        return true;
    }

    // Reads further bytes behind those not yet taken; false at the end of the file (or when
    // it is larger than allowed, with a fault).
    bool Fill() {
        if (atEnd_ || !fault_.empty()) {
            return false;
        }
        if (pos_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
            end_ -= pos_;
            pos_ = 0;
        }
        if (buffer_.size() - end_ < kChunk / 2) {
            buffer_.resize(buffer_.size() + kChunk);
        }
        const std::size_t got = read_(buffer_.data() + end_, buffer_.size() - end_);
        total_ += got;
        if (total_ > maxBytes_) {
            Fail(0, "die Datei ist größer als " + Megabytes(maxBytes_));
            return false;
        }
        end_ += got;
        atEnd_ = got == 0;
        return got > 0;
    }

    // The next byte without taking it; -1 at the end of the file.
    int Peek() {
        if (pos_ == end_ && !Fill()) {
            return -1;
        }
        return static_cast<unsigned char>(buffer_[pos_]);
    }

    void EndLine() {
        if (buffer_[pos_++] == '\r' && Peek() == '\n') {
            ++pos_;
        }
        ++at_;
    }

    bool Unquoted(Field& field) {
        for (;;) {
            std::size_t i = pos_;
            while (i < end_ && buffer_[i] != delimiter_ && buffer_[i] != '\n' &&
                   buffer_[i] != '\r' && buffer_[i] != '"') {
                ++i;
            }
            field.text.append(buffer_.data() + pos_, i - pos_);
            pos_ = i;
            if (pos_ < end_ || !Fill()) {
                break;
            }
        }
        if (Peek() == '"') {
            return Fail(at_, "ein Anführungszeichen mitten in einem Feld ohne Anführungszeichen",
                        false);
        }
        return fault_.empty();
    }

    bool Quoted(Field& field) {
        field.quoted = true;
        ++pos_;
        bool pendingCr = false;  // the piece ended in a CR whose LF may still come
        for (;;) {
            if (pendingCr && pos_ < end_) {
                at_ += buffer_[pos_] == '\n' ? 0 : 1;
                pendingCr = false;
            }
            const char* quote =
                static_cast<const char*>(std::memchr(buffer_.data() + pos_, '"', end_ - pos_));
            const std::size_t stop =
                quote != nullptr ? static_cast<std::size_t>(quote - buffer_.data()) : end_;
            for (std::size_t i = pos_; i < stop; ++i) {
                if (buffer_[i] == '\r' && i + 1 == end_) {
                    pendingCr = true;
                } else {
                    const bool lone = buffer_[i] == '\r' && buffer_[i + 1] != '\n';
                    at_ += buffer_[i] == '\n' || lone ? 1 : 0;
                }
            }
            field.text.append(buffer_.data() + pos_, stop - pos_);
            pos_ = stop;
            if (quote == nullptr) {
                if (Fill()) {
                    continue;
                }
                if (fault_.empty()) {
                    Fail(field.line,
                         "ein Feld in Anführungszeichen wird nicht geschlossen (abgeschnitten?)",
                         false);
                }
                return false;
            }
            ++pos_;
            const int next = Peek();
            if (next == '"') {
                field.text += '"';
                ++pos_;
                continue;
            }
            if (next >= 0 && next != delimiter_ && next != '\n' && next != '\r') {
                return Fail(at_, "Zeichen nach dem schließenden Anführungszeichen eines Felds",
                            false);
            }
            return fault_.empty();
        }
    }

    ReadMore read_;
    char delimiter_;
    std::uint64_t maxBytes_;
    std::string buffer_;
    std::size_t pos_ = 0;  // the next byte not taken
    std::size_t end_ = 0;  // behind the bytes read
    std::uint64_t total_ = 0;
    bool started_ = false;
    bool atEnd_ = false;
    int at_ = 1;    // the line of the next byte
    int line_ = 1;  // where the last record starts, or of the fault
    std::string fault_;
    bool faultInBytes_ = false;
};

bool HeaderFits(const std::vector<Field>& fields, const std::vector<std::string>& columns) {
    if (fields.size() != columns.size()) {
        return false;
    }
    std::string name;
    for (std::size_t i = 0; i < fields.size(); ++i) {
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

// Finds the delimiter the header row uses (or checks the one given); 0 after a fault.
char ReadHeader(const OpenFile& open, Planner& planner, const std::vector<std::string>& columns,
                const ImportOptions& options) {
    std::vector<Field> fields;
    for (char candidate : {',', ';'}) {
        if (options.csvDelimiter != 0 && options.csvDelimiter != candidate) {
            continue;
        }
        CsvReader header(open(), candidate, options.maxFileBytes);
        if (header.Next(fields) && HeaderFits(fields, columns)) {
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
bool FirstPass(CsvReader& reader, Planner& planner, Matcher& matcher) {
    std::vector<Field> fields;
    Keys keys;
    std::size_t records = 0;
    reader.Next(fields);  // the header row
    while (reader.Next(fields)) {
        ++records;
        if (fields.size() != kColumns) {
            planner.Fail(reader.Line(), std::to_string(fields.size()) + " Felder statt " +
                                            std::to_string(kColumns));
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
                const std::vector<std::string>& columns) {
    std::vector<Field> fields;
    Keys keys;
    reader.Next(fields);  // the header row
    while (reader.Next(fields)) {
        if (fields.size() != kColumns) {
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
    const CsvReader* reading = nullptr;  // for the line where memory ran out
    try {
        const char delimiter = ReadHeader(open, planner, columns, options);
        if (delimiter == 0) {
            return;
        }
        Matcher matcher(planner.Rows());
        CsvReader first(open(), delimiter, options.maxFileBytes);
        reading = &first;
        if (!FirstPass(first, planner, matcher)) {
            return;
        }
        CsvReader second(open(), delimiter, options.maxFileBytes);
        reading = &second;
        SecondPass(second, planner, matcher, columns);
    } catch (const std::bad_alloc&) {
        planner.FailOutOfMemory(reading != nullptr ? reading->Reading() : 0);
    }
}

}  // namespace parlix::exchange::detail
