#include "foundation/module1.h"

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

} // namespace Module1
