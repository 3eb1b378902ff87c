// GetIniString/PutIniString on real files: UTF-8 in and out, CP932 on disk, atomic replacement.
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using MdlSystemINI::GetIniString;
using MdlSystemINI::PutIniString;
using MdlSystemINI::PutIniStrings;
using testsupport::readBytes;
using testsupport::ScratchDir;
using testsupport::writeBytes;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(IniFile, MissingFileReadsEmptyAndCreatesNothing) {
    ScratchDir dir;
    EXPECT_EQ(GetIniString(dir / "none.ini", "s", "k"), "");
    EXPECT_EQ(GetIniString(dir / "nofolder" / "none.ini", "s", "k"), "");
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST(IniFile, WriteCreatesTheFileAndReadsBackJapanese) {
    ScratchDir dir;
    auto file = dir / "札幌市連携.INI";
    EXPECT_NE(PutIniString(file, "2024", "FormTitle", "時間外保育利用状況表"), 0);
    EXPECT_EQ(readBytes(file),
              "[2024]\r\nFormTitle=" + cp932::fromUtf8("時間外保育利用状況表") + "\r\n");
    EXPECT_EQ(GetIniString(file, "2024", "formtitle"), "時間外保育利用状況表");

    EXPECT_NE(PutIniString(file, "2024", "2SheetName", "短時間～"), 0);
    EXPECT_NE(PutIniString(file, "2024", "FormTitle", ""), 0);
    EXPECT_EQ(readBytes(file),
              "[2024]\r\nFormTitle=\r\n2SheetName=" + cp932::fromUtf8("短時間") + "\x81\x60\r\n");
    EXPECT_EQ(GetIniString(file, "2024", "2SheetName"), "短時間～");
    EXPECT_EQ(GetIniString(file, "2024", "FormTitle"), "");
    // No temporary file is left beside it.
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"札幌市連携.INI"});
}

TEST(IniFile, ValueCutAt1023BytesKeepsWholeCharacters) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    std::string value = std::string(1022, 'x');
    for (int i = 0; i < 300; ++i)
        value += "あ";
    ASSERT_NE(PutIniString(file, "s", "k", value), 0);
    EXPECT_EQ(GetIniString(file, "s", "k"), std::string(1022, 'x'));
    ASSERT_NE(PutIniString(file, "s", "k", "y" + value), 0);
    EXPECT_EQ(GetIniString(file, "s", "k"), "y" + std::string(1022, 'x'));
    ASSERT_NE(PutIniString(file, "s", "k", std::string(1500, 'z')), 0);
    EXPECT_EQ(GetIniString(file, "s", "k"), std::string(1023, 'z'));
}

TEST(IniFile, InvalidTextIsAnErrorNotGarbage) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    writeBytes(file, "[s]\r\nk=\x81\x20\r\n");
    EXPECT_THROW(GetIniString(file, "s", "k"), cp932::Error);
    EXPECT_THROW(PutIniString(file, "s", "k", "🙂"), cp932::Error);
    EXPECT_THROW(PutIniString(file, "s", "k", "two\r\nlines"), std::invalid_argument);
    EXPECT_EQ(readBytes(file), "[s]\r\nk=\x81\x20\r\n");
}

