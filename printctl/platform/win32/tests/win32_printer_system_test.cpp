// The Windows printer list as the system (Wine under Wine) reports it, and the library's folder.
#include "printctl/library_platform.h"
#include "printctl/platform/win32/win32_printer_system.h"

#include "foundation/platform/win32/windows_include.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Win32PrinterSystem, TheDefaultIsOneOfTheListedPrinters) {
    printctl::Win32PrinterSystem system;
    auto printers = system.Printers();
    auto def = system.DefaultPrinter();
    if (!def.empty()) {
        EXPECT_NE(std::find(printers.begin(), printers.end(), def), printers.end()) << def;
    }
    for (const auto& name : printers)
        EXPECT_FALSE(name.empty());
}

TEST(Win32PrinterSystem, PropertiesOfAMissingPrinterReturn) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll && GetProcAddress(ntdll, "wine_get_version"))
        GTEST_SKIP() << "Wine 8 has no SHInvokePrinterCommandA (an unimplemented stub that aborts)";
    // A printer that is not there: the shell reports it (or does nothing); the call returns.
    printctl::Win32PrinterSystem().ShowProperties(0, "No Such Printer 名前");
}

TEST(Win32PrinterSystem, TheLibraryFolderIsTheModulesFolder) {
    // Linked statically into this test, the library's module is the test program.
    char name[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, name, MAX_PATH);
    std::string file(name, n);
    EXPECT_EQ(printctl::libraryPlatform().programFolder(), file.substr(0, file.find_last_of('\\')));
    EXPECT_EQ(printctl::libraryPlatform().separator(), '\\');
}

} // namespace
