#include "printctl/library_platform.h"

namespace printctl {
namespace {

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
