// parlix-build run in-process, with what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/parlix_build.h"

namespace parlix::testing {

struct ToolResult {
    int status;
    std::string out;
    std::string err;
};

inline ToolResult RunTool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = build_tool::run(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace parlix::testing
