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

namespace {

// A seam that only names files, as a test double or another platform's seam would.
class NamingOnly : public TempFileSystem {
public:
    explicit NamingOnly(std::filesystem::path folder) : inner_(folder) {}
    std::optional<std::filesystem::path> GetTempPath() override { return inner_.GetTempPath(); }
    std::optional<std::filesystem::path> GetTempFileName(const std::filesystem::path& folder,
                                                         std::string_view prefix,
                                                         unsigned unique) override {
        return inner_.GetTempFileName(folder, prefix, unique);
    }

private:
    FolderTempFiles inner_;
};

} // namespace

TEST(TempFiles, CreatedFilesComeOpenForWriting) {
    testsupport::ScratchDir dir;
    FolderTempFiles folderTemp(dir.path());
    NamingOnly namingOnly(dir.path());
    for (TempFileSystem* temp :
         {static_cast<TempFileSystem*>(&folderTemp), static_cast<TempFileSystem*>(&namingOnly)}) {
        auto a = temp->CreateTempFile(dir.path(), "3lt5");
        auto b = temp->CreateTempFile(dir.path(), "3lt5");
        ASSERT_TRUE(a && b);
        EXPECT_NE(a->path, b->path);
        EXPECT_EQ(a->path.parent_path(), dir.path());
        EXPECT_EQ(a->path.filename().string().substr(0, 3), "3lt");
        EXPECT_EQ(a->path.extension(), ".TMP");
        a->file.WriteAllAndClose(a->path, "abc");
        b->file.Close();
        EXPECT_EQ(testsupport::readBytes(a->path), "abc");
        EXPECT_EQ(std::filesystem::file_size(b->path), 0u);
        EXPECT_FALSE(temp->CreateTempFile(dir / "missing", "3lt5"));
    }
}
