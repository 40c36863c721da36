#include "table/backups.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>

#include "test_support.h"

namespace parlix {
namespace {

using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class RotateBackupsTest : public ::testing::Test {
  protected:
    std::string X() const { return dir_.File("Demo.ppr"); }
    std::string Bak(int n) const { return X() + ".bak" + std::to_string(n); }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

    TempDir dir_;
};

TEST_F(RotateBackupsTest, ShiftsACompleteSeriesDownByOne) {
    WriteBytes(X(), "now");
    WriteBytes(Bak(1), "before");
    WriteBytes(Bak(2), "older");
    EXPECT_TRUE(RotateBackups(X(), 3, ".bak"));
    EXPECT_EQ(ReadBytes(X()), "now") << "the file itself is copied, never moved";
    EXPECT_EQ(ReadBytes(Bak(1)), "now");
    EXPECT_EQ(ReadBytes(Bak(2)), "before");
    EXPECT_EQ(ReadBytes(Bak(3)), "older");
}

TEST_F(RotateBackupsTest, SkipsGapsWithoutFailing) {
    WriteBytes(X(), "now");
    WriteBytes(Bak(2), "older");
    EXPECT_TRUE(RotateBackups(X(), 3, ".bak"));
    EXPECT_EQ(ReadBytes(Bak(3)), "older");
    EXPECT_EQ(ReadBytes(Bak(2)), "older");
    EXPECT_EQ(ReadBytes(Bak(1)), "now");
}

TEST_F(RotateBackupsTest, DoesNothingForAMissingFileOrACountBelowOne) {
    EXPECT_TRUE(RotateBackups(X(), 3, ".bak"));
    EXPECT_FALSE(Exists(Bak(1)));
    WriteBytes(X(), "now");
    EXPECT_TRUE(RotateBackups(X(), 0, ".bak"));
    EXPECT_TRUE(RotateBackups(X(), -4, ".bak"));
    EXPECT_FALSE(Exists(Bak(1)));
}

TEST_F(RotateBackupsTest, LeavesCopiesAboveTheCountAlone) {
    WriteBytes(X(), "now");
    WriteBytes(Bak(5), "ancient");
    EXPECT_TRUE(RotateBackups(X(), 2, ".bak"));
    EXPECT_EQ(ReadBytes(Bak(5)), "ancient");
    EXPECT_FALSE(Exists(Bak(3)));
}

TEST_F(RotateBackupsTest, AFailedCopyReportsFalseButTheOthersAreStillMade) {
    WriteBytes(X(), "now");
    WriteBytes(Bak(1), "before");
    WriteBytes(Bak(2), "older");
    std::filesystem::create_directory(Bak(3));  // no file can be copied over a folder
    EXPECT_FALSE(RotateBackups(X(), 3, ".bak"));
    EXPECT_EQ(ReadBytes(Bak(2)), "before");
    EXPECT_EQ(ReadBytes(Bak(1)), "now");
}

TEST_F(RotateBackupsTest, AFolderUnderTheSourceNameCountsAsMissing) {
    std::filesystem::create_directory(Bak(1));
    WriteBytes(X(), "now");
    EXPECT_FALSE(RotateBackups(X(), 2, ".bak")) << "bak1 cannot be replaced by the file";
    EXPECT_FALSE(Exists(Bak(2))) << "a folder is not copied as a backup";
}

// Runs `body` in a child process, which may limit itself without harm to the tests, and
// returns its exit status; -1 when it did not end normally within `seconds`.
int InChildProcess(const std::function<int()>& body, unsigned seconds) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(seconds);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(RotateBackupsTest, ACopyCutShortLeavesThatBackupAsItWas) {
    const std::string large(8000, 'n');  // above the child's file size limit
    WriteBytes(X(), large);
    WriteBytes(Bak(1), std::string(6000, 'b'));
    WriteBytes(Bak(2), "older");
    const int status = InChildProcess(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return RotateBackups(X(), 3, ".bak") ? 0 : 1;
        },
        20);
    EXPECT_EQ(status, 1) << "the failed copies are reported";
    EXPECT_EQ(ReadBytes(Bak(3)), "older") << "the copy that fits is still made";
    EXPECT_EQ(ReadBytes(Bak(2)), "older");
    EXPECT_TRUE(ReadBytes(Bak(1)) == std::string(6000, 'b')) << ReadBytes(Bak(1)).size();
    EXPECT_TRUE(ReadBytes(X()) == large);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 4) << "no partial copy is left beside the backups";
}

TEST_F(RotateBackupsTest, AHugeCountRotatesWhatExistsAtOnce) {
    WriteBytes(X(), "now");
    WriteBytes(Bak(1), "before");
    WriteBytes(Bak(2), "older");
    WriteBytes(Bak(4), "gap");  // copied to 5; 3 is missing, so nothing goes to 4
    WriteBytes(X() + ".bak07", "not a backup number");
    const int status =
        InChildProcess([&] { return RotateBackups(X(), INT32_MAX, ".bak") ? 0 : 1; }, 20);
    ASSERT_EQ(status, 0) << "one existence test per number would take hours";
    EXPECT_EQ(ReadBytes(Bak(1)), "now");
    EXPECT_EQ(ReadBytes(Bak(2)), "before");
    EXPECT_EQ(ReadBytes(Bak(3)), "older");
    EXPECT_EQ(ReadBytes(Bak(4)), "gap");
    EXPECT_EQ(ReadBytes(Bak(5)), "gap");
    EXPECT_FALSE(Exists(Bak(6)));
    EXPECT_FALSE(Exists(Bak(8)));
}

std::vector<std::string> Split(std::string_view text, int* count = nullptr) {
    std::vector<std::string> pieces;
    int n = SplitAtChar(text, pieces, ',');
    if (count != nullptr) {
        *count = n;
    }
    return pieces;
}

TEST(SplitAtChar, KeepsEmptyPiecesExceptAtTheEnd) {
    int count = 0;
    EXPECT_THAT(Split("a,b,c", &count), ElementsAre("a", "b", "c"));
    EXPECT_EQ(count, 3);
    EXPECT_THAT(Split("a,,b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(Split(",a"), ElementsAre("", "a"));
    EXPECT_THAT(Split("a,"), ElementsAre("a"));
    EXPECT_THAT(Split(","), ElementsAre(""));
    EXPECT_THAT(Split("abc"), ElementsAre("abc"));
    EXPECT_THAT(Split("", &count), ElementsAre());
    EXPECT_EQ(count, 0);
    EXPECT_THAT(Split(" a , b "), ElementsAre(" a ", " b "));
}

TEST(SplitAtChar, AppendsToWhatTheListHolds) {
    std::vector<std::string> pieces{"kept"};
    EXPECT_EQ(SplitAtChar("x,y", pieces, ','), 2);
    EXPECT_THAT(pieces, ElementsAre("kept", "x", "y"));
}

TEST(SplitAtChar, ViewsGiveTheSamePiecesAsCopies) {
    for (std::string_view text : {"a,b,c", "a,,b", ",a", "a,", ",", "abc", "", " a , b "}) {
        std::vector<std::string_view> views{"kept"};
        const int count = SplitAtChar(text, views, ',');
        int copies = 0;
        const std::vector<std::string> expected = Split(text, &copies);
        EXPECT_EQ(count, copies) << text;
        ASSERT_EQ(views.size(), expected.size() + 1) << text;
        EXPECT_EQ(views[0], "kept");
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(views[i + 1], expected[i]) << text;
        }
    }
}

}  // namespace
}  // namespace parlix
