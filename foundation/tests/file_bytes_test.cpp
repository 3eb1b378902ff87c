#include "foundation/file_bytes.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(FileBytes, ReadsWholeFilesAndSaysWhyItCannot) {
    testsupport::ScratchDir dir;
    testsupport::writeBytes(dir / "a.csv", "date,\x93\xfa\x95\x74\r\n");
    testsupport::writeBytes(dir / "empty.csv", "");

    FileBytes a(dir / "a.csv", 1024);
    EXPECT_EQ(a.error(), FileBytes::Error::None);
    EXPECT_EQ(a.bytes(), "date,\x93\xfa\x95\x74\r\n");

    FileBytes empty(dir / "empty.csv", 1024);
    EXPECT_EQ(empty.error(), FileBytes::Error::None);
    EXPECT_TRUE(empty.bytes().empty());

    EXPECT_EQ(FileBytes(dir / "missing.csv", 1024).error(), FileBytes::Error::NotFound);
    EXPECT_EQ(FileBytes(dir.path(), 1024).error(), FileBytes::Error::NotAFile);
    FileBytes large(dir / "a.csv", 4);
    EXPECT_EQ(large.error(), FileBytes::Error::TooLarge);
    EXPECT_TRUE(large.bytes().empty());
}

TEST(FileBytes, ReadsKernelMadeFilesOfNoSize) {
    FileBytes in("/proc/self/status", 1 << 20); // regular, but of size 0: read, not mapped
    EXPECT_EQ(in.error(), FileBytes::Error::None);
    EXPECT_NE(in.bytes().find("Name:"), std::string_view::npos);
}

// A FIFO without a writer would block the open for ever, and a device never ends: both must be
// refused at once (the test would hang otherwise), also behind a symbolic link.
TEST(FileBytes, RefusesFifosAndDevicesWithoutWaiting) {
    testsupport::ScratchDir dir;
    const auto fifo = dir / "month.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(FileBytes(fifo, 1024).error(), FileBytes::Error::NotAFile);
    std::filesystem::create_symlink("/dev/zero", dir / "zero.csv");
    EXPECT_EQ(FileBytes(dir / "zero.csv", 1024).error(), FileBytes::Error::NotAFile);
    EXPECT_EQ(FileBytes("/dev/null", 1024).error(), FileBytes::Error::NotAFile);
}

} // namespace
