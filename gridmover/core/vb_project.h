#pragma once
// What the migration needs to know of a VB6 project file (.vbp): its components with their files
// (the text file and, for designers that have one, the binary companion) and its code files.
// The development environment supplies this on Windows; the host and the command-line tool on
// Linux read it here.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gridmover {

struct VbComponent {
    std::string kind;                         // "Form", "UserControl", "Designer", "Module", ...
    std::string name;                         // the component's VB_Name (file stem if none)
    std::vector<std::filesystem::path> files; // 1 = text file, 2 = binary companion (if any)
};

struct VbProject {
    std::filesystem::path file;
    std::vector<VbComponent> components; // in the project file's order
    // The "Module=" and "Class=" entries, in order: the code files the migration converts.
    std::vector<std::filesystem::path> codeFiles;
};

// A file path as a project file writes it (CP932 text, "\" separators) as a path of this system.
// Relative paths are joined to folder; absolute ones ("C:\...", "\\server\...", "/...") are taken
// as they are, a drive letter through the Wine prefix's dosdevices folder. When the path does not
// exist as written, a file whose name differs only in letter case is taken (file_access.h).
std::filesystem::path ProjectEntryPath(std::string_view entry, const std::filesystem::path& folder);

// Reads the project file. Throws std::runtime_error when it cannot be read. Components whose files
// are missing are listed all the same (the converters then report the missing file); a designer's
// binary companion is listed when it exists or when the designer refers to it.
VbProject ReadVbProject(const std::filesystem::path& vbp);

} // namespace gridmover
