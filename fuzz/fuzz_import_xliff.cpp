// Any XLIFF file: the importer never crashes, leaks or hangs; see import_fuzzing.h.
#include "fuzz/import_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    parlix::fuzzing::FuzzImport(data, size, parlix::exchange::Format::Xliff);
    return 0;
}
