// The CSV reader: RFC 4180 records in UTF-8 (with or without a byte-order mark), a header row
// naming the table's columns, comma or semicolon as the delimiter.
#include <algorithm>
#include <array>
#include <unordered_map>

#include "exchange/readers.h"
#include "exchange/text_codec.h"
#include "table/cp1252.h"
#include "table/text.h"

namespace parlix::exchange::detail {

namespace {

constexpr std::size_t kColumns = 5;

struct Field {
    std::string text;  // UTF-8
    bool quoted = false;
};

struct Record {
    int line = 0;
    std::array<Field, kColumns> fields;
};

// Splits the file into records; a fault names its line.
class CsvScanner {
  public:
    CsvScanner(std::string_view bytes, char delimiter) : bytes_(bytes), delimiter_(delimiter) {}

    // The next record's fields into `fields` (emptied first); false at the end of the file or
    // after a fault. Blank lines are passed over.
    bool Next(std::vector<Field>& fields, int& line) {
        fields.clear();
        while (pos_ < bytes_.size() && (bytes_[pos_] == '\n' || bytes_[pos_] == '\r')) {
            EndLine();
        }
        if (pos_ >= bytes_.size()) {
            return false;
        }
        line = line_;
        for (;;) {
            Field field;
            if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
                if (!Quoted(field)) {
                    return false;
                }
            } else {
                const std::size_t from = pos_;
                while (pos_ < bytes_.size() && bytes_[pos_] != delimiter_ && bytes_[pos_] != '\n' &&
                       bytes_[pos_] != '\r') {
                    if (bytes_[pos_] == '"') {
                        fault_ =
                            "ein Anführungszeichen mitten in einem Feld ohne Anführungszeichen";
                        return false;
                    }
                    ++pos_;
                }
                field.text.assign(bytes_.substr(from, pos_ - from));
            }
            fields.push_back(std::move(field));
            if (pos_ >= bytes_.size()) {
                return true;
            }
            if (bytes_[pos_] == delimiter_) {
                ++pos_;
                continue;
            }
            EndLine();
            return true;
        }
    }

    const std::string& Fault() const { return fault_; }
    int Line() const { return line_; }

  private:
    void EndLine() {
        if (bytes_[pos_] == '\r' && pos_ + 1 < bytes_.size() && bytes_[pos_ + 1] == '\n') {
            ++pos_;
        }
        ++pos_;
        ++line_;
    }

    bool Quoted(Field& field) {
        field.quoted = true;
        const int start = line_;
        ++pos_;
        for (;;) {
            const std::size_t quote = bytes_.find('"', pos_);
            if (quote == std::string_view::npos) {
                line_ = start;
                fault_ = "ein Feld in Anführungszeichen wird nicht geschlossen (abgeschnitten?)";
                return false;
            }
            for (std::size_t i = pos_; i < quote; ++i) {
                if (bytes_[i] == '\n' || (bytes_[i] == '\r' && bytes_[i + 1] != '\n')) {
                    ++line_;
                }
            }
            field.text.append(bytes_.substr(pos_, quote - pos_));
            pos_ = quote + 1;
            if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
                field.text += '"';
                ++pos_;
                continue;
            }
            if (pos_ < bytes_.size() && bytes_[pos_] != delimiter_ && bytes_[pos_] != '\n' &&
                bytes_[pos_] != '\r') {
                fault_ = "Zeichen nach dem schließenden Anführungszeichen eines Felds";
                return false;
            }
            return true;
        }
    }

    std::string_view bytes_;
    char delimiter_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::string fault_;
};

// The first line that is no valid UTF-8, or 0.
int FirstLineNotUtf8(std::string_view bytes) {
    int line = 1;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            line += b == '\n' ? 1 : 0;
            ++i;
        } else if (!NextUtf8Character(bytes, i)) {
            return line;
        }
    }
    return 0;
}

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

// Matches records to rows: by StringName, or by Property among the rows without a name. When
// several rows share the key, a row whose Type, Property and language 1 also agree comes
// first, then the rows in SourceSideLess order, which the table's order does not change; each
// row is taken once.
class Matcher {
  public:
    explicit Matcher(const std::vector<Row>& rows) : rows_(rows), taken_(rows.size(), false) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::string& name = rows[r][kNameColumn].text;
            auto& map = name.empty() ? byProperty_ : byName_;
            map[name.empty() ? rows[r][kPropertyColumn].text : name].push_back(static_cast<int>(r));
        }
        for (auto* map : {&byName_, &byProperty_}) {
            for (auto& [key, candidates] : *map) {
                std::stable_sort(candidates.begin(), candidates.end(), [&rows](int a, int b) {
                    return SourceSideLess(rows[static_cast<std::size_t>(a)],
                                          rows[static_cast<std::size_t>(b)]);
                });
            }
        }
    }

    // The candidate rows of a record (Windows-1252 keys); nullptr when there are none.
    const std::vector<int>* Candidates(const std::array<std::string, kColumns>& key) const {
        const bool named = !key[kNameColumn].empty();
        const auto& map = named ? byName_ : byProperty_;
        auto it = map.find(named ? key[kNameColumn] : key[kPropertyColumn]);
        return it == map.end() ? nullptr : &it->second;
    }

    // Takes a free row among the candidates, preferring one that agrees in every key column;
    // -1 when all are taken.
    int Take(const std::vector<int>& candidates, const std::array<std::string, kColumns>& key) {
        int free = -1;
        for (int r : candidates) {
            if (taken_[static_cast<std::size_t>(r)]) {
                continue;
            }
            const Row& row = rows_[static_cast<std::size_t>(r)];
            if (row[kTypeColumn].text == key[kTypeColumn] &&
                row[kPropertyColumn].text == key[kPropertyColumn] &&
                row[kSourceColumn].text == key[kSourceColumn]) {
                free = r;
                break;
            }
            if (free < 0) {
                free = r;
            }
        }
        if (free >= 0) {
            taken_[static_cast<std::size_t>(free)] = true;
        }
        return free;
    }

  private:
    const std::vector<Row>& rows_;
    std::vector<bool> taken_;
    std::unordered_map<std::string_view, std::vector<int>> byName_;
    std::unordered_map<std::string_view, std::vector<int>> byProperty_;
};

