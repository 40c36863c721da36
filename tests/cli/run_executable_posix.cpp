#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "cli/run_executable.h"
#include "test_support.h"

namespace parlix::testing {

const char* const kNullDevice = "/dev/null";

ExecutableResult RunExecutable(const std::string& folder, const std::vector<std::string>& args) {
    const TempDir streams;
    const std::string out = streams.File("out");
    const std::string err = streams.File("err");
    std::vector<char*> argv{const_cast<char*>(PARLIX_BUILD_EXECUTABLE)};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int outFile = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errFile = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::chdir(folder.c_str()) != 0 || in < 0 || outFile < 0 || errFile < 0 ||
            ::dup2(in, STDIN_FILENO) < 0 || ::dup2(outFile, STDOUT_FILENO) < 0 ||
            ::dup2(errFile, STDERR_FILENO) < 0) {
            ::_exit(127);
        }
        ::execv(PARLIX_BUILD_EXECUTABLE, argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(out), ReadBytes(err)};
}

}  // namespace parlix::testing
