#include "table/ptf_format.h"

#include <charconv>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <optional>

#include "table/byte_search.h"
#include "table/file_io.h"
#include "table/ptf_scanner.h"
#include "table/text.h"

namespace parlix {

namespace detail {

// The reader's access to a table: a text value refers to the line it was read from until the
// record is stored (the line outlives the record's Post), instead of being copied twice.
struct TableLoading {
    static void SetText(const Field& field, std::string_view text) {
        field.table_->LoadText(field.index_, text);
    }
    // While it lives, the records stored are read from a file, not edited: the table's
    // journal hears nothing of them.
    class Reading {
      public:
        explicit Reading(PtfTable& table) : table_(table) { table_.loading_ = true; }
        ~Reading() { table_.loading_ = false; }
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;

      private:
        PtfTable& table_;
    };
};

}  // namespace detail

using detail::PtfTag;
using detail::ScanPtfLine;

namespace {

constexpr std::string_view kHeader = "/* Portable Table Format 1.0 */";
constexpr std::string_view kArrayStart = "porTables[porTables.length] = new Array(";
constexpr std::string_view kLineEnd = "\r\n";

// A line ends at CR LF, at CR or at LF; a break at the very end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    const char* p = content.data();
    const char* const end = p + content.size();
    // One line per LF, and so room for all of them at once (lone CRs may add a few).
    std::size_t breaks = 0;
    for (const char* at = p;
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))));
         ++at) {
        ++breaks;
    }
    lines.reserve(breaks + 1);
    while (p < end) {
        const char* lf =
            static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* limit = lf != nullptr ? lf : end;
        const char* cr =
            static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(limit - p)));
        if (cr != nullptr) {
            lines.emplace_back(p, cr - p);
            p = (cr + 1 < end && cr[1] == '\n') ? cr + 2 : cr + 1;
        } else {
            lines.emplace_back(p, limit - p);
            p = limit + 1;
        }
    }
    return lines;
}

// A load that cannot go on: where and why.
struct LoadError {
    int line;
    std::string cause;
};

// One token of a data line, kept until the whole line has been read.
struct Token {
    PtfTag tag;
    std::string_view text;  // in the line, or in the line's copy buffer
};

// Reads a data line into `tokens`; texts that differ from the line's bytes (escapes, blanks)
// go to `copies`, which has room for a whole line, so that views into it stay valid.
detail::PtfLineEnd ReadTokens(std::string_view line, std::string& scratch, std::string& copies,
                              std::vector<Token>& tokens) {
    tokens.clear();
    copies.clear();
    copies.reserve(line.size());
    return ScanPtfLine(line, scratch, [&](PtfTag tag, std::string_view text) {
        std::less_equal<const char*> notAfter;
        if (notAfter(line.data(), text.data()) &&
            notAfter(text.data() + text.size(), line.data() + line.size())) {
            tokens.push_back({tag, text});
        } else {
            const std::size_t at = copies.size();
            copies.append(text);
            tokens.push_back({tag, std::string_view(copies).substr(at)});
        }
    });
}

// The last line: the column count and ");", blanks allowed around and between them. The
// count's digits, or nothing when the line is no trailer.
std::optional<std::string_view> TrailerCount(std::string_view line) {
    std::string_view rest = TrimView(line);
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || TrimView(rest.substr(digits)) != ");") {
        return std::nullopt;
    }
    return rest.substr(0, digits);
}

// A file is read as a table only when it begins with the format's two fixed lines and ends
// with its trailer, which counts the table's columns: other text, a table cut short, or one
// made for other columns is refused instead of read as records.
void CheckFrame(const std::vector<std::string_view>& lines, int columns) {
    if (TrimView(lines[0]) != kHeader) {
        throw LoadError{
            1, "keine Tabellendatei (die erste Zeile ist nicht \"" + std::string(kHeader) + "\")"};
    }
    if (TrimView(lines[1]) != kArrayStart) {
        throw LoadError{2, "keine Tabellendatei (die zweite Zeile ist nicht \"" +
                               std::string(kArrayStart) + "\")"};
    }
    const int last = static_cast<int>(lines.size());
    const std::optional<std::string_view> count = TrailerCount(lines.back());
    if (!count) {
        throw LoadError{last,
                        "Tabelle unvollständig (die letzte Zeile ist nicht die Spaltenzahl mit "
                        "\");\")"};
    }
    const std::optional<std::int64_t> number = ParseInteger(*count);
    if (!number || *number != columns) {
        throw LoadError{last, "die letzte Zeile nennt " + std::string(*count) +
                                  " Spalten, die Tabelle hat " + std::to_string(columns)};
    }
}