// How the report names a record: its StringName, or its Property when it has no name.
std::string Key(const Record& record) {
    const std::string& name = record.fields[kNameColumn].text;
    return name.empty() ? record.fields[kPropertyColumn].text : name;
}

}  // namespace

void ReadCsv(std::string_view bytes, Planner& planner, const std::vector<std::string>& columns,
             const ImportOptions& options) {
    if (bytes.size() > options.maxFileBytes) {
        planner.Fail(0, "die Datei ist größer als " + Megabytes(options.maxFileBytes));
        return;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        planner.Fail(1, "die Datei ist in UTF-16 gespeichert; bitte als CSV in UTF-8 speichern");
        return;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (const int line = FirstLineNotUtf8(bytes); line > 0 || bytes.find('\0') != bytes.npos) {
        planner.Fail(line > 0 ? line : 1,
                     "kein UTF-8: die Datei ist in einer anderen Zeichenkodierung gespeichert "
                     "(im Tabellenprogramm als \"CSV UTF-8\" speichern)");
        return;
    }

    std::vector<Field> fields;
    int line = 0;
    char delimiter = options.csvDelimiter;
    for (char candidate : {',', ';'}) {
        if (delimiter == 0 || delimiter == candidate) {
            CsvScanner header(bytes, candidate);
            if (header.Next(fields, line) && HeaderFits(fields, columns)) {
                delimiter = candidate;
                break;
            }
        }
    }
    if (delimiter == 0 || !HeaderFits(fields, columns)) {
        planner.Fail(1, "die Kopfzeile passt nicht zu dieser Übersetzungstabelle; erwartet: " +
                            Joined(columns, delimiter == 0 ? ';' : delimiter));
        return;
    }

    CsvScanner scanner(bytes, delimiter);
    scanner.Next(fields, line);  // the header row
    std::vector<Record> records;
    while (scanner.Next(fields, line)) {
        if (fields.size() != kColumns) {
            planner.Fail(
                line, std::to_string(fields.size()) + " Felder statt " + std::to_string(kColumns));
            return;
        }
        Record& record = records.emplace_back();
        record.line = line;
        for (std::size_t i = 0; i < kColumns; ++i) {
            record.fields[i] = std::move(fields[i]);
        }
    }
    if (!scanner.Fault().empty()) {
        planner.Fail(scanner.Line(), scanner.Fault());
        return;
    }

    // Records with a single candidate row are matched first, so that an ambiguous record
    // cannot take a row that another record names alone.
    Matcher matcher(planner.Rows());
    std::vector<std::array<std::string, kColumns>> keys(records.size());
    std::vector<int> rowOf(records.size(), -1);
    std::vector<const std::vector<int>*> candidates(records.size(), nullptr);
    for (std::size_t i = 0; i < records.size(); ++i) {
        bool held = true;
        for (std::size_t c = 0; c < kColumns; ++c) {
            held = held && (c == kTargetColumn || ToCp1252(records[i].fields[c].text, false,
                                                           keys[i][c]) != Conversion::Unheld);
        }
        candidates[i] = held ? matcher.Candidates(keys[i]) : nullptr;  // else matches no row
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (candidates[i] != nullptr && (candidates[i]->size() == 1) == (pass == 0)) {
                rowOf[i] = matcher.Take(*candidates[i], keys[i]);
                if (rowOf[i] < 0) {
                    planner.Fail(records[i].line, "der Datensatz \"" + Key(records[i]) +
                                                      "\" kommt öfter vor als in der Tabelle");
                    return;
                }
            }
        }
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const Field& target = records[i].fields[kTargetColumn];
        OfferedText offered;
        offered.isNull = target.text.empty() && !target.quoted;
        offered.text = target.text;
        if (!planner.Add(rowOf[i], Key(records[i]), records[i].line, offered)) {
            return;
        }
    }
    planner.Finish();
}

}  // namespace parlix::exchange::detail
