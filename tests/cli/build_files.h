// A project "Demo" with the worked example's texts in the folder app/ of a fresh folder, and an
// old unit beside it: what the tests of parlix-build's files start from.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/parlix_build.h"
#include "generator/build_test_support.h"

namespace parlix::testing {

class BuildFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directory(app_);
        WriteProjectFiles(project_, ProjectSettings{}, WorkedExampleRows());
        WriteBytes(unit_, "old unit");
    }

    int Run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = build_tool::run(args, out, err);
        // The worked example has one warning of the checks; no failure is told.
        EXPECT_EQ(err.str().find("parlix-build: "), std::string::npos) << err.str();
        return status;
    }

    TempDir dir_;
    const std::filesystem::path app_ = dir_.Path() / "app";
    const std::string project_ = dir_.File("app/Demo.ppr");
    const std::string unit_ = dir_.File("app/uTexte.pas");
};

}  // namespace parlix::testing
