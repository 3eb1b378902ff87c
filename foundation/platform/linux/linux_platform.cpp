// Linux answers for the data-folder rule. The marker and the "Windows folder" keep the Windows
// installation's meaning: /etc/REDAZUDARUD.INI marks a shared installation whose data lives in
// /var/lib/KIRANODAT/; without it the data sits in ../dat beside the program's folder.
#include "foundation/platform.h"

#include <filesystem>
#include <system_error>

namespace {

class LinuxPlatform final : public Platform {
public:
    std::string programFolder() const override {
        std::error_code ec;
        auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec)
            return std::filesystem::current_path(ec).string();
        return exe.parent_path().string();
    }
    bool markerFileExists() const override {
        std::error_code ec;
        return std::filesystem::exists("/etc/REDAZUDARUD.INI", ec);
    }
    std::optional<std::string> windowsFolder() const override { return std::string("/var/lib"); }
    char separator() const override { return '/'; }
};

} // namespace

const Platform& systemPlatform() {
    static const LinuxPlatform platform;
    return platform;
}
