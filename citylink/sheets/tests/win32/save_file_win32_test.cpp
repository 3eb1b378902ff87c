// The temporaries a killed save leaves on Windows: removed by the next save once no process of
// that id runs; those of running processes, other names and folders stay.
#include "citylink/sheets/automation.h"
#include "citylink/sheets/xlsx/save_file.h"
#include "citylink/sheets/xlsx/save_temporary.h"
#include "testsupport/test_files.h"

#include "foundation/platform/win32/windows_include.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace sheets::xlsx;
using testsupport::namesIn;
namespace fs = std::filesystem;

namespace {

// The id of a process that has ended (a console that exits at once).
unsigned long goneProcess() {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    wchar_t command[] = L"cmd.exe /c exit 0";
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return 0;
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess); // the id is free only once no handle keeps the process object
    return pi.dwProcessId;
}

} // namespace

TEST(SaveFileWin32, ClearsOnlyTemporariesOfOursWhoseProcessIsGone) {
    testsupport::ScratchDir dir;
    const unsigned long gone = goneProcess();
    ASSERT_NE(gone, 0u);
    const unsigned long self = GetCurrentProcessId();
    const std::string dead = SaveTemporaryName(gone, 0);
    const std::string mine = SaveTemporaryName(self, 0);
    for (const std::string& name : {dead, mine, dead + ".bak", std::string("form.tmp")})
        testsupport::writeBytes(dir / name, "x");
    fs::create_directory(dir / SaveTemporaryName(gone, 1));

    SaveWholeFile(dir / "out.xlsx", "data");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{mine, dead + ".bak", "form.tmp",
                                                          SaveTemporaryName(gone, 1), "out.xlsx"}));
    EXPECT_EQ(testsupport::readBytes(dir / "out.xlsx"), "data");
}

TEST(SaveFileWin32, AReadOnlyOutputIsNotReplaced) {
    testsupport::ScratchDir dir;
    const fs::path out = dir / "filled.xlsx";
    testsupport::writeBytes(out, "the clerk's copy");
    ASSERT_TRUE(SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_THROW(SaveWholeFile(out, "new"), sheets::AutomationError);
    SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(testsupport::readBytes(out), "the clerk's copy");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"filled.xlsx"});
}
