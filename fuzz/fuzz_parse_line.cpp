// Any line: no crash, no hang, and the tokens obey their contract.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "table/ptf_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> tokens;
    const bool accepted = parlix::ParsePtfLine(line, tokens);
    for (const std::string& token : tokens) {
        // Every entry is a tag, "=", then the text; only strings can be longer than the line.
        if (token.size() < 2 || token[1] != '=' || token.size() - 2 > line.size()) {
            std::abort();
        }
        const char tag = token[0];
        if (tag != 's' && tag != 'b' && tag != 'u' && tag != 'n') {
            std::abort();
        }
        if (tag == 'u' && token != "u=null") {
            std::abort();
        }
    }
    (void)accepted;
    return 0;
}
