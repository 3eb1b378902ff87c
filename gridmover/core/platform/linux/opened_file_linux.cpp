#include "gridmover/core/file_access.h"

#include <algorithm>
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

std::runtime_error tooLarge(const fs::path& file) {
    return std::runtime_error(file.string() + ": larger than " +
                              std::to_string(kMaxFileBytes >> 20) + " MB");
}

// The rest of the open file from where it stands into data; expected is its size as last seen.
// Never more than kMaxFileBytes: a file that claims more, or grows past it while being read, is
// refused.
void readDescriptor(int fd, std::size_t expected, const fs::path& file, std::string& data) {
    if (expected > kMaxFileBytes) {
        throw tooLarge(file);
    }
    // One byte more than the size asked for: a short read then shows the end without one more
    // call. A file that grew meanwhile is read on to its end or to the limit.
    data.assign(expected + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (got > kMaxFileBytes) {
                throw tooLarge(file);
            }
            data.resize(std::min(data.size() * 2, kMaxFileBytes + 1));
        }
        ssize_t n = ::read(fd, data.data() + got, data.size() - got);
        if (n < 0) {
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
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
        if (got == expected && got < data.size()) {
            break; // the whole file as its size said, and the read stopped short of more
        }
    }
    if (got > kMaxFileBytes) {
        throw tooLarge(file);
    }
    data.resize(got);
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
    readDescriptor(in.fd, size_, file, into);
}

} // namespace gridmover
