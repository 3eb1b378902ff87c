#include "gridmover/core/run_folder.h"

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace gridmover {

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessIsRunning(long pid) {
    // EPERM: the process exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool IsOwnFolder(const std::filesystem::path& folder) {
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool MakeOwnFolder(const std::filesystem::path& folder) {
    if (::mkdir(folder.c_str(), 0700) == 0) {
        return true;
    }
    return errno == EEXIST && IsOwnFolder(folder);
}

} // namespace gridmover
