// The tools some tests need besides the product: Free Pascal (fpc, fpcres), the Lazarus
// component library and sources, translate-toolkit, xmllint. Where the test command runs (CI
// is set; scripts/test-all.sh sets it), a missing tool fails the test, so that a lost install
// step cannot pass as a skipped test; elsewhere the test is skipped, for a developer who has
// not installed everything. Every test that needs a tool asks through REQUIRE_TOOL (GoogleTest)
// or QREQUIRE_TOOL (Qt Test), and nowhere else does a test skip.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace parlix::testing {

// Whether a missing tool fails the test instead of skipping it.
inline bool ToolsRequired() {
    return std::getenv("CI") != nullptr;
}

// The path of the program `name` on PATH, or empty.
inline std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

inline std::string MissingToolText(const std::string& what) {
    return what + " is missing; scripts/install-deps.sh installs it";
}

}  // namespace parlix::testing

// Fails (CI) or skips the GoogleTest test when `found` is false; `what` names the tool and its
// package. In a helper function it ends the helper only, as every GoogleTest assertion does.
#define REQUIRE_TOOL(found, what)                                     \
    do {                                                              \
        if (!(found)) {                                               \
            if (::parlix::testing::ToolsRequired()) {                 \
                FAIL() << ::parlix::testing::MissingToolText(what);   \
            }                                                         \
            GTEST_SKIP() << ::parlix::testing::MissingToolText(what); \
        }                                                             \
    } while (false)

// The same in a Qt Test function.
#define QREQUIRE_TOOL(found, what)                                                    \
    do {                                                                              \
        if (!(found)) {                                                               \
            const std::string missingTool = ::parlix::testing::MissingToolText(what); \
            if (::parlix::testing::ToolsRequired()) {                                 \
                QFAIL(missingTool.c_str());                                           \
            }                                                                         \
            QSKIP(missingTool.c_str());                                               \
        }                                                                             \
    } while (false)
