// Committing and discarding pending pairs, and the dry run's report.
#include "gridmover/core/dry_run.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/pending_files.h"
#include "gridmover/core/unified_diff.h"

#include "foundation/cp932.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace gridmover;
using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;
namespace fs = std::filesystem;

namespace {

class Pending : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(dir / "tmp");
        writeBytes(dir / "A.bas", "Attribute VB_Name = \"A\"\r\nDim a As MSDBGrid.Column\r\n");
        writeBytes(dir / "B.bas", "Attribute VB_Name = \"B\"\r\nDim b As MSDBGrid.Split\r\n");
        fs::permissions(dir / "B.bas",
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    }
    std::size_t filesIn(const fs::path& p) const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(p), fs::directory_iterator()));
    }
    ScratchDir dir;
    FolderTempFiles temp{dir / "tmp"};
    modConvert conv{&temp};
};

} // namespace

TEST_F(Pending, CommitReplacesEveryOriginalAndKeepsItsPermissions) {
    ASSERT_EQ(conv.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "B.bas", 1, 12), 1);
    auto result = CommitPendingFiles(conv);
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_NE(readBytes(dir / "A.bas").find("As Lumatab80.Column"), std::string::npos);
    EXPECT_NE(readBytes(dir / "B.bas").find("As Lumatab80.Split"), std::string::npos);
    EXPECT_EQ(fs::status(dir / "B.bas").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(conv.TempFiles.empty());
    EXPECT_TRUE(conv.OriginalFiles.empty());
    EXPECT_EQ(filesIn(dir / "tmp"), 0u);
    EXPECT_EQ(filesIn(dir.path()), 3u); // A.bas, B.bas, tmp: no staging file left
}

TEST_F(Pending, AFailedCommitChangesNoOriginal) {
    fs::create_directory(dir / "sub");
    writeBytes(dir / "sub/C.bas", "Attribute VB_Name = \"C\"\r\nDim c As MSDBGrid.Column\r\n");
    ASSERT_EQ(conv.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "sub/C.bas", 1, 12), 1);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "B.bas", 1, 12), 1);
    // The second original's folder disappears between conversion and commit.
    fs::remove_all(dir / "sub");
    auto result = CommitPendingFiles(conv);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedFile, dir / "sub/C.bas");
    EXPECT_EQ(readBytes(dir / "A.bas"),
              "Attribute VB_Name = \"A\"\r\nDim a As MSDBGrid.Column\r\n");
    EXPECT_EQ(readBytes(dir / "B.bas"), "Attribute VB_Name = \"B\"\r\nDim b As MSDBGrid.Split\r\n");
    EXPECT_EQ(filesIn(dir / "tmp"), 0u);
    EXPECT_EQ(filesIn(dir.path()), 3u);
}

TEST_F(Pending, ASwapThatFailsHalfWayIsRolledBack) {
    writeBytes(dir / "C.bas", "Attribute VB_Name = \"C\"\r\nDim c As MSDBGrid.Column\r\n");
    ASSERT_EQ(conv.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "C.bas", 1, 12), 1);
    // The name that would keep C.bas's old content is taken by a folder that cannot go.
    fs::create_directories(dir / "C.bas.gmold/x");
    auto result = CommitPendingFiles(conv);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.failedFile, dir / "C.bas");
    EXPECT_EQ(readBytes(dir / "A.bas"),
              "Attribute VB_Name = \"A\"\r\nDim a As MSDBGrid.Column\r\n");
    EXPECT_EQ(readBytes(dir / "C.bas"),
              "Attribute VB_Name = \"C\"\r\nDim c As MSDBGrid.Column\r\n");
    EXPECT_FALSE(fs::exists(dir / "A.bas.gmold"));
    EXPECT_EQ(filesIn(dir / "tmp"), 0u);
}

