#pragma once
// What the Calc backend needs from the operating system to run office processes: starting and
// stopping them, a temporary folder for a private office's profile, and a few facts about this
// process. No UNO here; one implementation per platform (platform/<name>/office_process.cpp).
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sheets::calc {

// A process as the platform numbers it.
using ProcessId = long;

// Starts `program` with `args` as a child of this process whose output goes nowhere and which is
// killed when this process ends, however it ends (a crashed test, a killed batch run): a private
// office must never outlive its owner. Throws std::runtime_error when the process cannot be
// created.
ProcessId SpawnChild(const std::string& program, const std::vector<std::string>& args);

// Starts `program` with `args` detached from this process (not its child, output nowhere): the
// user's office outlives the program that started it. Throws std::runtime_error.
void SpawnDetached(const std::string& program, const std::vector<std::string>& args);

// The exit status of a child that has ended (128 + signal number for a signal), reaping it;
// nullopt while it runs.
std::optional<int> ExitStatus(ProcessId pid);

// Waits up to `grace` for the child to end by itself, then kills it and reaps it. Never throws.
void StopChild(ProcessId pid, std::chrono::milliseconds grace) noexcept;

// This process's id and the id of the user it runs as, as text for names (pipe names).
ProcessId CurrentProcessId();
std::string CurrentUserId();

// A new, empty folder only this user can enter, under the system's temporary folder (TMPDIR
// first), its name starting with `prefix`. Throws std::runtime_error.
std::filesystem::path MakePrivateTempFolder(const std::string& prefix);

// Sets the environment variable unless it is set already (the caller's setting wins).
void SetEnvironmentDefault(const char* name, const std::string& value);

} // namespace sheets::calc
