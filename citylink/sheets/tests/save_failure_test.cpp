// A save that cannot be made says why and leaves nothing behind, on every platform.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/xlsx/save_file.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <set>

using namespace sheets::xlsx;
using testsupport::namesIn;
namespace fs = std::filesystem;

TEST(SaveFile, AFailedSaveSaysWhyAndLeavesNothing) {
    testsupport::ScratchDir dir;
    fs::create_directory(dir / "sub");
    for (bool unnamedFiles : {true, false}) {
        saveTestHooks().unnamedFiles = unnamedFiles;
        // A folder in the way of the output: everything is written, the naming fails.
        try {
            SaveWholeFile(dir / "sub", "data");
            ADD_FAILURE();
        } catch (const sheets::AutomationError& e) {
            EXPECT_TRUE(e.description().starts_with("ブックを保存できません: sub ("))
                << e.description();
        }
        EXPECT_THROW(SaveWholeFile(dir / "missing" / "out.xlsx", "data"), sheets::AutomationError);
        EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"sub"});
        EXPECT_TRUE(fs::is_empty(dir / "sub"));
    }
    saveTestHooks() = {};
}
