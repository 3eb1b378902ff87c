// The office processes on Linux: fork/exec, a parent-death signal for private offices, a new
// session for the user's.
#include "citylink/sheets/calc/office_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace sheets::calc {
namespace {

// argv for execv, built before fork: after fork in a process with threads (the UNO bridge has
// some) only async-signal-safe calls are allowed until exec.
std::vector<char*> argvOf(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

[[noreturn]] void execQuiet(const std::string& program, std::vector<char*>& argv, int devNull) {
    if (devNull >= 0) {
        dup2(devNull, STDIN_FILENO);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    execv(program.c_str(), argv.data());
    _exit(127);
}

std::runtime_error spawnError(const std::string& program) {
    return std::runtime_error("cannot start " + program + ": " + std::strerror(errno));
}

} // namespace

ProcessId SpawnChild(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv = argvOf(program, args);
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        if (devNull >= 0)
            close(devNull);
        throw spawnError(program);
    }
    if (pid == 0) {
        // Dies with the parent; if the parent is already gone, do not start at all.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        execQuiet(program, argv, devNull);
    }
    if (devNull >= 0)
        close(devNull);
    return pid;
}

void SpawnDetached(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv = argvOf(program, args);
    int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_t pid = fork();
    if (pid < 0) {
        if (devNull >= 0)
            close(devNull);
        throw spawnError(program);
    }
    if (pid == 0) {
        // The intermediate child starts a new session and leaves at once, so the office is
        // nobody's child here and leaves no zombie behind.
        setsid();
        pid_t grandchild = fork();
        if (grandchild != 0)
            _exit(grandchild < 0 ? 127 : 0);
        execQuiet(program, argv, devNull);
    }
    if (devNull >= 0)
        close(devNull);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("cannot start " + program);
}

std::optional<int> ExitStatus(ProcessId pid) {
    int status = 0;
    pid_t r = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    if (r == 0)
        return std::nullopt;
    if (r < 0)
        return errno == ECHILD ? std::optional<int>(-1) : std::nullopt;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return std::nullopt;
}

void StopChild(ProcessId pid, std::chrono::milliseconds grace) noexcept {
    if (pid <= 0)
        return;
    auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline) {
        if (ExitStatus(pid))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(static_cast<pid_t>(pid), SIGKILL);
    int status = 0;
    while (waitpid(static_cast<pid_t>(pid), &status, 0) < 0 && errno == EINTR) {
    }
}

ProcessId CurrentProcessId() {
    return static_cast<ProcessId>(getpid());
}

std::string CurrentUserId() {
    return std::to_string(getuid());
}

std::filesystem::path MakePrivateTempFolder(const std::string& prefix) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "XXXXXX";
    // mkdtemp creates the folder with mode 0700.
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder under " +
                                 std::filesystem::path(pattern).parent_path().string() + ": " +
                                 std::strerror(errno));
    return pattern;
}

void SetEnvironmentDefault(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 0);
}

} // namespace sheets::calc
