#pragma once
// The folder that holds one run's temporary files: "gridmover-<process id>" in the system's
// temporary folder. A run that is killed leaves at most this one folder; the next run removes
// every such folder whose process is gone, so that no kill makes temporary files pile up.
#include <filesystem>
#include <string>

namespace gridmover {

// "gridmover-<pid>".
std::string RunFolderName(long pid);
// The process id a folder name carries, or -1 when name is no run folder's name.
long RunFolderProcess(const std::string& name);
// Removes, with everything in them, the run folders in parent whose process is no longer running
// and that belong to this user (another user's are not ours to judge). Errors are ignored.
void RemoveStaleRunFolders(const std::filesystem::path& parent);

// Platform calls (platform/linux/run_folder_linux.cpp).
long CurrentProcessId();
bool ProcessIsRunning(long pid);
// Creates folder for this user alone, or accepts it when it exists as a real folder (no link) of
// this user's; false otherwise (someone else's folder of that name is never written into).
bool MakeOwnFolder(const std::filesystem::path& folder);
// Whether folder is a real folder (no link) of this user's.
bool IsOwnFolder(const std::filesystem::path& folder);

} // namespace gridmover
