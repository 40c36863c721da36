// The replacement and the rotation where the system refuses: a read-only file or folder (as an
// unprivileged user, since root may write them) and a full disk (a small tmpfs), each in a
// child process limited so.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "child_process.h"
#include "table/replacement_cases.h"

namespace parlix {
namespace {

namespace fs = std::filesystem;
using testing::ChildLimits;
using testing::ChildReport;
using testing::ReplacementCase;
using testing::RotationCase;

// Runs a case in a child process limited by `limits`; "" when everything held.
template <typename Case, typename Check>
std::string RunLimited(const ChildLimits& limits, const Case& c, Check check) {
    return testing::RunInChild(
        limits, [&](const fs::path& folder) { testing::Plant(folder, c.before, c.readOnly); },
        [&](const fs::path& folder, ChildReport& report) { check(c, folder, report); });
}

TEST(FileReplacement, FailsAtOneStepWhereTheSystemRefuses) {
    const std::string large(100 << 10, 'b');  // more than the small disk takes
    const std::pair<ChildLimits, ReplacementCase> cases[] = {
        {{.unprivileged = true},
         {"a read-only file is neither backed up nor replaced",
          {{"T", "old"}, {"1", "older"}},
          "new",
          2,
          {},
          {{"T", "old"}, {"1", "older"}},
          WriteStep::Target,
          "T"}},
        {{.unprivileged = true},
         {"a read-only file that holds the bytes already",
          {{"T", "same"}},
          "same",
          2,
          Replacement::Unchanged,
          {{"T", "same"}},
          WriteStep::Target,
          "T"}},
        {{.unprivileged = true},
         {"a read-only folder",
          {{"T", "old"}, {"1", "older"}},
          "new",
          2,
          {},
          {{"T", "old"}, {"1", "older"}},
          WriteStep::Temporary,
          "."}},
        {{.diskBytes = 128 << 10},
         {"a full disk",
          {{"T", "old"}, {"1", "older"}},
          std::string(200 << 10, 'n'),
          2,
          {},
          {{"T", "old"}, {"1", "older"}},
          WriteStep::Write}},
        {{.diskBytes = 128 << 10},
         {"a disk too full for backup 2 keeps backup 1",
          {{"T", "old"}, {"1", large}, {"2", "older"}},
          "new",
          3,
          Replacement::Declined,
          {{"T", "old"}, {"1", large}, {"2", "older"}, {"3", "older"}},
          WriteStep::Target,
          nullptr,
          false}},
    };
    for (const auto& [limits, c] : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RunLimited(limits, c, testing::CheckReplacement), "");
    }
}

TEST(RotateBackups, KeepsEveryBackupWhereTheSystemRefuses) {
    const std::string large(100 << 10, 'b');  // too large for the limited disk's room
    const std::pair<ChildLimits, RotationCase> cases[] = {
        {{.unprivileged = true},
         {"a read-only backup 2 stops before backup 1 is replaced",
          {{"T", "now"}, {"1", "before"}, {"2", "older"}},
          3,
          true,
          {{"T", "now"}, {"1", "before"}, {"2", "older"}, {"3", "older"}},
          "2"}},
        {{.diskBytes = 128 << 10},
         {"a full disk stops before backup 1 is replaced",
          {{"T", "now"}, {"1", large}, {"2", "older"}},
          3,
          true,
          {{"T", "now"}, {"1", large}, {"2", "older"}, {"3", "older"}}}},
    };
    for (const auto& [limits, c] : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RunLimited(limits, c, testing::CheckRotation), "");
    }
}

}  // namespace
}  // namespace parlix
