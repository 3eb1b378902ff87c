// The data-folder rule with injected platform answers.
#include "foundation/module1.h"

#include <gtest/gtest.h>

namespace {

class FakePlatform : public Platform {
public:
    std::string program;
    bool marker = false;
    std::optional<std::string> windows;
    char sep = '\\';
    std::string programFolder() const override { return program; }
    bool markerFileExists() const override { return marker; }
    std::optional<std::string> windowsFolder() const override { return windows; }
    char separator() const override { return sep; }
};

TEST(DataFolder, TheTwoWindowsExamples) {
    EXPECT_EQ(Module1::DataFolderFor(true, "C:\\WINDOWS", "D:\\APP\\BIN", '\\'),
              "C:\\WINDOWS\\KIRANODAT\\");
    EXPECT_EQ(Module1::DataFolderFor(false, "C:\\WINDOWS", "D:\\APP\\BIN", '\\'),
              "D:\\APP\\BIN\\..\\dat\\");
}

TEST(DataFolder, FromThePlatform) {
    FakePlatform p;
    p.program = "/opt/kira/bin";
    p.windows = "/var/lib";
    p.sep = '/';
    EXPECT_EQ(Module1::GetDataFolder(p), "/opt/kira/bin/../dat/");
    p.marker = true;
    EXPECT_EQ(Module1::GetDataFolder(p), "/var/lib/KIRANODAT/");
    // The Windows folder unknown: the folder relative to the current one, as on Windows.
    p.windows.reset();
    EXPECT_EQ(Module1::GetDataFolder(p), "/KIRANODAT/");
    p.windows = std::string("C:\\WINDOWS\0junk", 15);
    EXPECT_EQ(Module1::GetWindowsFolder(p), "C:\\WINDOWS");
}

TEST(DataFolder, SystemPlatformEndsInASeparator) {
    std::string folder = Module1::GetDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), systemPlatform().separator());
}

TEST(Module1Text, CutAtNulAndNullToStr) {
    EXPECT_EQ(Module1::CutAtNul(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(Module1::CutAtNul("abc"), "abc");
    EXPECT_EQ(Module1::NullToStr(Module1::Null{}), "");
    EXPECT_EQ(Module1::NullToStr(12LL), "12");
    EXPECT_EQ(Module1::NullToStr(1.5), "1.5");
    EXPECT_EQ(Module1::NullToStr(std::string("保育")), "保育");
    EXPECT_EQ(Module1::NullToStr(true), "True");
}

} // namespace
