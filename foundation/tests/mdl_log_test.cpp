// The daily log as bytes on disk, with a pinned clock.
#include "foundation/cp932.h"
#include "foundation/mdl_log.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;
namespace fs = std::filesystem;

namespace {

struct LogFixture : ::testing::Test {
    ScratchDir dir;
    ManualClock clock{{2024, 4, 15, 13, 2, 9}};
    std::string folder = dir.path().string() + "/";
    mdlLog log{[this] { return folder; }, clock};
    fs::path today() const { return dir.path() / "20240415_.log"; }
};

std::string line(std::string_view utf8) {
    return cp932::fromUtf8(utf8) + "\r\n";
}

TEST_F(LogFixture, NameAndLineBytes) {
    log.OpenLog();
    EXPECT_TRUE(log.LogOpened());
    EXPECT_EQ(log.LogFileName(), "20240415_.log");
    EXPECT_EQ(log.LogFolder(), folder);
    log.WriteLog("abc");
    clock.set({2024, 4, 15, 9, 5, 3});
    log.WriteLog("Form_Load終了");
    log.WriteLog("say \"hi\", ok");
    EXPECT_EQ(readBytes(today()), line("\"【13:02:09】 abc\"") +
                                      line("\"【09:05:03】 Form_Load終了\"") +
                                      line("\"【09:05:03】 say \"hi\", ok\""));
    EXPECT_EQ(readBytes(today()).substr(0, 3), "\"\x81\x79"); // 【 is 0x81 0x79 in CP932
}

TEST_F(LogFixture, OpeningAppendsToTheDaysFile) {
    writeBytes(today(), "earlier\r\n");
    log.OpenLog();
    log.WriteLog("x");
    // A second writer on the same day (another instance) appends to the same file.
    mdlLog second{[this] { return folder; }, clock};
    second.OpenLog();
    second.WriteLog("y");
    log.WriteLog("z");
    EXPECT_EQ(readBytes(today()), "earlier\r\n" + line("\"【13:02:09】 x\"") +
                                      line("\"【13:02:09】 y\"") + line("\"【13:02:09】 z\""));
}

TEST_F(LogFixture, PurgeDeletesEightToFourteenDaysBack) {
    for (const char* name : {"20240331_.log", "20240401_.log", "20240403_.log", "20240407_.log",
                             "20240408_.log", "20240414_.log", "20240401_.txt", "notes.log"})
        writeBytes(dir / name, "old\r\n");
    log.OpenLog();
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"20240331_.log", "20240401_.txt", "20240408_.log",
                                              "20240414_.log", "20240415_.log", "notes.log"}));
}

TEST_F(LogFixture, PurgeAcrossAYearEnd) {
    clock.set({2025, 1, 3, 8, 0, 0});
    for (const char* name : {"20241219_.log", "20241220_.log", "20241226_.log", "20241227_.log"})
        writeBytes(dir / name, "old\r\n");
    log.OpenLog();
    EXPECT_TRUE(fs::exists(dir / "20241219_.log"));  // 15 days back
    EXPECT_FALSE(fs::exists(dir / "20241220_.log")); // 14
    EXPECT_FALSE(fs::exists(dir / "20241226_.log")); // 8
    EXPECT_TRUE(fs::exists(dir / "20241227_.log"));  // 7
}

TEST_F(LogFixture, WriteBeforeOpenDoesNothing) {
    log.WriteLog("nothing");
    EXPECT_FALSE(log.LogOpened());
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(LogFixture, WriteAfterCloseReopensTheDaysFile) {
    log.OpenLog();
    log.WriteLog("one");
    log.CloseLog();
    EXPECT_TRUE(log.LogOpened());
    clock.set({2024, 4, 15, 13, 3, 0});
    log.WriteLog("two");
    EXPECT_TRUE(log.LogOpened());
    EXPECT_EQ(readBytes(today()), line("\"【13:02:09】 one\"") + line("\"【13:03:00】 two\""));
}

TEST_F(LogFixture, ReopenAfterMidnightUsesTheNewDay) {
    log.OpenLog();
    log.CloseLog();
    clock.set({2024, 4, 16, 0, 0, 1});
    log.WriteLog("late");
    EXPECT_EQ(log.LogFileName(), "20240416_.log");
    EXPECT_EQ(readBytes(dir / "20240416_.log"), line("\"【00:00:01】 late\""));
}

TEST_F(LogFixture, MissingFolderDisablesTheLogQuietly) {
    folder = (dir / "missing").string() + "/";
    log.OpenLog();
    EXPECT_FALSE(log.LogOpened());
    log.WriteLog("lost");
    log.CloseLog();
    log.WriteLog("lost");
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(LogFixture, FailedRetryDisablesTheLog) {
    log.OpenLog();
    log.CloseLog();
    // The folder is gone by the time of the write: the reopen fails too and the log goes quiet.
    folder = (dir / "gone").string() + "/";
    log.WriteLog("lost");
    EXPECT_FALSE(log.LogOpened());
    folder = dir.path().string() + "/";
    log.WriteLog("still lost");
    EXPECT_EQ(readBytes(today()), "");
}

TEST_F(LogFixture, CharactersCp932CannotHoldBecomeQuestionMarks) {
    log.OpenLog();
    log.WriteLog("file 🙂.csv");
    log.WriteLog(std::string("bad \xff byte"));
    log.WriteLog("ok");
    EXPECT_TRUE(log.LogOpened());
    EXPECT_EQ(readBytes(today()), line("\"【13:02:09】 file ?.csv\"") +
                                      line("\"【13:02:09】 bad ? byte\"") +
                                      line("\"【13:02:09】 ok\""));
}

} // namespace
