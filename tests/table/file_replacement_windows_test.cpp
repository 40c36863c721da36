// Windows' own ways to refuse the replacement of a file: the read-only attribute, which holds
// for an administrator too, and another program that holds the file open without letting it
// be deleted. Either is found before a backup moves, and the old file stays.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "table/platform.h"
#include "table/replacement_cases.h"
#include "test_support.h"

namespace parlix {
namespace {

using testing::ReplacementCase;

TEST(FileReplacement, FailsAtTheTargetWhereWindowsRefusesIt) {
    const ReplacementCase cases[] = {
        {"a read-only file is neither backed up nor replaced",
         {{"T", "old"}, {"1", "older"}},
         "new",
         2,
         {},
         {{"T", "old"}, {"1", "older"}},
         WriteStep::Target,
         "T"},
        {"a read-only file that holds the bytes already",
         {{"T", "same"}},
         "same",
         2,
         Replacement::Unchanged,
         {{"T", "same"}},
         WriteStep::Target,
         "T"},
    };
    for (const ReplacementCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(testing::RunInFreshFolder(c, testing::CheckReplacement), "");
    }
}

TEST(FileReplacement, FailsAtTheTargetWhileAnotherProgramHoldsIt) {
    const ReplacementCase held{"a file another program holds open",
                               {{"T", "old"}, {"1", "older"}},
                               "new",
                               2,
                               {},
                               {{"T", "old"}, {"1", "older"}},
                               WriteStep::Target};
    const std::string report = testing::RunInFreshFolder(
        held, [](const ReplacementCase& c, const std::filesystem::path& folder,
                 testing::ChildReport& check) {
            // Open for reading and writing, as an editor holds a file, but not for deleting.
            const std::wstring target = (folder / "uTexte.pas").native();
            const HANDLE handle =
                ::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            check.Expect(handle != INVALID_HANDLE_VALUE, "the file could not be held");
            testing::CheckReplacement(c, folder, check);
            ::CloseHandle(handle);
        });
    EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace parlix
