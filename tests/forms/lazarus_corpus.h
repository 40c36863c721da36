// The real forms that Debian's lazarus-src-2.2 ships: the Lazarus sources' 863 .lfm files,
// for the tests and the benchmark.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace parlix::testing {

inline const std::filesystem::path kLazarusSources = "/usr/lib/lazarus/2.2.6";

// The .lfm files below kLazarusSources, relative to it and sorted. The folders lib/ and units/
// hold copies that the compiled packages (lcl-units-2.2) put beside their units; they are left
// out. Empty when the package is not installed.
inline std::vector<std::string> LazarusForms() {
    std::vector<std::string> forms;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(kLazarusSources, error);
    for (const std::filesystem::recursive_directory_iterator end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& path = it->path();
        if (it->is_directory() && (path.filename() == "lib" || path.filename() == "units")) {
            it.disable_recursion_pending();
        } else if (path.extension() == ".lfm" && it->is_regular_file()) {
            forms.push_back(path.lexically_relative(kLazarusSources).string());
        }
    }
    std::sort(forms.begin(), forms.end());
    return forms;
}

}  // namespace parlix::testing
