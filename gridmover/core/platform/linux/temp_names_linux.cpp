// Linux has no temporary-file function of that rule: the name is formed here.
#include "gridmover/core/temp_files.h"

#include <system_error>

namespace gridmover {

std::optional<std::filesystem::path> SystemTempFolder() {
    std::error_code ec;
    auto folder = std::filesystem::temp_directory_path(ec); // $TMPDIR, else /tmp
    if (ec) {
        return std::nullopt;
    }
    return folder;
}

std::filesystem::path TempFileNamed(const std::filesystem::path& folder, std::string_view prefix,
                                    unsigned unique) {
    return folder / TempFileNameFor(prefix, unique);
}

} // namespace gridmover
