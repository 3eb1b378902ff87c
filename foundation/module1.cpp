#include "foundation/module1.h"

#include <cmath>
#include <cstdio>
#include <type_traits>

namespace Module1 {

std::string DataFolderFor(bool markerExists, std::string_view windowsFolder,
                          std::string_view programFolder, char separator) {
    std::string folder;
    if (markerExists) {
        folder.append(windowsFolder);
        folder += separator;
        folder += "KIRANODAT";
    } else {
        folder.append(programFolder);
        folder += separator;
        folder += "..";
        folder += separator;
        folder += "dat";
    }
    folder += separator;
    return folder;
}

std::string GetWindowsFolder(const Platform& platform) {
    auto folder = platform.windowsFolder();
    return folder ? CutAtNul(*folder) : std::string();
}

std::string GetDataFolder(const Platform& platform) {
    bool marker = platform.markerFileExists();
    return DataFolderFor(marker, marker ? GetWindowsFolder(platform) : std::string(),
                         platform.programFolder(), platform.separator());
}

std::string CutAtNul(std::string_view text) {
    auto nul = text.find('\0');
    return std::string(nul == std::string_view::npos ? text : text.substr(0, nul));
}

std::string NullToStr(const Variant& value) {
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, Null>) {
                return {};
            } else if constexpr (std::is_same_v<T, std::string>) {
                return v;
            } else if constexpr (std::is_same_v<T, bool>) {
                return v ? "True" : "False";
            } else if constexpr (std::is_same_v<T, long long>) {
                return std::to_string(v);
            } else {
                if (!std::isfinite(v))
                    return {};
                char buf[32];
                std::snprintf(buf, sizeof buf, "%.15g", v);
                return buf;
            }
        },
        value);
}

} // namespace Module1
