// The arguments from the UTF-16 command line (CommandLineToArgvW splits it by the same rules as
// the runtime's own argv), converted to UTF-8; argv only when that fails.
#include "foundation/program_arguments.h"

#include "foundation/platform/win32/windows_include.h"

#include <shellapi.h>

namespace {

std::string utf8Of(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1)
        return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back(); // the terminating NUL
    return out;
}

} // namespace

std::vector<std::string> programArguments(int argc, char** argv) {
    // Messages and progress lines are UTF-8: a console shows them so (a pipe takes the bytes).
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back(utf8Of(wide[i]));
    LocalFree(wide);
    return out;
}
