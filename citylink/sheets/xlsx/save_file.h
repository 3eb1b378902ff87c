#pragma once
// Writes a saved workbook as a whole file or not at all, even when the process is killed midway.
// The platform's code is in citylink/sheets/platform/<os>/save_file.cpp.
//
// On Linux the bytes go into an unnamed file of the target folder (O_TMPFILE) that gets its name
// only once it is complete (linkat), so a kill leaves nothing behind. Where the file system has
// no unnamed files, and on Windows, a temporary ".citylink-save-<pid>-<n>.tmp" is written and
// renamed; such a temporary of a process that no longer runs is removed by the next save into the
// folder.
#include <filesystem>
#include <functional>
#include <string_view>

namespace sheets::xlsx {

// Writes `bytes` as `out` (replacing an existing file). Throws AutomationError
// (kApplicationDefined) "ブックを保存できません: <name> (<reason>)"; nothing of the
// attempt is left then.
void SaveWholeFile(const std::filesystem::path& out, std::string_view bytes);

// Removes the save temporaries (ours, by their name) of processes that no longer run from the
// folder; what cannot be removed stays.
void RemoveStaleSaveTemporaries(const std::filesystem::path& folder);

// For tests: called at each step of a save ("created": the file to write exists, "written": its
// bytes are written, "named": a complete temporary has its name before replacing the output), so
// that a test can stop the process there; a whole program stops at them through its pause points
// ("save-created" and so on, see foundation/pause_point.h). `unnamedFiles` false takes the path
// of file systems without unnamed files.
struct SaveTestHooks {
    std::function<void(std::string_view step)> onStep;
    bool unnamedFiles = true;
};
SaveTestHooks& saveTestHooks();

} // namespace sheets::xlsx
