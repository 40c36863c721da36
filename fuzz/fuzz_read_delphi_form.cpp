// Any bytes as a Delphi text form (.dfm): read or refused, never a crash, a leak or a hang; see
// form_fuzzing.h.
#include "fuzz/form_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    parlix::fuzzing::FuzzFormReader(data, size, parlix::forms::ReadDelphiForm);
    return 0;
}
