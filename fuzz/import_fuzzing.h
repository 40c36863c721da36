// The body of the importers' fuzz targets: any file either fails with a fault and an empty
// plan, or plans changes that, once applied, the same file no longer finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "exchange/exchange.h"
#include "project/project_files.h"

namespace parlix::fuzzing {

// A translation table ordered by its target column, so that applying moves rows, with a
// repeated name and a repeated property; no two rows agree in all but the target.
inline void FillTable(PtfTable& table) {
    DefineTranslationFields(table);
    RenameLanguageFields(table, "Deutsch", "English");
    table.CreateTable();
    const char* rows[][5] = {
        {"Form", "frm.Caption", "sTitle", "Titel", "Title"},
        {"Label", "frm.a.Caption", "", "A", nullptr},
        {"Label", "frm.a.Caption", "", "B", ""},
        {"Label", "frm.b.Caption", "sDup", "C", "See"},
        {"Label", "frm.c.Caption", "sDup", "D", nullptr},
        {"", "", "", "E", "x"},
    };
    for (const auto& row : rows) {
        table.Append();
        for (int column = 0; column < 5; ++column) {
            if (row[column] != nullptr) {
                table.Field(column).SetAsString(row[column]);
            }
        }
        table.Post();
    }
    table.SetIndexFieldNames("English");
}

inline void FuzzImport(const std::uint8_t* data, std::size_t size, exchange::Format format) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    PtfTable table;
    FillTable(table);
    exchange::ImportOptions options;
    options.targetCode = "en";
    options.original = "Demo_translations.ptf";
    const exchange::ImportPlan plan =
        exchange::PlanImportBytes(bytes, format, "fuzz", table, options);
    if (plan.fault) {
        if (!plan.changes.empty() || !plan.unchanged.empty() || !plan.unknown.empty() ||
            !plan.refused.empty() || !plan.heldBack.empty() || plan.fault->message.empty()) {
            std::abort();
        }
        return;
    }
    if (exchange::ApplyImportPlan(plan, table) != static_cast<int>(plan.changes.size())) {
        std::abort();
    }
    const exchange::ImportPlan again =
        exchange::PlanImportBytes(bytes, format, "fuzz", table, options);
    if (again.fault || !again.changes.empty() || again.refused.size() != plan.refused.size()) {
        std::abort();
    }
}

}  // namespace parlix::fuzzing
