#include "gridmover/core/drive_path.h"

#include "gridmover/core/registry.h"

#include <cctype>
#include <string>

namespace gridmover {

std::filesystem::path DriveLetterPath(char drive, std::string_view rest) {
    // Wine names the drives' folders "c:", "d:", ... in lower case.
    const std::string letter(1, static_cast<char>(std::tolower(static_cast<unsigned char>(drive))));
    return WineRegistry::DefaultPrefix() / "dosdevices" / (letter + ":") / std::string(rest);
}

} // namespace gridmover
