#include "gridmover/core/file_access.h"

#include "gridmover/core/bounded_read.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// OpenedFile on POSIX descriptors: plain descriptor calls, since a stream costs three seeks per
// file to learn the size and the migration reads every file of a project.
namespace gridmover {

namespace fs = std::filesystem;

namespace {

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// One read of the descriptor (see ReadSome).
std::size_t readSome(int fd, char* at, std::size_t room, const fs::path& file) {
    for (;;) {
        ssize_t n = ::read(fd, at, room);
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno == EINTR) {
            continue;
        }
        // A descriptor opened without blocking on a file system that honours that for files
        // too: wait for the data as any other read does.
        if ((errno == EAGAIN || errno == EWOULDBLOCK) &&
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
            continue;
        }
        throw std::runtime_error("cannot read " + file.string());
    }
}

std::size_t sizeOf(const struct stat& st) {
    return st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

} // namespace

OpenedFile::~OpenedFile() {
    if (handle_ != kClosed) {
        ::close(static_cast<int>(handle_));
    }
}

bool OpenedFile::Open(const fs::path& file) {
    if (handle_ != kClosed) {
        ::close(static_cast<int>(handle_));
        handle_ = kClosed;
    }
    // Not blocking: opening a pipe for reading would wait for a writer before its type is known.
    // For a regular file the flag changes nothing.
    int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    size_ = sizeOf(st);
    // The read-only attribute: no write permission bit at all.
    readOnly_ = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return true;
}

void OpenedFile::ReadAllAndClose(const fs::path& file, std::string& into) {
    Descriptor in{static_cast<int>(handle_)};
    handle_ = kClosed;
    if (in.fd < 0) {
        throw std::runtime_error("cannot read " + file.string());
    }
    const int fd = in.fd;
    ReadBounded(size_, file, into,
                [fd, &file](char* at, std::size_t room) { return readSome(fd, at, room, file); });
}

} // namespace gridmover
