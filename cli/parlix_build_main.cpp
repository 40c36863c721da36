// The command-line build tool; everything but the process boundary is in parlix_build.cpp.
#include <iostream>
#include <string>
#include <vector>

#include "cli/parlix_build.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = parlix::build_tool::run(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
