// Translation tables for the exchange tests, and what they hold.
#pragma once

#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/exchange.h"
#include "generator/build_test_support.h"
#include "table/ptf_format.h"

namespace parlix::testing {

// Every value of the table in the order of adding, null as "<null>", for comparing tables.
inline std::string Values(PtfTable& table) {
    const std::string order = table.IndexFieldNames();
    table.SetIndexFieldNames("");
    std::string all;
    for (int r = 0; r < table.RecordCount(); ++r) {
        for (int c = 0; c < table.FieldCount(); ++c) {
            all += table.IsNullAt(r, c) ? "<null>" : "[" + table.TextAt(r, c) + "]";
        }
        all += '\n';
    }
    table.SetIndexFieldNames(order);
    return all;
}

inline exchange::ExportOptions GermanEnglish(char delimiter = ',') {
    exchange::ExportOptions options;
    options.sourceCode = "de";
    options.targetCode = "en";
    options.csvDelimiter = delimiter;
    options.original = "Demo_translations.ptf";
    return options;
}

inline std::string Export(exchange::Format format, PtfTable& table,
                          const exchange::ExportOptions& options) {
    std::ostringstream out;
    if (format == exchange::Format::Xliff) {
        exchange::ExportXliff(table, options, out);
    } else {
        exchange::ExportCsv(table, options, out);
    }
    return out.str();
}

inline exchange::ImportPlan Plan(exchange::Format format, const std::string& bytes, PtfTable& table,
                                 exchange::ImportOptions options = {}) {
    return exchange::PlanImportBytes(bytes, format, "in.file", table, options);
}

// Random rows whose texts mix what the formats must escape or keep: quotes, ampersands, "<",
// "]]>", delimiters, blanks at either end, tabs and other control bytes, and every byte from
// 0x80 to 0xFF (but the five that Windows-1252 leaves undefined, which no import writes, only
// in the other columns); values are null or empty at times, and names and properties repeat.
inline std::vector<Row> RandomRows(unsigned seed, int count) {
    std::mt19937 random(seed);
    const std::vector<std::string> pieces = {"a",    "Text", " ",    "\"",   "\"\"", "&",  "&amp;",
                                             "<",    ">",    "]]>",  ",",    ";",    "\t", "\x01",
                                             "\x1F", "\x7F", "\\",   "'",    "#",    "#1", "\xC4",
                                             "\x80", "\x81", "\x9D", "\xFF", "=1+2"};
    auto text = [&](int most) {
        std::string t;
        const int n = static_cast<int>(random() % static_cast<unsigned>(most + 1));
        for (int i = 0; i < n; ++i) {
            if (random() % 4 == 0) {
                t += static_cast<char>(0x80 + random() % 0x80);
            } else {
                t += pieces[random() % pieces.size()];
            }
        }
        return t;
    };
    auto defined = [](std::optional<std::string> value) {
        if (value) {
            std::erase_if(*value, [](char c) {
                return std::string_view("\x81\x8D\x8F\x90\x9D").find(c) != std::string_view::npos;
            });
        }
        return value;
    };
    auto value = [&](int most) -> std::optional<std::string> {
        switch (random() % 6) {
            case 0:
                return std::nullopt;
            case 1:
                return std::string();
            default:
                return text(most);
        }
    };
    // Rows alike in all but their target are told apart by their position only, which an
    // order by the target changes; they do not occur here.
    std::set<std::string> seen;
    std::vector<Row> rows;
    for (int i = 0; i < count; ++i) {
        Row row;
        row.type = text(2);
        row.property = random() % 3 == 0 ? "frm.Caption" : text(4);
        row.stringName = random() % 3 == 0 ? "sSame" : text(2);
        row.language1 = value(6);
        row.language2 = defined(value(6));
        if (!seen.insert(row.type + '\0' + row.property + '\0' + row.stringName + '\0' +
                         row.language1.value_or(""))
                 .second) {
            row.type += std::to_string(i);
        }
        rows.push_back(row);
    }
    // every high byte at least once
    std::string high;
    for (int b = 0x80; b <= 0xFF; ++b) {
        high += static_cast<char>(b);
    }
    rows.push_back({"Label", "frm.lbHigh.Caption", "sHigh", high, defined(high)});
    return rows;
}

}  // namespace parlix::testing
