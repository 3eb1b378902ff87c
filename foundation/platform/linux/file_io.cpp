#include "foundation/file_io.h"

#include <atomic>
#include <cerrno>
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

// A fresh temporary file beside target (same folder, so that rename() replaces the target in one
// step on the same file system), named target.<pid>.<n>.tmp. The mode 0666 is narrowed by the
// umask as for any new file.
int createTemp(const std::filesystem::path& target, std::filesystem::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
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

void syncFolderOf(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path();
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace

bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes) {
    struct stat original {};
    bool existed = ::stat(target.c_str(), &original) == 0;
    if (!existed && errno != ENOENT)
        return false;
    if (existed && !S_ISREG(original.st_mode))
        return false;
    if (existed && ((original.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    std::filesystem::path temp;
    int fd = createTemp(target, temp); // a missing folder fails here: it is never created
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
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
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
