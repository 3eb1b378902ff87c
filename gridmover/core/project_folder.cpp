#include "gridmover/core/project_folder.h"

#include <algorithm>
#include <system_error>
#include <unordered_set>

namespace gridmover {

namespace fs = std::filesystem;

namespace {

fs::path canonicalOrAbsolute(const fs::path& p) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(p, ec);
    if (ec) {
        real = fs::absolute(p, ec).lexically_normal();
    }
    return real;
}

} // namespace

fs::path RealPaths::Of(const fs::path& file, bool* isLink) {
    std::error_code ec;
    if (isLink != nullptr) {
        *isLink = false;
    }
    const fs::path name = file.filename();
    if (name.empty() || name == "." || name == "..") {
        return canonicalOrAbsolute(file);
    }
    // Only a file that is itself a link needs a resolution of its own.
    const fs::file_status self = fs::symlink_status(file, ec);
    if (fs::is_symlink(self) || (ec && self.type() != fs::file_type::not_found)) {
        if (isLink != nullptr) {
            *isLink = fs::is_symlink(self);
        }
        return canonicalOrAbsolute(file);
    }
    const fs::path parent = file.has_parent_path() ? file.parent_path() : fs::path(".");
    auto at = folders_.find(parent);
    if (at == folders_.end()) {
        at = folders_.emplace(parent, canonicalOrAbsolute(parent)).first;
    }
    return at->second / name;
}

bool IsInsideFolder(const fs::path& realFile, const fs::path& realFolder) {
    // On the paths' text: both are absolute and normal, and this runs for every file.
    constexpr auto separator = fs::path::preferred_separator;
    const fs::path::string_type& file = realFile.native();
    fs::path::string_type folder = realFolder.native();
    if (folder.empty() || folder.back() != separator) {
        folder += separator;
    }
    return file.compare(0, folder.size(), folder) == 0 || file + separator == folder;
}

fs::path RealProjectFolder(const VbProject& project) {
    const fs::path parent = project.file.has_parent_path() ? project.file.parent_path() : ".";
    return canonicalOrAbsolute(parent);
}

std::vector<fs::path> FilesOutsideProject(const VbProject& project) {
    RealPaths real;
    const fs::path folder = RealProjectFolder(project);
    std::vector<fs::path> outside;
    std::unordered_set<fs::path::string_type> seen;
    auto check = [&](const fs::path& file) {
        fs::path r = real.Of(file);
        if (!IsInsideFolder(r, folder) && seen.insert(r.native()).second) {
            outside.push_back(std::move(r));
        }
    };
    check(project.file);
    for (const auto& c : project.components) {
        // Only designers with a binary companion are converted; the code files follow below.
        if (c.files.size() >= 2) {
            check(c.files[0]);
            check(c.files[1]);
        }
    }
    for (const auto& f : project.codeFiles) {
        check(f);
    }
    return outside;
}

} // namespace gridmover
