#pragma once
// What the platforms' whole-file saves (platform/<os>/save_file.cpp) share: the names of the
// temporaries a save writes before the output gets its name, ".citylink-save-<pid>-<n>.tmp", the
// removal of those a killed process left, and the test steps. The process id in the name lets a
// later save tell the temporaries of a killed process (to remove) from those of a save still
// running (to keep).
#include <filesystem>
#include <string>
#include <string_view>

namespace sheets::xlsx {

// ".citylink-save-<pid>-<n>.tmp".
std::string SaveTemporaryName(unsigned long pid, unsigned n);

// The process id in a temporary's name: ".citylink-save-<pid>-<n>.tmp", or the same followed by
// ".XXXXXX" (the temporary an older version's zip library made beside it); 0 for other names.
unsigned long SaveTemporaryOwner(std::string_view name);

// A temporary's path in the folder not used before by this process (its id, the next number).
std::filesystem::path NextSaveTemporary(const std::filesystem::path& folder);

// The folder a save of `out` writes in ("." for a bare name), swept of the temporaries that
// killed processes left there (RemoveStaleSaveTemporaries).
std::filesystem::path PrepareSaveFolder(const std::filesystem::path& out);

// Throws the failed save's AutomationError: "ブックを保存できません: <name> (<reason>)".
[[noreturn]] void ThrowSaveFailure(const std::filesystem::path& out, std::string_view reason);

// A step of a save (see SaveTestHooks): the test hook, then the pause point "save-<name>".
void SaveStep(std::string_view name);

// The platform's side (platform/<os>/save_file.cpp): this process's id, and whether a process
// of that id runs (or may: one we may not look at counts as running).
unsigned long SaveProcessId();
bool SaveProcessRunning(unsigned long pid);

} // namespace sheets::xlsx