TEST(IniFile, MissingFolderIsAFailureAndIsNotCreated) {
    ScratchDir dir;
    EXPECT_EQ(PutIniString(dir / "missing" / "a.ini", "s", "k", "v"), 0);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(IniFile, ReadOnlyFileIsLeftAlone) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    writeBytes(file, "[s]\r\nk=old\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(PutIniString(file, "s", "k", "new"), 0);
    EXPECT_EQ(readBytes(file), "[s]\r\nk=old\r\n");
}

TEST(IniFile, WriteKeepsPermissionsAndLinks) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    writeBytes(file, "[s]\r\nk=old\r\n");
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("a.ini", dir / "link.ini");
    ASSERT_NE(PutIniString(dir / "link.ini", "s", "k", "new"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "link.ini"));
    EXPECT_EQ(readBytes(file), "[s]\r\nk=new\r\n");
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// An installed program's settings are links into a writable folder; the first write creates the
// file there and the link stays. A loop of links is a failure, not a hang.
TEST(IniFile, WriteThroughLinkToMissingFileCreatesTheTarget) {
    ScratchDir dir;
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "state");
    fs::create_symlink("../state/a.ini", dir / "bin" / "a.ini");
    ASSERT_NE(PutIniString(dir / "bin" / "a.ini", "s", "k", "v"), 0);
    EXPECT_TRUE(fs::is_symlink(dir / "bin" / "a.ini"));
    EXPECT_EQ(readBytes(dir / "state" / "a.ini"), "[s]\r\nk=v\r\n");
    EXPECT_EQ(GetIniString(dir / "bin" / "a.ini", "s", "k"), "v");

    fs::create_symlink("loop2.ini", dir / "loop1.ini");
    fs::create_symlink("loop1.ini", dir / "loop2.ini");
    EXPECT_EQ(PutIniString(dir / "loop1.ini", "s", "k", "v"), 0);
}

// A write that fails half-way (here: the file-size limit, which holds for root as well) leaves
// the original file intact and no temporary file behind.
TEST(IniFile, FailedWriteLeavesTheOriginalIntact) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    std::string original = "[s]\r\nk=" + std::string(3000, 'o') + "\r\n";
    writeBytes(file, original);

    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    long rc = PutIniString(file, "s", "k", std::string(4000, 'n'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(rc, 0);
    EXPECT_EQ(readBytes(file), original);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"a.ini"});
}

TEST(IniFile, UnchangedValueLeavesTheFileUntouched) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    writeBytes(file, "[s]\r\nk=v\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    EXPECT_NE(PutIniString(file, "S", "K", "v"), 0);
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST(IniFile, SeveralKeysGoInOneReplacementOrNotAtAll) {
    ScratchDir dir;
    auto file = dir / "a.ini";
    writeBytes(file, "; kept\r\n[2016]\r\n4-1=3\r\n");
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    EXPECT_NE(PutIniStrings(file, "2018", {{"1-1", "時間外"}, {"2-1", "6"}, {"4-1", ""}}), 0);
    EXPECT_EQ(readBytes(file), "; kept\r\n[2016]\r\n4-1=3\r\n[2018]\r\n1-1=" +
                                   std::string("\x8E\x9E\x8A\xD4\x8A\x4F") +
                                   "\r\n2-1=6\r\n4-1=\r\n");
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino); // replaced, not rewritten in place

    // One bad key refuses the whole set before anything is written.
    const std::string written = readBytes(file);
    EXPECT_THROW(PutIniStrings(file, "2018", {{"2-2", "X"}, {"bad=key", "v"}}),
                 std::invalid_argument);
    EXPECT_EQ(readBytes(file), written);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"a.ini"});
}

// A process killed between writing its temporary and renaming it leaves "<file>.<pid>.<n>.tmp";
// the next write removes such files of processes that are gone, and nothing else.
TEST(IniFile, TemporariesOfKilledWritersAreRemovedByTheNextWrite) {
    ScratchDir dir;
    auto file = dir / "札幌市連携.INI";
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string gone = std::to_string(child);
    const std::string alive = std::to_string(::getppid());
    const std::vector<std::string> kept = {
        "札幌市連携.INI." + alive + ".0.tmp", // its writer still runs
        "札幌市連携.INI." + gone + ".tmp",    // not our naming
        "other.INI." + gone + ".0.tmp",       // another file's
        "札幌市連携.INI." + gone + ".x.tmp",
    };
    for (const std::string& name : kept)
        writeBytes(dir / name, "x");
    writeBytes(dir / ("札幌市連携.INI." + gone + ".0.tmp"), "[2018]\r\n1-1=");
    writeBytes(dir / ("札幌市連携.INI." + gone + ".1000003.tmp"), "");

    EXPECT_NE(PutIniString(file, "2018", "1-1", "x"), 0);
    std::vector<std::string> want = kept;
    want.push_back("札幌市連携.INI");
    std::sort(want.begin(), want.end());
    EXPECT_EQ(filesIn(dir.path()), want);
}

} // namespace
