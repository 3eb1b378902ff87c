// The platform's file operations: what a replaced or appended file holds afterwards, and what is
// refused with the file left as it was.
#include "foundation/file_io.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;

namespace {

std::size_t entriesIn(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(FileIo, ReplaceWritesTheWholeFileAndLeavesNoTemporary) {
    ScratchDir dir;
    fs::path file = dir / "設定.INI";
    ASSERT_TRUE(fileio::ReplaceFile(file, "new\r\n"));
    EXPECT_EQ(readBytes(file), "new\r\n");
    writeBytes(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms before = fs::status(file).permissions(); // what the platform keeps of them
    ASSERT_TRUE(fileio::ReplaceFile(file, "newer"));
    EXPECT_EQ(readBytes(file), "newer");
    EXPECT_EQ(fs::status(file).permissions(), before);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(FileIo, ReplaceRefusesWhatItMustNotReplace) {
    ScratchDir dir;
    fs::path readOnly = dir / "ro.INI";
    writeBytes(readOnly, "keep");
    fs::permissions(readOnly, fs::perms::owner_read);
    EXPECT_TRUE(fileio::IsReadOnlyFile(readOnly));
    EXPECT_FALSE(fileio::ReplaceFile(readOnly, "lost")); // also as root, like Windows
    EXPECT_EQ(readBytes(readOnly), "keep");

    fs::create_directory(dir / "folder");
    EXPECT_FALSE(fileio::ReplaceFile(dir / "folder", "x"));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_FALSE(fileio::ReplaceFile(dir / "missing" / "a.INI", "x"));
    EXPECT_EQ(entriesIn(dir.path()), 2u);
}

TEST(FileIo, CreateNewFileNeverTakesAnExistingName) {
    ScratchDir dir;
    fs::path file = dir / "a.tmp";
    EXPECT_TRUE(fileio::CreateNewFile(file, "first"));
    EXPECT_FALSE(fileio::CreateNewFile(file, "second"));
    EXPECT_EQ(readBytes(file), "first");
    EXPECT_FALSE(fileio::IsReadOnlyFile(file));
    EXPECT_FALSE(fileio::IsReadOnlyFile(dir / "missing"));
}

TEST(FileIo, AppendAddsWholeRecordsAtTheEnd) {
    ScratchDir dir;
    fs::path file = dir / "log";
    fileio::AppendFile one;
    fileio::AppendFile two;
    ASSERT_TRUE(one.Open(file));
    ASSERT_TRUE(two.Open(file));
    EXPECT_TRUE(one.Append("a\r\n"));
    EXPECT_TRUE(two.Append("b\r\n")); // lands after a, not over it
    EXPECT_TRUE(one.Append("c\r\n"));
    one.Close();
    EXPECT_FALSE(one.IsOpen());
    EXPECT_FALSE(one.Append("d\r\n"));
    EXPECT_EQ(readBytes(file), "a\r\nb\r\nc\r\n");
    fileio::AppendFile nowhere;
    EXPECT_FALSE(nowhere.Open(dir / "missing" / "log"));
}

} // namespace
