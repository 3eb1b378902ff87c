// libprintctl as a caller sees it: created by its identifier, nothing but its interface exported,
// its data folder found beside the library's own folder.
#include "printctl/printctl.h"
#include "printctl/qt_list_controls.h"
#include "printctl/tests/private_cups.h"

#include <QListWidget>

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

TEST(PrintctlLibraryTest, CreatesTheClassOnlyByItsIdentifier) {
    EXPECT_NE(printctl::CreateObject("printctl.Clsプリンタ制御"), nullptr);
    EXPECT_EQ(printctl::CreateObject("printctl.clsプリンタ制御"), nullptr);
    EXPECT_EQ(printctl::CreateObject("printctl.Clsプリンタ制御 "), nullptr);
    EXPECT_EQ(printctl::CreateObject(""), nullptr);
}

TEST(PrintctlLibraryTest, ExportsItsInterfaceAndNothingOfTheFoundation) {
    void* self = ::dlopen(PRINTCTL_LIBRARY_FILE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(self, nullptr) << "the test is not linked against " << PRINTCTL_LIBRARY_FILE;
    // printctl::CreateObject(std::string_view)
    EXPECT_NE(
        ::dlsym(self, "_ZN8printctl12CreateObjectESt17basic_string_viewIcSt11char_traitsIcEE"),
        nullptr);
    // Module1::GetDataFolder(Platform const&), cp932::toUtf8(std::string_view),
    // systemPlatform(): the library's private copies, which must not stand in for a caller's.
    EXPECT_EQ(::dlsym(self, "_ZN7Module113GetDataFolderERK8Platform"), nullptr);
    EXPECT_EQ(::dlsym(self, "_ZN5cp9326toUtf8ESt17basic_string_viewIcSt11char_traitsIcEE"),
              nullptr);
    EXPECT_EQ(::dlsym(self, "_Z14systemPlatformv"), nullptr);
    ::dlclose(self);
}

TEST(PrintctlLibraryTest, TheSettingsFileLiesInTheDataFolderBesideTheLibrarysFolder) {
    if (fs::exists("/etc/REDAZUDARUD.INI"))
        GTEST_SKIP() << "a shared installation's marker is present";
    auto prt = printctl::CreateObject(printctl::kProgId);
    prt->プログラム名("payroll");
    fs::path library = fs::canonical(PRINTCTL_LIBRARY_FILE);
    EXPECT_EQ(prt->SettingsFilePath(), library.parent_path().string() + "/../dat/payroll.txt");
}

TEST(PrintctlLibraryTest, TheCreatedClassListsTheSchedulersPrinters) {
    printctl::testing::PrivateCups cups;
    std::string whyNot;
    if (!cups.start(whyNot))
        GTEST_SKIP() << "no private CUPS scheduler: " << whyNot;
    ASSERT_EQ(cups.run("lpadmin -p Kitchen -E -v file:/dev/null && "
                       "lpadmin -p hall -E -v file:/dev/null && lpadmin -d hall"),
              0);
    auto prt = printctl::CreateObject(printctl::kProgId);
    prt->プログラム名("printctl-library-test-no-such-program");
    QListWidget widget;
    printctl::ListWidgetList list(&widget);
    ASSERT_TRUE(prt->Prt_List(list));
    ASSERT_EQ(list.ListCount(), 2);
    EXPECT_EQ(list.List(0), "hall");
    EXPECT_EQ(list.List(1), "Kitchen");
    EXPECT_EQ(list.Text(), "hall");
}

} // namespace
