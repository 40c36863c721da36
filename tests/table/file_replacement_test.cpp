#include "table/file_replacement.h"

#include <gtest/gtest.h>

#include <string>

#include "table/replacement_cases.h"
#include "table/temporary_files.h"
#include "test_support.h"

namespace parlix {
namespace {

using testing::ReplacementCase;

// Every way a replacement ends where the system lets it (the refusals of a read-only file, a
// read-only folder and a full disk are in limits_posix_test and file_replacement_windows_test).
TEST(FileReplacement, EndsAsWrittenUnchangedDeclinedOrFailsAtOneStep) {
    const std::string long1 = std::string(3 << 20, 'x') + "end";
    const std::string long2 = std::string(3 << 20, 'x') + "END";
    const ReplacementCase cases[] = {
        {"a new file", {}, "new", 2, Replacement::Written, {{"T", "new"}}},
        {"an old file is kept as backup 1",
         {{"T", "first"}, {"1", "older"}},
         "second",
         2,
         Replacement::Written,
         {{"T", "second"}, {"1", "first"}, {"2", "older"}}},
        {"equal bytes write nothing and keep every backup",
         {{"T", "same"}, {"1", "older"}},
         "same",
         2,
         Replacement::Unchanged,
         {{"T", "same"}, {"1", "older"}}},
        {"a long file that differs at its end",
         {{"T", long1}},
         long2,
         1,
         Replacement::Written,
         {{"T", long2}, {"1", long1}}},
        {"a file that grows",
         {{"T", long1}},
         long1 + "+",
         0,
         Replacement::Written,
         {{"T", long1 + "+"}}},
        {"a file that shrinks", {{"T", long1}}, "short", 0, Replacement::Written, {{"T", "short"}}},
        {"a folder in the target's place",
         {{"T", "<dir>"}},
         "new",
         2,
         {},
         {{"T", "<dir>"}},
         WriteStep::Target},
        {"a missing folder",
         {},
         "new",
         2,
         {},
         {},
         WriteStep::Temporary,
         nullptr,
         {},
         "missing/uTexte.pas"},
        {"a failed backup and the answer No",
         {{"T", "old"}, {"1", "<dir>"}},
         "new",
         1,
         Replacement::Declined,
         {{"T", "old"}, {"1", "<dir>"}},
         WriteStep::Target,
         nullptr,
         false},
        {"a failed backup and the answer Yes",
         {{"T", "old"}, {"1", "<dir>"}},
         "new",
         1,
         Replacement::Written,
         {{"T", "new"}, {"1", "<dir>"}},
         WriteStep::Target,
         nullptr,
         true},
    };
    for (const ReplacementCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(testing::RunInFreshFolder(c, testing::CheckReplacement), "");
    }
}

// The end of the process removes the temporary file of a write in progress while the write
// still holds it open (Windows allows that only to a file opened for it).
TEST(TemporaryFile, TheCleanupAtTheEndRemovesItWhileItIsOpen) {
    testing::TempDir dir;
    TemporaryFile temporary(dir.File("uTexte.pas"));
    ASSERT_TRUE(temporary.OpenFile());
    ASSERT_TRUE(temporary.OpenFile().Write("partial", 7));
    EXPECT_EQ(testing::Names(dir.Path()).size(), 1u);
    RemoveTemporaryFilesInProgress();
    EXPECT_TRUE(temporary.TakeFile().Close());
    temporary.Release();  // so that only the cleanup can have removed it
    EXPECT_TRUE(testing::Names(dir.Path()).empty());
}

}  // namespace
}  // namespace parlix
