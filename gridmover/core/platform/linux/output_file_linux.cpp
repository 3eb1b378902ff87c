#include "gridmover/core/output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace gridmover {

OutputFile OutputFile::OpenExisting(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    return fd < 0 ? OutputFile() : OutputFile(fd);
}

OutputFile OutputFile::CreateNew(const std::filesystem::path& file, bool& nameTaken) {
    // Created exclusively: fails when the name is taken.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    nameTaken = fd < 0 && errno == EEXIST;
    return fd < 0 ? OutputFile() : OutputFile(fd);
}

void OutputFile::Close() {
    if (handle_ != kClosed) {
        ::close(static_cast<int>(handle_));
        handle_ = kClosed;
    }
}

void OutputFile::WriteAllAndClose(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            Close();
            throw std::runtime_error("cannot write " + file.string());
        }
        done += static_cast<std::size_t>(n);
    }
    handle_ = kClosed;
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

} // namespace gridmover
