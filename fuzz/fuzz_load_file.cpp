// Any file: the reader never crashes, leaks or hangs, and whatever it accepts it writes back
// in a form that reads back to the same file. The bytes go to the reader as they are, without
// a file in between.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "table/errors.h"
#include "table/ptf_format.h"

namespace {

void Define(parlix::PtfTable& table) {
    using parlix::FieldType;
    table.FieldDefs().Add("Text", FieldType::ftString, 4);
    table.FieldDefs().Add("Int", FieldType::ftInteger);
    table.FieldDefs().Add("Small", FieldType::ftSmallint);
    table.FieldDefs().Add("Flag", FieldType::ftBoolean);
    table.FieldDefs().Add("Real", FieldType::ftFloat);
    table.FieldDefs().Add("Auto", FieldType::ftAutoInc);
    table.FieldDefs().Add("Word", FieldType::ftWord);
    table.FieldDefs().Add("More", FieldType::ftString, 1);
    table.SetIndexFieldNames("Text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    parlix::PtfTable table;
    Define(table);
    try {
        parlix::LoadPtf(std::string_view(reinterpret_cast<const char*>(data), size), table);
    } catch (const parlix::FaultError&) {
        return 0;
    }
    const std::string first = parlix::EncodePtfTable(table, '"');

    parlix::PtfTable reread;
    Define(reread);
    try {
        parlix::LoadPtf(first, reread);
    } catch (const parlix::FaultError&) {
        std::abort();  // what the writer makes always reads back
    }
    if (parlix::EncodePtfTable(reread, '"') != first) {
        std::abort();
    }
    return 0;
}
