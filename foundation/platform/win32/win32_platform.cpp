// Windows answers for the data-folder rule, from the functions the installation has always used:
// the program's own file name (GetModuleFileNameA), the Windows folder (GetWindowsDirectoryA) and
// the marker "C:\REDAZUDARUD.INI" of a shared installation. The A functions answer in the ANSI
// code page; the folders are handed on as UTF-8 like every text of the suite.
#include "foundation/platform.h"
#include "foundation/platform/win32/ansi_text.h"

#include "foundation/platform/win32/windows_include.h"

namespace {

class Win32Platform final : public Platform {
public:
    std::string programFolder() const override {
        std::string name(MAX_PATH, '\0');
        for (;;) {
            DWORD n = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
            if (n == 0)
                return {};
            if (n < name.size()) {
                name.resize(n);
                break;
            }
            name.resize(name.size() * 2); // cut off: a longer buffer
        }
        auto slash = name.find_last_of("\\/");
        return win32::utf8FromAnsi(slash == std::string::npos ? name : name.substr(0, slash));
    }
    bool markerFileExists() const override {
        // A file, as the scripting runtime's FileExists means it: a folder of that name is none.
        DWORD attributes = GetFileAttributesA("C:\\REDAZUDARUD.INI");
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::optional<std::string> windowsFolder() const override {
        char buffer[MAX_PATH + 1];
        UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
        if (n == 0 || n > MAX_PATH)
            return std::nullopt;
        return win32::utf8FromAnsi(std::string_view(buffer, n));
    }
    char separator() const override { return '\\'; }
};

} // namespace

const Platform& systemPlatform() {
    static const Win32Platform platform;
    return platform;
}
