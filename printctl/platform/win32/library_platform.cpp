// Windows: the library's folder is that of the DLL holding this code (GetModuleHandleExA by an
// address in it, then GetModuleFileNameA); linked statically into a program, the program's.
#include "printctl/library_platform.h"

#include "foundation/platform/win32/windows_include.h"

namespace printctl {
namespace {

std::string ansiToUtf8(const std::string& ansi) {
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), n);
    int m = WideCharToMultiByte(CP_UTF8, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m > 0 ? m : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), n, out.data(), m, nullptr, nullptr);
    return out;
}

std::string libraryFolder() {
    HMODULE self = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&libraryFolder), &self)) {
        char name[MAX_PATH];
        DWORD n = GetModuleFileNameA(self, name, MAX_PATH);
        if (n > 0 && n < MAX_PATH) {
            std::string file(name, n);
            auto slash = file.find_last_of("\\/");
            if (slash != std::string::npos)
                return ansiToUtf8(file.substr(0, slash));
        }
    }
    return systemPlatform().programFolder();
}

class LibraryPlatform final : public Platform {
public:
    std::string programFolder() const override { return libraryFolder(); }
    bool markerFileExists() const override { return systemPlatform().markerFileExists(); }
    std::optional<std::string> windowsFolder() const override {
        return systemPlatform().windowsFolder();
    }
    char separator() const override { return systemPlatform().separator(); }
};

} // namespace

const Platform& libraryPlatform() {
    static const LibraryPlatform platform;
    return platform;
}

} // namespace printctl
