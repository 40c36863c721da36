// What every command of parlix-build shares: reading the arguments, and turning a failure into
// the one line on standard error.
#pragma once

#include <exception>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace parlix::build_tool {

// Exit statuses.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;  // a file could not be read or written, or the check
                                    // failed (--check, --strict); nothing written
inline constexpr int kWrongUsage = 2;

// A wrong call; the text says what is wrong.
struct UsageError {
    std::string problem;
};

// An option a command knows, and whether it takes a value ("--name=value" or "--name value").
struct OptionSpec {
    std::string_view name;
    bool takesValue = false;
};

// Receives each option of the call in order, with its value ("" for an option without); it
// throws UsageError for a value it does not take or an option given twice.
using OptionSink = std::function<void(std::string_view name, const std::string& value)>;

// A call as given: whether it asks for help, and its one project file.
struct Call {
    bool help = false;
    std::string project;
};

// Reads the arguments: "--" ends the options; "--help" or "-h" asks for help and ends the
// reading; every other argument that starts with "-" (and is more than "-") must be one of
// `known` and goes to `sink`; anything else is the project file. Throws UsageError for an
// unknown option, a missing value, no project file or more than one.
Call ReadCall(const std::vector<std::string>& args, std::span<const OptionSpec> known,
              const OptionSink& sink);

// Writes a failure as "parlix-build: <what went wrong>", naming the file (and the line, where
// there is one) for every fault of the core: the one place where the command line turns a
// failure into its message.
void ReportFailure(std::ostream& err, const std::exception_ptr& failure);

}  // namespace parlix::build_tool
