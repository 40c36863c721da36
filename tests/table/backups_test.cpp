#include "table/backups.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

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
