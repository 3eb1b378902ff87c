#include "citylink/sheets/xlsx/save_file.h"

#include "citylink/sheets/xlsx/save_temporary.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace sheets::xlsx {

namespace {

namespace fs = std::filesystem;

// 0 or the errno of the failed write.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

} // namespace

unsigned long SaveProcessId() {
    return static_cast<unsigned long>(::getpid());
}

bool SaveProcessRunning(unsigned long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

void SaveWholeFile(const fs::path& out, std::string_view bytes) {
    const fs::path folder = PrepareSaveFolder(out);
    auto fail = [&](int error) { ThrowSaveFailure(out, std::strerror(error)); };

#ifdef O_TMPFILE
    if (saveTestHooks().unnamedFiles) {
        int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            SaveStep("created");
            int error = writeAll(fd, bytes);
            if (error != 0) {
                ::close(fd);
                fail(error);
            }
            SaveStep("written");
            // The unnamed file gets the output's name directly when that is free; an existing
            // output is replaced by a rename, which needs a name to rename from.
            const std::string self = "/proc/self/fd/" + std::to_string(fd);
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, out.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                ::close(fd);
                return;
            }
            error = errno;
            if (error == EEXIST) {
                fs::path temp = NextSaveTemporary(folder);
                if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) ==
                    0) {
                    ::close(fd);
                    SaveStep("named");
                    if (::rename(temp.c_str(), out.c_str()) == 0)
                        return;
                    error = errno;
                    ::unlink(temp.c_str());
                    fail(error);
                }
                error = errno;
            }
            ::close(fd);
            // Without /proc an unnamed file cannot be linked by an unprivileged process: the
            // named temporary below does the job then.
            if (error != ENOENT && error != EPERM && error != EXDEV && error != EOPNOTSUPP)
                fail(error);
        }
    }
#endif

    fs::path temp = NextSaveTemporary(folder);
    int fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        fail(errno);
    SaveStep("created");
    int error = writeAll(fd, bytes);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0) {
        SaveStep("written");
        if (::rename(temp.c_str(), out.c_str()) == 0)
            return;
        error = errno;
    }
    ::unlink(temp.c_str());
    fail(error);
}

} // namespace sheets::xlsx
