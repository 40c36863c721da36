#include "table/backups.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "table/replacement_cases.h"
#include "test_support.h"

namespace parlix {
namespace {

using testing::RotationCase;

// Every rotation where the system lets it (a read-only backup and a full disk are in
// limits_posix_test): what is on disk before, the count, whether the rotation fails, and what
// is on disk after.
TEST(RotateBackups, KeepsEveryBackupItCannotMove) {
    const RotationCase cases[] = {
        {"a complete series moves down by one",
         {{"T", "now"}, {"1", "before"}, {"2", "older"}},
         3,
         false,
         {{"T", "now"}, {"1", "now"}, {"2", "before"}, {"3", "older"}}},
        {"a gap is skipped",
         {{"T", "now"}, {"2", "older"}},
         3,
         false,
         {{"T", "now"}, {"1", "now"}, {"2", "older"}, {"3", "older"}}},
        {"no file yet", {}, 3, false, {}},
        {"a count of 0", {{"T", "now"}}, 0, false, {{"T", "now"}}},
        {"a negative count", {{"T", "now"}}, -4, false, {{"T", "now"}}},
        {"copies above the count stay",
         {{"T", "now"}, {"5", "ancient"}},
         2,
         false,
         {{"T", "now"}, {"1", "now"}, {"5", "ancient"}}},
        {"a folder in the way of backup 3 stops before backup 2 is replaced",
         {{"T", "now"}, {"1", "before"}, {"2", "older"}, {"3", "<dir>"}},
         3,
         true,
         {{"T", "now"}, {"1", "before"}, {"2", "older"}, {"3", "<dir>"}}},
        {"a folder under the name of backup 1 is no backup to move",
         {{"T", "now"}, {"1", "<dir>"}},
         2,
         true,
         {{"T", "now"}, {"1", "<dir>"}}},
        {"a huge count rotates what exists at once (one test per number would take hours)",
         {{"T", "now"},
          {"1", "before"},
          {"2", "older"},
          {"4", "gap"},  // copied to 5; 3 is missing, so nothing goes to 4
          {"07", "not a backup number"}},
         INT32_MAX,
         false,
         {{"T", "now"},
          {"1", "now"},
          {"2", "before"},
          {"3", "older"},
          {"4", "gap"},
          {"5", "gap"},
          {"07", "not a backup number"}}},
    };
    for (const RotationCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(testing::RunInFreshFolder(c, testing::CheckRotation), "");
    }
}

}  // namespace
}  // namespace parlix
