// Windows: the folder from GetTempPathA (in the ANSI code page, taken to its wide form). The files
// are created by the caller, exclusively, so that each stays open for the writer that named it.
#include "gridmover/core/temp_files.h"

#include "foundation/platform/win32/windows_include.h"

#include <string>

namespace gridmover {

namespace {

std::wstring wideFromAnsi(const char* ansi) {
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    if (n <= 1) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), n);
    wide.resize(static_cast<std::size_t>(n - 1));
    return wide;
}

} // namespace

std::optional<std::filesystem::path> SystemTempFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    if (n == 0 || n > MAX_PATH) {
        return std::nullopt;
    }
    std::wstring folder = wideFromAnsi(buffer);
    if (folder.empty()) {
        return std::nullopt;
    }
    return std::filesystem::path(folder);
}

std::filesystem::path TempFileNamed(const std::filesystem::path& folder, std::string_view prefix,
                                    unsigned unique) {
    // The documented form of GetTempFileNameA's names, formed here: Wine's function writes the
    // number and ".tmp" in lower case, and the names must not depend on whose function runs.
    return folder / TempFileNameFor(prefix, unique);
}

} // namespace gridmover
