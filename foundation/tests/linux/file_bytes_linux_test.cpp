// Linux files that are no plain disk files.
#include "foundation/file_bytes.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

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
