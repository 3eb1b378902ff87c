#pragma once
// Where a project's files really are: each path with "..", "." and symbolic links resolved, and
// whether it lies inside the project's folder. VB6 projects may legitimately use files elsewhere
// (a module shared by several projects), but a project file may also name any file of the system
// ("../../etc/passwd", "C:\Windows\...", a folder that is a link out of the project): the
// migration touches files outside the folder only when the user has seen them listed and agreed.
#include "gridmover/core/vb_project.h"

#include <filesystem>
#include <map>
#include <vector>

namespace gridmover {

// Real paths of files, each folder resolved once: the files of a project share a few folders,
// and resolving a whole path looks up every one of its components.
class RealPaths {
public:
    // The file's absolute path with ".", ".." and links resolved (as far as it exists). isLink (if
    // given) tells whether the file itself is a symbolic link.
    std::filesystem::path Of(const std::filesystem::path& file, bool* isLink = nullptr);

private:
    std::map<std::filesystem::path, std::filesystem::path> folders_;
};

// Whether realFile (a RealPaths result) is realFolder itself or lies below it.
bool IsInsideFolder(const std::filesystem::path& realFile, const std::filesystem::path& realFolder);

// The project's folder: the real folder of the project file as the user named it.
std::filesystem::path RealProjectFolder(const VbProject& project);

// Every file the migration of project would rewrite (project file, designer files and their
// binary companions, code files) whose real path lies outside the project's folder, as real
// paths, in the project's order, each once. This is the list the user confirms before such files
// are touched (ConvertProjectFiles' allowedOutside).
std::vector<std::filesystem::path> FilesOutsideProject(const VbProject& project);

} // namespace gridmover
