// The data-folder rule on Windows: beside the program without the marker file, in the Windows
// folder with it.
#include "foundation/module1.h"
#include "foundation/platform.h"

#include <gtest/gtest.h>

#include "foundation/platform/win32/windows_include.h"
#include <string>

namespace {

constexpr const char* kMarker = "C:\\REDAZUDARUD.INI";

bool markerPresent() {
    return GetFileAttributesA(kMarker) != INVALID_FILE_ATTRIBUTES;
}

// The program's folder as the A function reports it (the test's path is ASCII).
std::string moduleFolder() {
    char name[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, name, MAX_PATH);
    std::string s(name, n);
    return s.substr(0, s.find_last_of('\\'));
}

TEST(Win32Platform, DataFolderBesideTheProgramWithoutTheMarker) {
    if (markerPresent())
        GTEST_SKIP() << "this machine is a shared installation (C:\\REDAZUDARUD.INI exists)";
    const Platform& platform = systemPlatform();
    EXPECT_EQ(platform.separator(), '\\');
    EXPECT_FALSE(platform.markerFileExists());
    EXPECT_EQ(platform.programFolder(), moduleFolder());
    EXPECT_EQ(Module1::GetDataFolder(), moduleFolder() + "\\..\\dat\\");
}

TEST(Win32Platform, DataFolderInTheWindowsFolderWithTheMarker) {
    if (markerPresent())
        GTEST_SKIP() << "C:\\REDAZUDARUD.INI exists already; it is not ours to remove";
    char windows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    ASSERT_GT(n, 0u);

    // A folder of the marker's name is no marker.
    if (!CreateDirectoryA(kMarker, nullptr))
        GTEST_SKIP() << "C:\\ is not writable here (error " << GetLastError() << ")";
    EXPECT_FALSE(systemPlatform().markerFileExists());
    RemoveDirectoryA(kMarker);

    HANDLE h =
        CreateFileA(kMarker, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_TRUE(systemPlatform().markerFileExists());
    EXPECT_EQ(Module1::GetWindowsFolder(), std::string(windows, n));
    EXPECT_EQ(Module1::GetDataFolder(), std::string(windows, n) + "\\KIRANODAT\\");
    DeleteFileA(kMarker);
    EXPECT_FALSE(systemPlatform().markerFileExists());
}

} // namespace
