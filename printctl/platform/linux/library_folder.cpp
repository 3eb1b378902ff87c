// Linux: the library's folder is that of the shared object holding this code (dladdr answers for
// any address in a loaded object).
#include "printctl/library_platform.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace printctl {

std::string libraryFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&libraryFolder), &info) != 0 && info.dli_fname) {
        std::error_code ec;
        std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec)
            return file.parent_path().string();
    }
    return systemPlatform().programFolder();
}

} // namespace printctl
