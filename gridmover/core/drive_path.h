#pragma once
// Where a path with a drive letter, as a VB6 project written on Windows names a file outside its
// folder ("C:\Shared\modGrid.bas"), is on this system (platform/<os>/drive_path_<os>.cpp): on
// Windows that path itself; on Linux the file in the folder the Wine prefix maps the drive to
// ("<prefix>/dosdevices/c:/Shared/modGrid.bas").
#include <filesystem>
#include <string_view>

namespace gridmover {

// drive: the letter as written; rest: the UTF-8 path after "X:", "/"-separated, without a
// leading "/".
std::filesystem::path DriveLetterPath(char drive, std::string_view rest);

} // namespace gridmover
