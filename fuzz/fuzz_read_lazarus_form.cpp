// Any bytes as a Lazarus text form (.lfm): read or refused, never a crash, a leak or a hang
// (see form_fuzzing.h); and the same bytes as the Pascal unit beside a form.
#include "forms/pascal_unit.h"
#include "fuzz/form_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    parlix::fuzzing::FuzzFormReader(data, size, parlix::forms::ReadLazarusForm);
    parlix::forms::ReadUnitDeclarations(
        std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