// The column titles of the names line, as far as it can be read.
std::vector<std::string> ColumnTitles(std::string_view line) {
    std::vector<std::string> titles;
    std::string scratch;
    ScanPtfLine(line, scratch, [&](PtfTag, std::string_view text) { titles.emplace_back(text); });
    return titles;
}

// Why the fill pass refuses a line the tokenizer did not read whole.
std::string LineFault(detail::PtfLineEnd end) {
    switch (end) {
        case detail::PtfLineEnd::OpenString:
            return "ein Wert in Anführungszeichen endet nicht (fehlt ein Anführungszeichen?)";
        case detail::PtfLineEnd::TextAfterString:
            return "Zeichen zwischen einem schließenden Anführungszeichen und dem nächsten Komma "
                   "(fehlt ein Anführungszeichen?)";
        default:
            return "Zeile kann nicht gelesen werden";
    }
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// Stores one token text into column `column` of the record being inserted.
void StoreValue(Field field, FieldType type, PtfTag tag, std::string_view text, int lineNumber) {
    // Only the unquoted word null is a null value; a quoted "null" is the user's text.
    if (tag == PtfTag::Null) {
        field.SetNull();
        return;
    }
    switch (type) {
        case FieldType::ftString:
            detail::TableLoading::SetText(field, text);
            break;
        case FieldType::ftSmallint:
        case FieldType::ftInteger:
        case FieldType::ftWord:
        case FieldType::ftAutoInc: {
            std::optional<std::int64_t> value = ParseInteger(TrimView(text));
            if (!value) {
                throw LoadError{lineNumber, Quoted(text) + " ist keine ganze Zahl (Feld " +
                                                field.FieldName() + ")"};
            }
            try {
                field.SetAsInteger(*value);
            } catch (const PtfError& error) {
                throw LoadError{lineNumber,
                                error.what() + std::string(" (Feld ") + field.FieldName() + ")"};
            }
            break;
        }
        case FieldType::ftBoolean:
            field.SetAsBoolean(text == "true");
            break;
        case FieldType::ftFloat: {
            std::optional<double> value = ParseDecimal(text);
            if (!value) {
                throw LoadError{lineNumber,
                                Quoted(text) + " ist keine Zahl (Feld " + field.FieldName() + ")"};
            }
            field.SetAsFloat(*value);
            break;
        }
        default:
            break;  // types the format does not carry stay null
    }
}

}  // namespace

bool ParsePtfLine(std::string_view line, std::vector<std::string>& tokens) {
    tokens.clear();
    std::string scratch;
    return ScanPtfLine(line, scratch, [&](PtfTag tag, std::string_view text) {
               std::string entry;
               entry.reserve(text.size() + 2);
               entry += static_cast<char>(tag);
               entry += '=';
               entry += text;
               tokens.push_back(std::move(entry));
           }) != detail::PtfLineEnd::Rejected;
}

