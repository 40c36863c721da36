// Any file: the reader never crashes, leaks or hangs, and whatever it accepts it writes back
// in a form that reads back to the same file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

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

std::string ScratchFile(const char* name) {
    return "/tmp/parlix-fuzz-" + std::to_string(::getpid()) + "-" + name;
}

void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = ScratchFile("in.ptf");
    Write(input, std::string(reinterpret_cast<const char*>(data), size));
    parlix::PtfTable table;
    Define(table);
    const auto quiet = [](const std::string&) {};
    if (!parlix::LoadPtfFile(input, table, quiet)) {
        return 0;
    }
    const std::string first = parlix::EncodePtfTable(table, '"');

    const std::string again = ScratchFile("again.ptf");
    Write(again, first);
    parlix::PtfTable reread;
    Define(reread);
    if (!parlix::LoadPtfFile(again, reread, quiet) ||
        parlix::EncodePtfTable(reread, '"') != first) {
        std::abort();
    }
    return 0;
}
