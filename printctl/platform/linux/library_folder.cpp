#include "printctl/library_platform.h"

#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace printctl {

namespace {

// The folder of the shared object that holds this function (dladdr answers for any address in
// a loaded object). Falls back to the program's folder when the library is linked statically.
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

// The marker and the shared folder are the system's; only the program folder differs.
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