namespace {

[[noreturn]] void Refuse(int line, std::string message) {
    throw FaultError(Fault::In("", std::move(message), line));
}

void Load(const std::vector<std::string_view>& lines, PtfTable& table) {
    const std::size_t firstData = kPtfFirstRecordLine - 1;
    const std::size_t endData = lines.size() - 1;  // the last line is never read

    ControlsDisabled quiet(table);
    std::string scratch;
    std::string copies;
    std::vector<Token> tokens;
    try {
        table.Close();
        CheckFrame(lines, table.FieldDefs().Count());

        // Size pass: text columns grow to hold their longest value plus 16. Lines the
        // tokenizer rejects are passed over here; the fill pass reports them.
        FieldDefs& defs = table.FieldDefs();
        const std::size_t columns = static_cast<std::size_t>(defs.Count());
        constexpr std::size_t kNone = static_cast<std::size_t>(-1);
        constexpr std::size_t kNull = static_cast<std::size_t>(-2);  // the length of a null
        std::vector<std::size_t> longest(columns, kNone);
        std::vector<std::size_t> lengths;
        // What the records will take: a text its bytes, a number 8, a null nothing.
        std::vector<bool> isText(columns);
        std::vector<bool> isNumber(columns);
        for (std::size_t k = 0; k < columns; ++k) {
            const FieldType type = defs[static_cast<int>(k)].DataType();
            isText[k] = type == FieldType::ftString;
            isNumber[k] =
                IsIntegerType(type) || type == FieldType::ftBoolean || type == FieldType::ftFloat;
        }
        std::size_t valueBytes = 0;
        for (std::size_t i = firstData; i < endData; ++i) {
            lengths.clear();
            const detail::PtfLineEnd end =
                ScanPtfLine(lines[i], scratch, [&](PtfTag tag, std::string_view text) {
                    lengths.push_back(tag == PtfTag::Null ? kNull : text.size());
                });
            if (end != detail::PtfLineEnd::Read) {
                continue;
            }
            if (lengths.size() > columns) {
                throw LoadError{static_cast<int>(i) + 1, std::to_string(lengths.size()) +
                                                             " Werte, aber nur " +
                                                             std::to_string(columns) + " Spalten"};
            }
            for (std::size_t k = 0; k < lengths.size(); ++k) {
                const std::size_t length = lengths[k] == kNull ? 4 : lengths[k];  // "null"
                if (longest[k] == kNone || longest[k] < length) {
                    longest[k] = length;
                }
                if (lengths[k] != kNull) {
                    valueBytes += isText[k] ? length : isNumber[k] ? 8 : 0;
                }
            }
        }
        for (std::size_t k = 0; k < columns; ++k) {
            FieldDef& def = defs[static_cast<int>(k)];
            if (def.DataType() != FieldType::ftString || longest[k] == kNone) {
                continue;
            }
            const std::size_t needed = longest[k] + 16;
            if (needed > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
                throw LoadError{0, "Wert zu lang"};
            }
            if (static_cast<std::size_t>(def.Size()) < needed) {
                def.SetSize(static_cast<int>(needed));
            }
        }

        table.CreateTable();
        table.SetFileColumnNames(ColumnTitles(lines[kPtfNamesLine - 1]));
        table.ReserveRecords(endData - firstData, valueBytes);
        std::vector<Field> fields;
        std::vector<FieldType> types;
        for (int k = 0; k < table.FieldCount(); ++k) {
            fields.push_back(table.Field(k));
            types.push_back(fields.back().DataType());
        }

        // Fill pass: one record per data line, in file order.
        detail::TableLoading::Reading reading(table);
        for (std::size_t i = firstData; i < endData; ++i) {
            const int lineNumber = static_cast<int>(i) + 1;
            const detail::PtfLineEnd end = ReadTokens(lines[i], scratch, copies, tokens);
            if (end != detail::PtfLineEnd::Read) {
                throw LoadError{lineNumber, LineFault(end)};
            }
            if (tokens.size() > fields.size()) {
                throw LoadError{lineNumber, "zu viele Werte"};
            }
            table.Append();
            for (std::size_t k = 0; k < tokens.size(); ++k) {
                StoreValue(fields[k], types[k], tokens[k].tag, tokens[k].text, lineNumber);
            }
            table.Post();
        }
        table.Close();
        return;
    } catch (const LoadError& error) {
        table.Close();
        Refuse(error.line, error.cause);
    } catch (const EAbort&) {
        table.Close();
        Refuse(0, "Einfügen abgelehnt");
    } catch (const std::bad_alloc&) {
        table.Close();
        Refuse(0, kOutOfMemory);
    } catch (const std::exception& error) {
        table.Close();
        Refuse(0, error.what());
    }
}

}  // namespace

