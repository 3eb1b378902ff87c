#include "foundation/file_io.h"

#include "foundation/pause_point.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fileio {
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

// Temporaries are named "<target>.<pid>.<n>.tmp" beside the target.
std::filesystem::path tempName(const std::filesystem::path& target, unsigned n) {
    std::filesystem::path name = target;
    name += "." + std::to_string(::getpid()) + "." + std::to_string(n) + ".tmp";
    return name;
}

// The process id of a temporary of ours for target, or 0 when name is no such name.
pid_t tempOwner(const std::string& targetName, const std::string& name) {
    if (name.size() <= targetName.size() + 1 || name.compare(0, targetName.size(), targetName) != 0)
        return 0;
    std::string_view rest(name);
    rest.remove_prefix(targetName.size());
    // ".<pid>.<n>.tmp"
    auto digits = [&](std::string_view& s) {
        std::size_t n = 0;
        while (n < s.size() && s[n] >= '0' && s[n] <= '9')
            ++n;
        std::string_view d = s.substr(0, n);
        s.remove_prefix(n);
        return d;
    };
    if (rest.empty() || rest.front() != '.')
        return 0;
    rest.remove_prefix(1);
    std::string_view pid = digits(rest);
    if (pid.empty() || pid.size() > 9 || rest.empty() || rest.front() != '.')
        return 0;
    rest.remove_prefix(1);
    if (digits(rest).empty() || rest != ".tmp")
        return 0;
    return static_cast<pid_t>(std::stol(std::string(pid)));
}

// Removes temporaries of ours beside target that a killed process left: their process is gone.
// A temporary of a live process (another program writing the same file now) is left alone.
void removeStaleTemps(const std::filesystem::path& target) {
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    const std::string targetName = target.filename().string();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        pid_t owner = tempOwner(targetName, it->path().filename().string());
        if (owner <= 0 || owner == ::getpid())
            continue;
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        if (it->is_regular_file(ignored))
            std::filesystem::remove(it->path(), ignored);
    }
}

// A fresh temporary file beside target (same folder, so that rename() replaces the target in one
// step on the same file system). The mode 0666 is narrowed by the umask as for any new file.
int createTemp(const std::filesystem::path& target, std::filesystem::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = tempName(target, counter++);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            tempPath = candidate;
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

// Gives the unnamed file fd (O_TMPFILE) a temporary name beside target.
bool linkTemp(int fd, const std::filesystem::path& target, std::filesystem::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = tempName(target, 1000000 + counter++);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            tempPath = candidate;
            return true;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

void pauseAt(const char* step) {
    if (step)
        pausePoint(step);
}

void syncFolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                 const ReplaceSteps& steps) {
    struct stat original {};
    bool existed = ::stat(target.c_str(), &original) == 0;
    if (!existed && errno != ENOENT)
        return false;
    if (existed && !S_ISREG(original.st_mode))
        return false;
    if (existed && ((original.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    removeStaleTemps(target);
    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    std::filesystem::path temp;
    // Unnamed where the file system allows (O_TMPFILE); a missing folder fails either way: it is
    // never created.
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    const bool unnamed = fd >= 0;
    if (!unnamed)
        fd = createTemp(target, temp);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    if (ok && existed) {
        ok = ::fchmod(fd, original.st_mode & 07777) == 0;
        // Root editing a user's file keeps it the user's; an ordinary user may not give a file
        // away, and then the new file stays the writer's.
        if (ok && ::fchown(fd, original.st_uid, original.st_gid) != 0) {
        }
    }
    ok = ok && ::fsync(fd) == 0;
    pauseAt(steps.written);
    if (ok && unnamed)
        ok = linkTemp(fd, target, temp);
    ok = (::close(fd) == 0) && ok;
    if (ok)
        pauseAt(steps.named);
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        if (!temp.empty())
            ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the file is complete either way.
    syncFolderOf(target);
    return true;
}

bool CreateNewFile(const std::filesystem::path& file, std::string_view bytes) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    ok = (::close(fd) == 0) && ok;
    if (!ok)
        ::unlink(file.c_str());
    return ok;
}

bool IsReadOnlyFile(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0;
}

bool AppendFile::Open(const std::filesystem::path& file) {
    Close();
    // O_APPEND: every write lands at the current end of the file, whoever else appends to it.
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    handle_ = fd;
    return true;
}

bool AppendFile::Append(std::string_view record) {
    if (handle_ == kClosed)
        return false;
    // One write(2) per record: with O_APPEND the record is never split by another writer.
    return writeAll(static_cast<int>(handle_), record);
}

void AppendFile::Close() {
    if (handle_ != kClosed)
        ::close(static_cast<int>(handle_));
    handle_ = kClosed;
}

} // namespace fileio
