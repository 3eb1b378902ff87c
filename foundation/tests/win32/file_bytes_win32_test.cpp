// Windows specifics of the file seams: device names are no files, and a replaced file keeps its
// attributes.
#include "foundation/file_bytes.h"
#include "foundation/file_io.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include "foundation/platform/win32/windows_include.h"

namespace {

TEST(Win32Files, DeviceNamesAreNoFiles) {
    // Reading the console or NUL would block or deliver nothing a parser should see.
    EXPECT_NE(FileBytes("NUL", 1024).error(), FileBytes::Error::None);
    EXPECT_NE(FileBytes("CON", 1024).error(), FileBytes::Error::None);
    EXPECT_FALSE(fileio::ReplaceFile("NUL", "x"));
}

TEST(Win32Files, ReplacedFileKeepsItsAttributes) {
    testsupport::ScratchDir dir;
    auto file = dir / "hidden.INI";
    testsupport::writeBytes(file, "old");
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(fileio::ReplaceFile(file, "new"));
    EXPECT_EQ(testsupport::readBytes(file), "new");
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(fileio::IsReadOnlyFile(file));
    EXPECT_FALSE(fileio::ReplaceFile(file, "lost"));
    EXPECT_EQ(testsupport::readBytes(file), "new");
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
