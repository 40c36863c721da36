// What parlix-build leaves on disk when its output is a FIFO or a device and when a signal ends
// it (POSIX only: FIFOs, device nodes, signals, rlimits).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string_view>

#include "cli/build_files.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::Golden;
using testing::Names;
using testing::ProjectSettings;
using testing::ReadBytes;
using testing::SameUnit;
using testing::TempDir;
using testing::WriteProjectFiles;

class ParlixBuildFilesPosixTest : public testing::BuildFilesTest {};

TEST_F(ParlixBuildFilesPosixTest, AnOutputThatIsNoRegularFileIsWrittenThrough) {
    struct Case {
        const char* name;
        mode_t kind;
    };
    for (const Case& c : {Case{"fifo", S_IFIFO}, Case{"null device", S_IFCHR}}) {
        SCOPED_TRACE(c.name);
        const std::string target = dir_.File(c.name);
        if (c.kind == S_IFIFO) {
            ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
        } else if (::mknod(target.c_str(), S_IFCHR | 0600, ::makedev(1, 3)) != 0) {
            continue;  // only root makes device nodes, and only root could replace one
        }
        // The open read end lets the tool open the FIFO; the small unit fits its buffer.
        const int reader = ::open(target.c_str(), O_RDONLY | O_NONBLOCK);
        EXPECT_EQ(Run({"--define", "2", "--output", target, project_}), build_tool::kSuccess);
        std::string received;
        char buffer[65536];
        for (ssize_t got; reader >= 0 && (got = ::read(reader, buffer, sizeof buffer)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(reader);
        struct stat info {};
        ASSERT_EQ(::lstat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & S_IFMT, c.kind) << "the target is still what it was";
        if (c.kind == S_IFIFO) {
            EXPECT_TRUE(SameUnit(received, Golden("worked_example.pas")));
        }
        EXPECT_EQ(Names(dir_.Path()), (std::vector<std::string>{"app", c.name}))
            << "no backup and no temporary file";
        fs::remove(target);
    }
}

// --- Signals, with the built executable -----------------------------------------------------

// Starts parlix-build on `project` with the signals' default actions and, when `fileSizeLimit`
// is not 0, a limit on the size of the files it writes.
pid_t StartExecutable(const std::string& project, rlim_t fileSizeLimit) {
    const pid_t child = ::fork();
    if (child == 0) {
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) {
            ::signal(signal, SIG_DFL);
        }
        if (fileSizeLimit != 0) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDERR_FILENO);
        ::execl(PARLIX_BUILD_EXECUTABLE, PARLIX_BUILD_EXECUTABLE, project.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

// Runs parlix-build on `project` until `signal` ends it, and returns the wait status.
// SIGXFSZ comes from a file size limit that the unit exceeds; the others are sent as soon as
// the unit's temporary file appears in `folder`.
int RunUntilSignalled(const fs::path& folder, const std::string& project, int signal) {
    int status = 0;
    if (signal == SIGXFSZ) {
        ::waitpid(StartExecutable(project, 4096), &status, 0);
        return status;
    }
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ::inotify_add_watch(watch, folder.c_str(), IN_CREATE);
    const pid_t child = StartExecutable(project, 0);
    alignas(inotify_event) char events[4096];
    for (bool seen = false; !seen;) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 30000) != 1) {
            break;  // the tool never started writing: it is ended below all the same
        }
        const ssize_t got = ::read(watch, events, sizeof events);
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            seen = seen || (event->len > 0 &&
                            std::string_view(event->name).starts_with(".uTexte.pas.tmp-"));
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::kill(child, signal);
    ::close(watch);
    ::waitpid(child, &status, 0);
    return status;
}

TEST_F(ParlixBuildFilesPosixTest, ASignalThatEndsTheBuildTakesTheTemporaryFileAlong) {
    // A table large enough that writing its unit takes far longer than sending a signal.
    std::vector<testing::Row> rows;
    for (int i = 0; i < 200000; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back({"TLabel", "frmMain.lbl" + n + ".Caption", "sText" + n,
                        "Beschriftung Nummer " + n, "Caption number " + n});
    }
    WriteProjectFiles(project_, ProjectSettings{}, rows);
    const std::vector<std::string> before = Names(app_);
    for (int signal : {SIGXFSZ, SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        const int status = RunUntilSignalled(app_, project_, signal);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
        EXPECT_EQ(Names(app_), before) << "no temporary file, no backup";
        EXPECT_EQ(ReadBytes(unit_), "old unit");
    }
}

}  // namespace
}  // namespace parlix
