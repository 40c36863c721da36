// parlix-build run as a program of its own, as a build script runs it: what only the process
// boundary does (the command line as the system hands it over, standard output byte for byte,
// the exit status) shows only so. One implementation per system (run_executable_*.cpp).
#pragma once

#include <string>
#include <vector>

namespace parlix::testing {

struct ExecutableResult {
    int status;  // the exit status; -1 when the program did not end by itself
    std::string out;
    std::string err;
};

// Runs the built parlix-build in `folder` with `args` (UTF-8), each handed over as one
// argument, with an empty standard input; what it wrote and its exit status.
ExecutableResult RunExecutable(const std::string& folder, const std::vector<std::string>& args);

// The system's device that takes any bytes: "/dev/null", "NUL".
extern const char* const kNullDevice;

}  // namespace parlix::testing
