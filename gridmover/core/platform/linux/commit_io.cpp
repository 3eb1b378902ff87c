// The commit's file operations on a POSIX file system.
#include "gridmover/core/commit_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace gridmover {

namespace {

int result(int rc) {
    return rc == 0 ? 0 : (errno != 0 ? errno : EIO);
}

// Writes all of text to fd.
bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

class SystemIo : public CommitIo {
public:
    int Stat(const std::filesystem::path& file, FileStatus& status) override {
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) {
            return result(-1);
        }
        status.device = static_cast<std::uint64_t>(st.st_dev);
        status.file = static_cast<std::uint64_t>(st.st_ino);
        status.permissions = static_cast<unsigned>(st.st_mode & 07777);
        return 0;
    }
    int Link(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return result(::link(from.c_str(), to.c_str()));
    }
    int Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return result(::rename(from.c_str(), to.c_str()));
    }
    int Unlink(const std::filesystem::path& file) override {
        return result(::unlink(file.c_str()));
    }
    int Chmod(const std::filesystem::path& file, unsigned permissions) override {
        return result(::chmod(file.c_str(), static_cast<mode_t>(permissions)));
    }
    int Copy(const std::filesystem::path& from, const std::filesystem::path& to) override {
        std::error_code ec;
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
        return ec ? (ec.value() != 0 ? ec.value() : EIO) : 0;
    }
    int WriteDurably(const std::filesystem::path& file, std::string_view text) override {
        const std::filesystem::path next = std::filesystem::path(file).concat(".new");
        int fd = ::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            return result(-1);
        }
        if (!writeAll(fd, text) || ::fsync(fd) != 0) {
            const int e = result(-1);
            ::close(fd);
            ::unlink(next.c_str());
            return e;
        }
        if (::close(fd) != 0 || ::rename(next.c_str(), file.c_str()) != 0) {
            const int e = result(-1);
            ::unlink(next.c_str());
            return e;
        }
        // The rename itself is on disk only once the folder is.
        const std::filesystem::path folder =
            file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return 0;
    }
};

} // namespace

CommitIo& SystemCommitIo() {
    static SystemIo io;
    return io;
}

} // namespace gridmover
