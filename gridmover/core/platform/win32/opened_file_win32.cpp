// OpenedFile over a Windows file handle: the attributes (regular file, read-only) come from the
// open handle, so the bytes read are those of the file that was checked.
#include "gridmover/core/file_access.h"

#include "foundation/platform/win32/windows_include.h"
#include "foundation/utf8_path.h"
#include "gridmover/core/bounded_read.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace gridmover {

namespace fs = std::filesystem;

namespace {

HANDLE handleOf(long long handle) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle));
}

// Closes the handle on every way out.
struct Handle {
    HANDLE h;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
};

// One read of the handle (see ReadSome).
std::size_t readSome(HANDLE h, char* at, std::size_t room, const fs::path& file) {
    DWORD n = 0;
    if (!ReadFile(h, at, static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30)), &n, nullptr)) {
        throw std::runtime_error("cannot read " + utf8::fromPath(file));
    }
    return n;
}

} // namespace

OpenedFile::~OpenedFile() {
    if (handle_ != kClosed) {
        CloseHandle(handleOf(handle_));
    }
}

bool OpenedFile::Open(const fs::path& file) {
    if (handle_ != kClosed) {
        CloseHandle(handleOf(handle_));
        handle_ = kClosed;
    }
    // Others may go on reading and writing the file (the development environment keeps a
    // project's files open); a folder cannot be opened this way, a pipe or a device is refused
    // below by its type.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))) {
        CloseHandle(h);
        return false;
    }
    handle_ = static_cast<long long>(reinterpret_cast<INT_PTR>(h));
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    size_ = size > kMaxFileBytes ? kMaxFileBytes + 1 : static_cast<std::size_t>(size);
    readOnly_ = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    return true;
}

void OpenedFile::ReadAllAndClose(const fs::path& file, std::string& into) {
    Handle in{handle_ == kClosed ? INVALID_HANDLE_VALUE : handleOf(handle_)};
    handle_ = kClosed;
    if (in.h == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot read " + utf8::fromPath(file));
    }
    const HANDLE h = in.h;
    ReadBounded(size_, file, into,
                [h, &file](char* at, std::size_t room) { return readSome(h, at, room, file); });
}

} // namespace gridmover
