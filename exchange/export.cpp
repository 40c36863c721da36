// XLIFF 1.2 and CSV writers.
#include <functional>
#include <optional>
#include <string_view>

#include "exchange/exchange.h"
#include "exchange/table_rows.h"
#include "exchange/text_codec.h"
#include "exchange/xliff_names.h"
#include "table/cp1252.h"
#include "table/errors.h"
#include "table/file_replacement.h"

namespace parlix::exchange {

namespace {

using detail::TableRows;
using Sink = std::function<void(std::string_view)>;

constexpr std::size_t kPiece = std::size_t{1} << 20;

bool Skipped(const TableRows& rows, int row, const ExportOptions& options) {
    return options.onlyUntranslated && !rows.Untranslated(row);
}

void CheckCode(const std::string& code, const char* which) {
    if (!IsLanguageCode(code)) {
        throw PtfError(std::string(which) + " \"" + code + "\" ist kein gültiger BCP-47-Code");
    }
}

// A file name (UTF-8) as an attribute value; what is no UTF-8 becomes "?".
void AppendFileName(std::string& out, std::string_view name) {
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t from = i;
        if (!NextUtf8Character(name, i)) {
            ++i;
            out += '?';
            continue;
        }
        std::string_view character = name.substr(from, i - from);
        if (character.size() == 1) {
            detail::AppendXml(out, character, true);  // ASCII: the same bytes in both
        } else {
            out += character;
        }
    }
}

void AppendNote(std::string& out, const char* label, std::string_view text) {
    if (text.empty()) {
        return;
    }
    out += "        <note from=\"developer\">";
    out += label;
    out += ": ";
    detail::AppendXml(out, text, false);
    out += "</note>\n";
}

int WriteXliff(PtfTable& table, const ExportOptions& options, const Sink& sink) {
    CheckCode(options.sourceCode, "Der Quellsprachen-Code");
    CheckCode(options.targetCode, "Der Zielsprachen-Code");
    const TableRows rows(table);
    const std::vector<std::string> ids = detail::UnitIds(rows);

    std::string out;
    out.reserve(kPiece + 8192);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xliff version=\"1.2\" xmlns=\"";
    out += xliff::kNamespace12;
    out += "\">\n  <file original=\"";
    AppendFileName(out, options.original);
    out += "\" source-language=\"" + options.sourceCode + "\" target-language=\"" +
           options.targetCode + "\" datatype=\"plaintext\">\n    <body>\n";
    int units = 0;
    for (int r = 0; r < rows.Count(); ++r) {
        if (Skipped(rows, r, options)) {
            continue;
        }
        ++units;
        const std::string_view source = rows.Text(r, detail::kSourceColumn);
        const std::string_view target = rows.Text(r, detail::kTargetColumn);
        const bool translated = !target.empty();
        out += "      <trans-unit id=\"";
        detail::AppendXml(out, ids[static_cast<std::size_t>(r)], true);
        out += "\" xml:space=\"preserve\"";
        if (source.empty()) {
            out += " translate=\"no\"";  // nothing to translate: no blank row for the translator
        }
        out += translated ? " approved=\"yes\">\n" : ">\n";
        out += "        <source>";
        detail::AppendXml(out, source, false);
        out += "</source>\n";
        // A null target is no <target> at all: a marker of its own would fail the strict schema
        // and stay on a target that a translator's tool fills.
        if (translated) {
            out += "        <target state=\"translated\">";
            detail::AppendXml(out, target, false);
            out += "</target>\n";
        } else if (!rows.IsNull(r, detail::kTargetColumn)) {
            out += "        <target state=\"needs-translation\"></target>\n";
        }
        AppendNote(out, "Type", rows.Text(r, detail::kTypeColumn));
        AppendNote(out, "Property", rows.Text(r, detail::kPropertyColumn));
        out += "      </trans-unit>\n";
        if (out.size() >= kPiece) {
            sink(out);
            out.clear();
        }
    }
    out += "    </body>\n  </file>\n</xliff>\n";
    sink(out);
    return units;
}

// RFC 4180: a field is quoted when it holds the delimiter, a quote or a line break, and also
// when it is empty (an empty field without quotes is null) or starts or ends with a blank,
// which some readers would trim. A text a spreadsheet would take for a formula gets an
// apostrophe in front (see TakenForFormula).
void AppendCsvField(std::string& out, std::optional<std::string_view> value, char delimiter) {
    if (!value) {
        return;
    }
    std::string marked;
    if (detail::TakenForFormula(*value)) {
        marked.assign("'").append(*value);
        value = marked;
    }
    const std::string_view text = *value;
    const bool quoted = text.empty() || text.find_first_of("\"\r\n") != std::string::npos ||
                        text.find(delimiter) != std::string::npos || text.front() == ' ' ||
                        text.back() == ' ' || text.front() == '\t' || text.back() == '\t';
    if (!quoted) {
        AppendCp1252AsUtf8(out, text);
        return;
    }
    out += '"';
    std::size_t from = 0;
    for (std::size_t quote = text.find('"'); quote != std::string::npos;
         quote = text.find('"', from)) {
        AppendCp1252AsUtf8(out, text.substr(from, quote + 1 - from));
        out += '"';
        from = quote + 1;
    }
    AppendCp1252AsUtf8(out, text.substr(from));
    out += '"';
}

int WriteCsv(PtfTable& table, const ExportOptions& options, const Sink& sink) {
    const char delimiter = options.csvDelimiter;
    if (delimiter != ',' && delimiter != ';') {
        throw PtfError("Als Trennzeichen einer CSV-Datei dienen nur Komma und Semikolon");
    }
    const TableRows rows(table);
    std::string out;
    out.reserve(kPiece + 8192);
    out += "\xEF\xBB\xBF";  // the byte-order mark tells spreadsheets that the file is UTF-8
    for (int column = 0; column < table.FieldCount(); ++column) {
        if (column > 0) {
            out += delimiter;
        }
        AppendCsvField(out, table.Field(column).FieldName(), delimiter);
    }
    out += "\r\n";
    int units = 0;
    for (int r = 0; r < rows.Count(); ++r) {
        if (Skipped(rows, r, options)) {
            continue;
        }
        ++units;
        for (int column = 0; column < detail::kColumns; ++column) {
            if (column > 0) {
                out += delimiter;
            }
            AppendCsvField(
                out, rows.IsNull(r, column) ? std::nullopt : std::optional(rows.Text(r, column)),
                delimiter);
        }
        out += "\r\n";
        if (out.size() >= kPiece) {
            sink(out);
            out.clear();
        }
    }
    sink(out);
    return units;
}

Sink StreamSink(std::ostream& out) {
    return [&out](std::string_view piece) {
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        if (!out) {
            throw PtfError("Die Datei kann nicht geschrieben werden");
        }
    };
}

}  // namespace

int ExportXliff(PtfTable& table, const ExportOptions& options, std::ostream& out) {
    return WriteXliff(table, options, StreamSink(out));
}

int ExportCsv(PtfTable& table, const ExportOptions& options, std::ostream& out) {
    return WriteCsv(table, options, StreamSink(out));
}

int ExportFile(const std::string& path, Format format, PtfTable& table,
               const ExportOptions& options) {
    FileReplacement file(path);
    const Sink sink = [&file](std::string_view piece) { file.Write(piece); };
    const int units =
        format == Format::Xliff ? WriteXliff(table, options, sink) : WriteCsv(table, options, sink);
    file.Commit();
    return units;
}

}  // namespace parlix::exchange
