#pragma once
// Starting and stopping office processes (POSIX; no UNO here).
#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace sheets::calc {

// Starts `program` with `args` as a child of this process whose output goes to /dev/null and
// which is killed by the kernel when this process ends, however it ends (a crashed test, a
// killed batch run): a private office must never outlive its owner. Throws std::runtime_error
// when the process cannot be created.
pid_t SpawnChild(const std::string& program, const std::vector<std::string>& args);

// Starts `program` with `args` detached from this process (a new session, not a child, output to
// /dev/null): the user's office outlives the program that started it. Throws std::runtime_error.
void SpawnDetached(const std::string& program, const std::vector<std::string>& args);

// The exit status of a child that has ended (128 + signal number for a signal), reaping it;
// nullopt while it runs.
std::optional<int> ExitStatus(pid_t pid);

// Waits up to `grace` for the child to end by itself, then kills it and reaps it. Never throws.
void StopChild(pid_t pid, std::chrono::milliseconds grace) noexcept;

} // namespace sheets::calc
