#include "gridmover/core/grid_version.h"
#include "gridmover/core/registry.h"
#include "gridmover/core/scan_lists.h"

#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace gridmover;
using testsupport::ScratchDir;
using testsupport::writeBytes;

namespace {

// Excerpts of a Wine prefix's registry files as Wine writes them.
const char* kSystemReg =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "\n"
    "#arch=win32\n"
    "\n"
    "[Software\\\\Classes\\\\CLSID\\\\{00028C00-0000-0000-0000-000000000046}] "
    "1600000000\n"
    "#time=1d6f0a1b2c3d4e5\n"
    "@=\"DBGrid Control\"\n"
    "\n"
    "[Software\\\\Classes\\\\CLSID\\\\{00028C00-0000-0000-0000-000000000046}"
    "\\\\InprocServer32] 1600000000\n"
    "@=\"C:\\\\windows\\\\system32\\\\DBGRID32.OCX\"\n"
    "\n"
    "[Software\\\\Wine\\\\CLSID\\\\{AAAAAAAA-0000-0000-0000-000000000000}] 1\n";

} // namespace

TEST(WineRegistry, FindsClassesOfMachineAndUserIgnoringCase) {
    ScratchDir prefix;
    writeBytes(prefix / "system.reg", kSystemReg);
    // The user's classes, with CR LF line ends as a copied prefix may have them.
    writeBytes(prefix / "user.reg",
               "WINE REGISTRY Version 2\r\n"
               "[Software\\\\Classes\\\\CLSID\\\\{11111111-2222-3333-4444-555555555555}] 1\r\n"
               "[Software\\\\Classes\\\\Caf\\x00e9] 1\r\n");
    WineRegistry reg(prefix.path());
    EXPECT_TRUE(reg.KeyExists("CLSID\\{00028C00-0000-0000-0000-000000000046}"));
    EXPECT_TRUE(reg.KeyExists("clsid\\{00028c00-0000-0000-0000-000000000046}"));
    EXPECT_TRUE(reg.KeyExists("CLSID"));
    EXPECT_TRUE(reg.KeyExists("CLSID\\{00028C00-0000-0000-0000-000000000046}\\InprocServer32"));
    EXPECT_TRUE(reg.KeyExists("CLSID\\{11111111-2222-3333-4444-555555555555}"));
    EXPECT_TRUE(reg.KeyExists("Caf\xC3\xA9"));
    EXPECT_FALSE(reg.KeyExists("CLSID\\{00028C00-0000-0000-0000-00000000004}"));
    EXPECT_FALSE(reg.KeyExists("CLSID\\{AAAAAAAA-0000-0000-0000-000000000000}")); // not a class
    EXPECT_FALSE(reg.KeyExists(""));
}

TEST(WineRegistry, MissingPrefixMeansNothingIsRegistered) {
    ScratchDir dir;
    WineRegistry reg(dir / "no-such-prefix");
    EXPECT_FALSE(reg.KeyExists("CLSID"));
}

TEST(WineRegistry, SixtyFourBitPrefixKeepsThirtyTwoBitClassesUnderWow6432Node) {
    ScratchDir prefix;
    writeBytes(prefix / "system.reg",
               "WINE REGISTRY Version 2\n#arch=win64\n"
               "[Software\\\\Classes\\\\Wow6432Node\\\\CLSID\\\\{00028C00-0000-0000-0000-"
               "000000000046}] 1\n");
    WineRegistry reg(prefix.path());
    EXPECT_TRUE(reg.KeyExists("CLSID\\{00028C00-0000-0000-0000-000000000046}"));
}

TEST(WineRegistry, DecidesWhichVersionsTheDialogOffers) {
    ScratchDir prefix;
    LoadGridVersions();
    std::string reg = kSystemReg;
    for (long r : {5, 12}) {
        reg += "[Software\\\\Classes\\\\CLSID\\\\{" +
               Versions().Item(r)->Item("CLSID_MsDgrid")->ToString() + "}] 1\n";
    }
    writeBytes(prefix / "system.reg", reg);
    const WineRegistry registry(prefix.path());
    EXPECT_TRUE(Versions().Item(1)->Registered(registry));
    EXPECT_FALSE(Versions().Item(4)->Registered(registry));
    auto lists = ScanInstalledVersions(Versions(), registry);
    std::vector<std::int16_t> from;
    for (const auto& e : lists.from) {
        from.push_back(e.row);
    }
    EXPECT_EQ(from, (std::vector<std::int16_t>{1, 5, 12}));
    ASSERT_EQ(lists.to.size(), 1u);
    EXPECT_EQ(lists.to[0].row, 12);
}

TEST(WineRegistry, ReadsWhatWineWritesAroundTheKeys) {
    // Value lines, hex values continued over lines, "#time" and "#link" lines, and key names
    // with escaped brackets and non-ASCII characters (short and four-digit \x forms) never make
    // or hide a key.
    ScratchDir prefix;
    writeBytes(prefix / "user.reg",
               "WINE REGISTRY Version 2\n"
               ";; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n"
               "\n#arch=win32\n\n"
               "[Software\\\\Classes\\\\CLSID\\\\{B89B1084-9546-4204-B68F-2463DB74C547}] "
               "1600000000\n"
               "#time=1d6f0a1b2c3d4e5\n"
               "@=\"[Software\\\\Classes\\\\CLSID\\\\{0}]\"\n"
               "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,\\\n"
               "  14,15\n"
               "[Software\\\\Classes\\\\A\\]B] 1\n"
               "#link\n"
               "[Software\\\\Classes\\\\\\xe9t\\xe9] 1\n"
               "[Software\\\\Classes\\\\x\\x00e9a] 1\n");
    WineRegistry reg(prefix.path());
    EXPECT_TRUE(reg.KeyExists("CLSID\\{B89B1084-9546-4204-B68F-2463DB74C547}"));
    EXPECT_FALSE(reg.KeyExists("CLSID\\{0}"));
    EXPECT_TRUE(reg.KeyExists("A]B"));
    EXPECT_TRUE(reg.KeyExists("\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(reg.KeyExists("x\xC3\xA9"
                              "a"));
    EXPECT_FALSE(reg.KeyExists("  14,15"));
}
