// Windows: processes by their id, and folders in the user's own temporary folder (which Windows
// keeps private to the user, so a folder there that is no link is the user's).
#include "gridmover/core/run_folder.h"

#include "foundation/platform/win32/windows_include.h"

namespace gridmover {

long CurrentProcessId() {
    return static_cast<long>(GetCurrentProcessId());
}

bool ProcessIsRunning(long pid) {
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (h == nullptr) {
        // Access denied: the process exists but belongs to someone else.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    CloseHandle(h);
    return running;
}

bool IsOwnFolder(const std::filesystem::path& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeOwnFolder(const std::filesystem::path& folder) {
    // The folder inherits the temporary folder's permissions: the user's alone.
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
        return true;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS && IsOwnFolder(folder);
}

} // namespace gridmover
