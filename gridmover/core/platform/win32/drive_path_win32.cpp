#include "gridmover/core/drive_path.h"

#include "foundation/utf8_path.h"

#include <string>

namespace gridmover {

std::filesystem::path DriveLetterPath(char drive, std::string_view rest) {
    // Always from the drive's root: "C:Shared" (relative to the drive's current folder of some
    // other process) has no meaning for a project file.
    return utf8::toPath(std::string(1, drive) + ":/" + std::string(rest)).make_preferred();
}

} // namespace gridmover