TEST_F(Pending, ATemporaryFolderOnAnotherFileSystemIsCopiedFrom) {
    FileStatus a, b;
    if (SystemCommitIo().Stat("/dev/shm", a) != 0 || SystemCommitIo().Stat(dir.path(), b) != 0 ||
        a.device == b.device) {
        GTEST_SKIP() << "no second file system for temporary files here";
    }
    fs::path other = fs::path("/dev/shm") / dir.path().filename();
    fs::create_directory(other);
    FolderTempFiles elsewhere(other);
    modConvert c2(&elsewhere);
    ASSERT_EQ(c2.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
    ASSERT_TRUE(CommitPendingFiles(c2).ok);
    EXPECT_NE(readBytes(dir / "A.bas").find("Lumatab80"), std::string::npos);
    EXPECT_EQ(filesIn(other), 0u);
    EXPECT_EQ(filesIn(dir.path()), 3u);
    fs::remove(other);
}

TEST_F(Pending, DryRunShowsDiffsAndPatchesThenDiscardLeavesNothing) {
    LoadGridVersions();
    writeBytes(dir / "C.bas",
               cp932::fromUtf8("Attribute VB_Name = \"C\"\r\n' 明細\r\nPrivate x As Integer\r\n"));
    ASSERT_EQ(conv.ConvertCodeFile(dir / "A.bas", 1, 12), 1);
    ASSERT_EQ(conv.ConvertCodeFile(dir / "C.bas", 1, 12), 0);
    auto changes = DescribePendingChanges(conv);
    ASSERT_EQ(changes.textFiles.size(), 1u);
    EXPECT_EQ(changes.textFiles[0].file, dir / "A.bas");
    const std::string a = (dir / "A.bas").string();
    EXPECT_EQ(changes.textFiles[0].diff, "--- " + a + "\n+++ " + a +
                                             " (converted)\n"
                                             "@@ -1,2 +1,4 @@\n"
                                             " Attribute VB_Name = \"A\"\n"
                                             "-Dim a As MSDBGrid.Column\n"
                                             "+'*** Orvel Migration Utility Code Change ***\n"
                                             "+'Dim a As MSDBGrid.Column\n"
                                             "+Dim a As Lumatab80.Column\n");
    DiscardPendingFiles(conv);
    EXPECT_EQ(filesIn(dir / "tmp"), 0u);
    EXPECT_EQ(readBytes(dir / "A.bas"),
              "Attribute VB_Name = \"A\"\r\nDim a As MSDBGrid.Column\r\n");
}

TEST(UnifiedDiff, HunksContextAndJapaneseText) {
    std::string before, after;
    for (int i = 1; i <= 20; ++i) {
        std::string l = "line " + std::to_string(i) + "\r\n";
        before += l;
        after += (i == 3 ? cp932::fromUtf8("行 3") + "\r\n" : i == 18 ? std::string() : l);
    }
    EXPECT_EQ(UnifiedDiff(before, after, "a", "b"), "--- a\n+++ b\n"
                                                    "@@ -1,6 +1,6 @@\n"
                                                    " line 1\n line 2\n-line 3\n+行 3\n"
                                                    " line 4\n line 5\n line 6\n"
                                                    "@@ -15,6 +15,5 @@\n"
                                                    " line 15\n line 16\n line 17\n-line 18\n"
                                                    " line 19\n line 20\n");
    EXPECT_EQ(UnifiedDiff(before, before, "a", "b"), "");
    EXPECT_EQ(UnifiedDiff("x\ny\n", "x\r\ny\r\n", "a", "b"),
              "--- a\n+++ b\n(only the line ends differ)\n");
    EXPECT_EQ(UnifiedDiff("", "new\r\n", "a", "b"), "--- a\n+++ b\n@@ -0,0 +1,1 @@\n+new\n");
    EXPECT_EQ(DisplayLine("ok \x81\xFF" + cp932::fromUtf8("表")), "ok \\x81\\xFF表");
}
