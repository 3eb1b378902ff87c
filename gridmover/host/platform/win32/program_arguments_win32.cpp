#include "gridmover/host/program_arguments.h"

#include "foundation/platform/win32/windows_include.h"

#include <shellapi.h>

namespace gridmover::host {

namespace {

std::string utf8FromWide(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), n, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(n - 1));
    return text;
}

} // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    // The messages are UTF-8, as on Linux: a console shows them as such (a redirected output
    // gets the same bytes as on Linux).
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) {
            LocalFree(wide);
        }
        return std::vector<std::string>(argv, argv + argc); // the ANSI ones, as a last resort
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(utf8FromWide(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}

} // namespace gridmover::host
