#include "printctl/replace_file.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace printctl {

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A new file beside target (the same file system, so that rename() replaces target in one step);
// mode 0666 narrowed by the umask, as for any new file.
int createTemp(const std::filesystem::path& target, std::filesystem::path& temp) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temp = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

} // namespace

bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes) {
    struct stat original {};
    bool existed = ::stat(target.c_str(), &original) == 0;
    if (existed && !S_ISREG(original.st_mode))
        return false;
    // A read-only file stays as it is, as on Windows, where it cannot be opened for writing;
    // rename() alone would replace it.
    if (existed && ::access(target.c_str(), W_OK) != 0)
        return false;
    std::filesystem::path temp;
    int fd = createTemp(target, temp);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    if (ok && existed)
        ok = ::fchmod(fd, original.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the file is complete either way.
    std::filesystem::path folder = target.parent_path();
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace printctl
