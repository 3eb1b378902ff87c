#include "foundation/file_bytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

FileBytes::FileBytes(const std::filesystem::path& file, std::uintmax_t maxBytes) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        error_ = errno == ENOENT || errno == ENOTDIR ? Error::NotFound : Error::CannotOpen;
        return;
    }
    // Only regular files: opening a FIFO waits for a writer that never comes, and a device
    // (/dev/zero, /dev/urandom) never ends. Such a file is refused before it is opened at all.
    if (!S_ISREG(st.st_mode)) {
        error_ = Error::NotAFile;
        return;
    }
    // O_NONBLOCK: should the name be swapped for a FIFO after the check, the open still returns,
    // and the check below on what was opened refuses it.
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error_ = Error::CannotOpen;
        return;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error_ = Error::NotAFile;
        ::close(fd);
        return;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        error_ = Error::TooLarge;
        ::close(fd);
        return;
    }
    if (st.st_size > 0) {
        void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                         MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (p != MAP_FAILED) {
            mapping_ = p;
            mappingSize_ = static_cast<std::size_t>(st.st_size);
            view_ = std::string_view(static_cast<const char*>(p), mappingSize_);
            ::close(fd);
            return;
        }
    }
    // A file that cannot be mapped (empty, or made by the kernel with no size, as in /proc):
    // read what comes, up to the limit.
    char buffer[1 << 14];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error_ = Error::CannotRead;
            break;
        }
        if (got == 0)
            break;
        if (copy_.size() + static_cast<std::size_t>(got) > maxBytes) {
            error_ = Error::TooLarge;
            break;
        }
        copy_.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (error_ == Error::None)
        view_ = copy_;
    else
        copy_.clear();
}

FileBytes::~FileBytes() {
    if (mapping_)
        ::munmap(mapping_, mappingSize_);
}
