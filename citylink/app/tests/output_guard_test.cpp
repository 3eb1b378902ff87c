// What --output may name: never one of the run's own files, by whatever spelling; an existing file
// only with --overwrite, and only a regular one.
#include "citylink/app/output_guard.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using citylink::GuardedFile;
using citylink::outputProblem;
namespace fs = std::filesystem;

TEST(OutputGuard, TheRunsOwnFilesAreRefusedByAnyNameAndOthersNeedOverwrite) {
    testsupport::ScratchDir dir;
    testsupport::writeBytes(dir / "month.csv", "csv");
    fs::create_directory(dir / "sub");
    const std::vector<GuardedFile> guarded = {
        {"--csv", dir / "month.csv"},
        {"札幌市連携時間設定.INI", dir / "札幌市連携時間設定.INI"}, // not there yet
    };

    auto problem = outputProblem(dir / "sub" / ".." / "month.csv", true, guarded);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("--output is the same file as --csv"), std::string::npos) << *problem;
    problem =
        outputProblem(dir / "." / testsupport::u8path("札幌市連携時間設定.INI"), true, guarded);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("札幌市連携時間設定.INI と同じファイルです"), std::string::npos);

    EXPECT_FALSE(outputProblem(dir / "filled.xlsx", false, guarded));
    testsupport::writeBytes(dir / "filled.xlsx", "an earlier run");
    problem = outputProblem(dir / "filled.xlsx", false, guarded);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("give --overwrite"), std::string::npos);
    EXPECT_FALSE(outputProblem(dir / "filled.xlsx", true, guarded));
    problem = outputProblem(dir / "sub", true, guarded);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("not a regular file"), std::string::npos);
}
