// Windows: the library's folder is that of the DLL holding this code (GetModuleHandleExA by an
// address in it, then GetModuleFileNameA).
#include "printctl/library_platform.h"

#include "foundation/platform/win32/ansi_text.h"
#include "foundation/platform/win32/windows_include.h"

namespace printctl {

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
                return win32::utf8FromAnsi(file.substr(0, slash));
        }
    }
    return systemPlatform().programFolder();
}

} // namespace printctl
