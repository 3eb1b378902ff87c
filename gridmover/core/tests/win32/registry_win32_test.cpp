// The registry look-up against the system's own registry (Wine's under Wine): a key the test adds
// with reg.exe, as an installer would, is found; its absence and a removed key are not.
#include "gridmover/core/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int reg(const std::string& arguments) {
    return std::system(("reg " + arguments + " >NUL 2>&1").c_str());
}

TEST(Win32Registry, FindsTheKeysUnderTheClassesRoot) {
    const std::string key = "SuiteTest.GridControl.1";
    reg("delete HKCR\\" + key + " /f");
    ASSERT_EQ(reg("add HKCR\\" + key + "\\CLSID /ve /d {00028C00-0000-0000-0000-000000000046} /f"),
              0);
    auto registry = gridmover::DefaultRegistry();
    EXPECT_TRUE(registry->KeyExists(key));
    EXPECT_TRUE(registry->KeyExists(key + "\\CLSID"));
    EXPECT_TRUE(registry->KeyExists("suitetest.gridcontrol.1\\clsid")); // names without case
    EXPECT_FALSE(registry->KeyExists(key + "\\Missing"));
    EXPECT_FALSE(registry->KeyExists(""));
    EXPECT_FALSE(registry->KeyExists("\xE2\x9C\x93")); // no ANSI form: nothing registered so

    ASSERT_EQ(reg("delete HKCR\\" + key + " /f"), 0);
    EXPECT_FALSE(registry->KeyExists(key));
}

} // namespace
