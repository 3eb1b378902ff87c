#include "gridmover/core/file_access.h"

#include "gridmover/core/keyed_collection.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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

std::string ReadFileBytes(const fs::path& file) {
    // Plain descriptor calls: a stream costs three seeks per file to learn the size, and the
    // migration reads every file of a project. Not blocking: opening a pipe would wait for a
    // writer before its type is known.
    Descriptor in{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (in.fd < 0) {
        throw std::runtime_error("cannot open " + file.string());
    }
    struct stat st {};
    if (::fstat(in.fd, &st) != 0) {
        throw std::runtime_error("cannot read " + file.string());
    }
    if (!S_ISREG(st.st_mode)) {
        throw std::runtime_error(file.string() + ": not a regular file");
    }
    std::string data;
    readDescriptor(in.fd, sizeOf(st), file, data);
    return data;
}

OpenedFile::~OpenedFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool OpenedFile::Open(const fs::path& file) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
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
    fd_ = fd;
    size_ = sizeOf(st);
    mode_ = st.st_mode;
    return true;
}

bool OpenedFile::IsReadOnly() const {
    return (mode_ & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

void OpenedFile::ReadAllAndClose(const fs::path& file, std::string& into) {
    Descriptor in{fd_};
    fd_ = -1;
    if (in.fd < 0) {
        throw std::runtime_error("cannot read " + file.string());
    }
    readDescriptor(in.fd, size_, file, into);
}

void WriteAndClose(int fd, const fs::path& file, std::string_view bytes) {
    Descriptor out{fd};
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(out.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error("cannot write " + file.string());
        }
        done += static_cast<std::size_t>(n);
    }
    out.fd = -1;
    // Some file systems report a failed write only when the file is closed.
    if (::close(fd) != 0) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

void WriteFileBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

bool IsReadOnlyFile(const fs::path& file) {
    auto st = fs::status(file);
    if (!fs::exists(st)) {
        throw fs::filesystem_error("file not found", file,
                                   std::make_error_code(std::errc::no_such_file_or_directory));
    }
    return IsReadOnlyStatus(st);
}

bool IsReadOnlyStatus(const fs::file_status& status) {
    constexpr auto writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & writable) == fs::perms::none;
}

fs::path ResolvePathCaseInsensitive(const fs::path& p, fs::file_status& status) {
    std::error_code ec;
    status = fs::status(p, ec);
    if (fs::exists(status) || p.empty()) {
        return p; // the usual case: the name as written exists
    }
    fs::path resolved = ResolvePathCaseInsensitive(p);
    if (resolved != p) {
        status = fs::status(resolved, ec);
    }
    return resolved;
}

fs::path ResolvePathCaseInsensitive(const fs::path& p) {
    std::error_code ec;
    if (fs::exists(p, ec) || p.empty()) {
        return p;
    }
    fs::path resolved = p.root_path();
    bool first = true;
    for (const auto& part : p.relative_path()) {
        fs::path next = (first && resolved.empty()) ? part : resolved / part;
        first = false;
        if (fs::exists(next, ec) || part == "." || part == "..") {
            resolved = next;
            continue;
        }
        const fs::path folder = resolved.empty() ? fs::path(".") : resolved;
        fs::path match;
        int matches = 0;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            auto name = it->path().filename();
            if (EqualsIgnoringAsciiCase(name.string(), part.string())) {
                match = name;
                ++matches;
            }
        }
        if (matches != 1) {
            return p; // missing or ambiguous: leave the decision to whoever opens it
        }
        resolved = resolved.empty() ? match : resolved / match;
    }
    return resolved;
}

} // namespace gridmover