void LoadPtf(std::string_view bytes, PtfTable& table) {
    std::vector<std::string_view> lines;
    try {
        lines = SplitLines(bytes);
    } catch (const std::bad_alloc&) {
        Refuse(0, kOutOfMemory);
    }
    if (lines.size() < 4) {
        Refuse(0, "keine Tabellendatei (weniger als 4 Zeilen)");
    }
    Load(lines, table);
}

void LoadPtfFile(const std::string& path, PtfTable& table, std::uint64_t maxBytes) {
    const FileBuffer content = ReadFileBuffer(path, maxBytes);  // EFOpenError to the caller
    try {
        LoadPtf(content.View(), table);
    } catch (const FaultError& error) {
        Fault fault = error.GetFault();
        fault.file = path;
        throw FaultError(std::move(fault));
    }
}

namespace {

void AppendEscaped(std::string& out, std::string_view text, char quote) {
    // Doubling every backslash and then escaping every quote is one pass: the quotes in the
    // doubled text are exactly the original ones.
    const char* from = text.data();
    const char* const end = from + text.size();
    for (;;) {
        const char* special = detail::FindEitherByte(from, end, '\\', quote);
        out.append(from, static_cast<std::size_t>(special - from));
        if (special == end) {
            return;
        }
        out += '\\';
        out += *special;
        from = special + 1;
    }
}

void AppendInteger(std::string& out, std::int64_t value) {
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    (void)ec;
    out.append(digits, end);
}

// Encodes the whole table, handing the text to `output` in pieces of about a megabyte.
template <class Output>
void Encode(PtfTable& table, char quote, Output&& output) {
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    std::string out;
    out.reserve(kPiece + 4096);
    out.append(kHeader).append(kLineEnd);
    out.append(kArrayStart).append(kLineEnd);
    const FieldDefs& defs = table.FieldDefs();
    for (int i = 0; i < defs.Count(); ++i) {
        out += quote;
        out += defs[i].Name();
        out += quote;
        out += ',';
    }
    out.append(kLineEnd);

    ControlsDisabled quiet(table);
    table.Open();
    table.First();
    std::vector<Field> fields;
    for (int i = 0; i < table.FieldCount(); ++i) {
        fields.push_back(table.Field(i));
    }
    while (!table.AtEnd()) {
        for (const Field& field : fields) {
            if (field.IsNull()) {
                out.append("null,");
                continue;
            }
            switch (field.DataType()) {
                case FieldType::ftString:
                    out += quote;
                    AppendEscaped(out, field.StringView(), quote);
                    out += quote;
                    break;
                case FieldType::ftSmallint:
                case FieldType::ftInteger:
                case FieldType::ftWord:
                case FieldType::ftAutoInc:
                    AppendInteger(out, field.AsInteger());
                    break;
                case FieldType::ftBoolean:
                    out.append(field.AsBoolean() ? "true" : "false");
                    break;
                case FieldType::ftFloat:
                    out.append(FormatGeneral(field.AsFloat(), '.'));
                    break;
                default:
                    continue;  // a type the format does not carry: nothing, not even the comma
            }
            out += ',';
        }
        out.append(kLineEnd);
        if (out.size() >= kPiece) {
            output(std::string_view(out));
            out.clear();
        }
        table.Next();
    }
    AppendInteger(out, table.FieldCount());
    out.append(");").append(kLineEnd);
    output(std::string_view(out));
}

}  // namespace

std::string EncodePtfTable(PtfTable& table, char quote) {
    std::string content;
    Encode(table, quote, [&](std::string_view piece) { content.append(piece); });
    return content;
}

Replacement SavePtfFile(const std::string& path, char quote, PtfTable& table, std::int32_t backups,
                        const BackupFailureQuestion& writeDespiteBackupFailure) {
    table.Open();
    table.First();  // a pending edit is stored before anything is written
    FileReplacement file(path, backups);
    Encode(table, quote, [&](std::string_view piece) { file.Write(piece); });
    const Replacement result = file.Commit(writeDespiteBackupFailure);
    if (result != Replacement::Declined) {
        std::vector<std::string> names;
        for (int i = 0; i < table.FieldDefs().Count(); ++i) {
            names.push_back(table.FieldDefs()[i].Name());
        }
        table.SetFileColumnNames(std::move(names));
    }
    return result;
}

}  // namespace parlix
