// Test bodies in a child process limited as a case needs: as an unprivileged user, with a small
// disk. POSIX only (fork, namespaces, rlimits): the tests that include it are left out of the
// Windows build (tests/CMakeLists.txt).
#pragma once

#include <grp.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "test_support.h"

namespace parlix::testing {

// How a child process of RunInChild is limited.
struct ChildLimits {
    // Runs as the user nobody when the tests run as root, who may write read-only files and
    // folders: so read-only cases hold whoever runs them.
    bool unprivileged = false;
    // A small disk for the child's folder: a tmpfs of this size where the machine lets a child
    // mount one, else (after the setup) a limit of half this size on each file the child
    // writes (ulimit -f). Either way a write of more than half of it fails.
    std::uint64_t diskBytes = 0;
};

using ChildSetup = std::function<void(const std::filesystem::path& folder)>;
using ChildBody = std::function<void(const std::filesystem::path& folder, ChildReport& report)>;

// Runs `setup` and then `body` in a child process limited as asked, in a fresh folder of its
// own (gone afterwards), and returns what the body reported; "" when everything held. A
// crash or a hang of 30 seconds is reported too.
inline std::string RunInChild(const ChildLimits& limits, const ChildSetup& setup,
                              const ChildBody& body) {
    const TempDir parent;
    const std::string folder = parent.File("child");
    std::filesystem::create_directory(folder);
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(30);
        ChildReport report;
        const bool root = ::geteuid() == 0;
        bool sizeLimited = false;
        if (limits.diskBytes != 0) {
            // A mount of our own needs a mount namespace: root has one for the asking, others
            // through a user namespace (where the machine allows it).
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            bool separate = ::unshare(CLONE_NEWNS) == 0;
            if (!separate && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0) {
                std::ofstream("/proc/self/setgroups") << "deny";
                std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
                std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
                separate = true;
            }
            const std::string size = "size=" + std::to_string(limits.diskBytes) + ",mode=0777";
            const bool mounted =
                separate && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                ::mount("parlix-test", folder.c_str(), "tmpfs", 0, size.c_str()) == 0;
            sizeLimited = !mounted;
        }
        if (limits.unprivileged && root) {
            // The way to the folder must be open to nobody too.
            const uid_t nobody = 65534;
            if (::chmod(parent.Path().c_str(), 0755) != 0 ||
                ::chown(folder.c_str(), nobody, nobody) != 0 || ::setgroups(0, nullptr) != 0 ||
                ::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
                ::_exit(4);
            }
        }
        if (setup) {
            setup(folder);
        }
        if (sizeLimited) {
            ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
            const rlimit limit{limits.diskBytes / 2, limits.diskBytes / 2};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        body(folder, report);
        const std::string& text = report.Text();
        [[maybe_unused]] const ssize_t written = ::write(channel[1], text.data(), text.size());
        ::close(channel[1]);
        ::_exit(0);  // the mount, if any, goes with the child's namespace
    }
    ::close(channel[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        text += "the child process ended with status " + std::to_string(status) + "\n";
    }
    // The files are the child's (perhaps read-only, perhaps nobody's): the parent removes them.
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    return text;
}

}  // namespace parlix::testing
