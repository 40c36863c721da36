// The unit's character set when the file a build replaces is a FIFO (POSIX only).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "generator/unit_encoding.h"
#include "test_support.h"

namespace parlix {
namespace {

// Only a regular file is looked into: a FIFO would keep the build waiting for a writer.
TEST(ResolveUnitEncoding, LooksIntoNoFifo) {
    testing::TempDir dir;
    const std::string fifo = dir.File("uTexte.pas");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ResolveUnitEncoding(UnitEncodingChoice::AsBefore, fifo), UnitEncoding::Windows1252);
}

}  // namespace
}  // namespace parlix
