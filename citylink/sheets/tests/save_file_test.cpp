// A save killed at each of its steps leaves the output as it was and nothing else; what a kill
// cannot help leaving (a complete temporary) goes with the next save.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/xlsx/save_file.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

using namespace sheets::xlsx;
using testsupport::namesIn;
namespace fs = std::filesystem;

namespace {

// Saves in a child process that stops itself at `step`, then kills it there; the id of the
// killed process.
pid_t killedAt(const fs::path& out, std::string_view step, bool unnamedFiles) {
    pid_t pid = ::fork();
    if (pid == 0) {
        saveTestHooks().unnamedFiles = unnamedFiles;
        saveTestHooks().onStep = [step](std::string_view at) {
            if (at == step)
                ::raise(SIGSTOP);
        };
        try {
            SaveWholeFile(out, std::string(200'000, 'n'));
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(1); // never got to the step
    }
    int status = 0;
    ::waitpid(pid, &status, WUNTRACED);
    EXPECT_TRUE(WIFSTOPPED(status)) << "the save did not reach " << step;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return pid;
}

class KilledSave : public ::testing::TestWithParam<bool> {};

} // namespace

TEST_P(KilledSave, LeavesTheOutputAsItWasAndTheNextSaveClearsUp) {
    const bool unnamedFiles = GetParam();
    testsupport::ScratchDir dir;
    testsupport::writeBytes(dir / "form.xlsx", "original");
    const fs::path fresh = dir / "fresh_記入済.xlsx";
    const fs::path existing = dir / "existing_記入済.xlsx";
    testsupport::writeBytes(existing, "an earlier copy");
    const std::set<std::string> before = namesIn(dir.path());

    std::vector<std::pair<fs::path, std::string>> kills = {
        {fresh, "created"}, {fresh, "written"}, {existing, "created"}, {existing, "written"}};
    if (unnamedFiles)
        kills.emplace_back(existing, "named");
    for (const auto& [out, step] : kills) {
        pid_t killed = killedAt(out, step, unnamedFiles);
        EXPECT_EQ(testsupport::readBytes(existing), "an earlier copy") << step;
        std::set<std::string> after = namesIn(dir.path());
        EXPECT_FALSE(after.count(fresh.filename().string())) << step;
        for (const std::string& name : before)
            after.erase(name);
        // An unnamed file leaves nothing; a named temporary only its own name.
        if (unnamedFiles && step != "named") {
            EXPECT_TRUE(after.empty()) << step << ": " << *after.begin();
        } else {
            ASSERT_EQ(after.size(), 1u) << step;
            EXPECT_TRUE(
                after.begin()->starts_with(".citylink-save-" + std::to_string(killed) + "-"))
                << *after.begin();
        }
    }

    saveTestHooks().unnamedFiles = unnamedFiles;
    SaveWholeFile(existing, "a new copy");
    saveTestHooks() = {};
    EXPECT_EQ(testsupport::readBytes(existing), "a new copy");
    EXPECT_EQ(namesIn(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(UnnamedFileOrNamedTemporary, KilledSave, ::testing::Bool());

TEST(SaveFile, ClearsOnlyTemporariesOfOursWhoseProcessIsGone) {
    testsupport::ScratchDir dir;
    pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(::getppid());
    for (const std::string& name : std::vector<std::string>{
             ".citylink-save-" + dead + "-0.tmp", ".citylink-save-" + dead + "-12.tmp.Ab3dEf",
             ".citylink-save-" + alive + "-0.tmp", ".citylink-save-" + dead + "-0.tmp.bak",
             ".citylink-save-x-0.tmp", "form.tmp"})
        testsupport::writeBytes(dir / name, "x");
    fs::create_directory(dir / (".citylink-save-" + dead + "-1.tmp"));

    RemoveStaleSaveTemporaries(dir.path());
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{".citylink-save-" + alive + "-0.tmp",
                                                          ".citylink-save-" + dead + "-0.tmp.bak",
                                                          ".citylink-save-" + dead + "-1.tmp",
                                                          ".citylink-save-x-0.tmp", "form.tmp"}));
}
