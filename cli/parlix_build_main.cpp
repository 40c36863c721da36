// The command-line build tool; everything but the process boundary is in parlix_build.cpp.
#include <signal.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/parlix_build.h"
#include "table/temporary_files.h"

namespace {

// A signal that ends the process while a unit or a backup is being written would leave the
// temporary file behind: remove it, then end as the signal would have (the handler is reset
// on entry, so the signal raised again takes its default action once the handler returns).
extern "C" void RemoveTemporariesAndEnd(int signal) {
    parlix::RemoveTemporaryFilesInProgress();
    ::raise(signal);
}

void RemoveTemporariesOnSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        if (current.sa_handler == SIG_IGN) {
            continue;  // ignored by whoever started the tool (nohup, a background job)
        }
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndEnd;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RemoveTemporariesOnSignals();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = parlix::build_tool::run(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
