// The command-line build tool; everything but the process boundary is in parlix_build.cpp.
#include <iostream>
#include <string>
#include <vector>

#include "cli/parlix_build.h"
#include "table/platform.h"
#include "table/temporary_files.h"

int main(int argc, char** argv) {
    // Ending the tool while a unit or a backup is being written would leave the temporary
    // file behind: it is removed first.
    parlix::platform::CleanUpOnEnding(parlix::RemoveTemporaryFilesInProgress);
    // The unit goes to standard output byte for byte, and the messages end lines as on Linux.
    parlix::platform::UseBinaryStandardStreams();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args = parlix::platform::CommandLineArguments(argc, argv);
    const int status = parlix::build_tool::run(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
