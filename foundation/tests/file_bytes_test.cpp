#include "foundation/file_bytes.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(FileBytes, ReadsWholeFilesAndSaysWhyItCannot) {
    testsupport::ScratchDir dir;
    testsupport::writeBytes(dir / "a.csv", "date,\x93\xfa\x95\x74\r\n");
    testsupport::writeBytes(dir / "empty.csv", "");

    FileBytes a(dir / "a.csv", 1024);
    EXPECT_EQ(a.error(), FileBytes::Error::None);
    EXPECT_EQ(a.bytes(), "date,\x93\xfa\x95\x74\r\n");

    // No limit at all (the settings files are read so): the whole file, nothing more.
    FileBytes unlimited(dir / "a.csv", std::numeric_limits<std::uintmax_t>::max());
    EXPECT_EQ(unlimited.error(), FileBytes::Error::None);
    EXPECT_EQ(unlimited.bytes(), "date,\x93\xfa\x95\x74\r\n");

    FileBytes empty(dir / "empty.csv", 1024);
    EXPECT_EQ(empty.error(), FileBytes::Error::None);
    EXPECT_TRUE(empty.bytes().empty());

    EXPECT_EQ(FileBytes(dir / "missing.csv", 1024).error(), FileBytes::Error::NotFound);
    EXPECT_EQ(FileBytes(dir.path(), 1024).error(), FileBytes::Error::NotAFile);
    FileBytes large(dir / "a.csv", 4);
    EXPECT_EQ(large.error(), FileBytes::Error::TooLarge);
    EXPECT_TRUE(large.bytes().empty());
}

} // namespace
