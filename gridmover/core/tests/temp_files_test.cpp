#include "gridmover/core/temp_files.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace gridmover;

TEST(TempFiles, NamesFollowThePlatformRule) {
    EXPECT_EQ(TempFileNameFor("0lt5", 0x1A), "0lt001A.TMP");
    EXPECT_EQ(TempFileNameFor("12lt5", 0xBEEF), "12lBEEF.TMP");
    EXPECT_EQ(TempFileNameFor("ab", 0x12345), "ab2345.TMP"); // sixteen bits of the number
}

TEST(TempFiles, UniqueZeroCreatesAFreshEmptyFile) {
    testsupport::ScratchDir dir;
    FolderTempFiles temp(dir.path());
    ASSERT_EQ(temp.GetTempPath(), dir.path());
    std::set<std::filesystem::path> seen;
    for (int i = 0; i < 50; ++i) {
        auto p = temp.GetTempFileName(dir.path(), "0lt5", 0);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->parent_path(), dir.path());
        EXPECT_EQ(p->filename().string().substr(0, 3), "0lt");
        EXPECT_EQ(p->extension(), ".TMP");
        EXPECT_TRUE(std::filesystem::is_regular_file(*p));
        EXPECT_EQ(std::filesystem::file_size(*p), 0u);
        EXPECT_TRUE(seen.insert(*p).second);
    }
    // A given number only forms the name.
    auto named = temp.GetTempFileName(dir.path(), "7lt5", 0x42);
    ASSERT_TRUE(named);
    EXPECT_EQ(named->filename(), "7lt0042.TMP");
    EXPECT_FALSE(std::filesystem::exists(*named));
    // No folder: no file.
    EXPECT_FALSE(temp.GetTempFileName(dir / "missing", "0lt5", 0));
}
