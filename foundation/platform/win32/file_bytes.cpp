// Windows: the file is read whole into memory (the files read this way are a few megabytes at
// most). Only disk files are read: a console, a pipe or a device name ("CON", "NUL") would block
// or deliver something other than a file's bytes.
#include "foundation/file_bytes.h"

#include "foundation/platform/win32/windows_include.h"
#include <algorithm>
#include <limits>

FileBytes::FileBytes(const std::filesystem::path& file, std::uintmax_t maxBytes) {
    DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD e = GetLastError();
        error_ = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME
                     ? Error::NotFound
                     : Error::CannotOpen;
        return;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error_ = Error::NotAFile;
        return;
    }
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = Error::CannotOpen;
        return;
    }
    LARGE_INTEGER size{};
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
        error_ = Error::NotAFile;
        CloseHandle(h);
        return;
    }
    if (static_cast<std::uintmax_t>(size.QuadPart) > maxBytes) {
        error_ = Error::TooLarge;
        CloseHandle(h);
        return;
    }
    copy_.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    // Read until the end, whatever the size said: a file growing meanwhile is still bounded.
    for (;;) {
        if (done == copy_.size()) {
            if (copy_.size() >= maxBytes)
                break;
            // One byte beyond the limit tells a file that grew past it; a limit of "any size"
            // must not wrap around to nothing.
            const std::uintmax_t past =
                maxBytes == std::numeric_limits<std::uintmax_t>::max() ? maxBytes : maxBytes + 1;
            copy_.resize(std::min<std::uintmax_t>(copy_.size() + (1 << 16), past));
        }
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(copy_.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(h, copy_.data() + done, want, &got, nullptr)) {
            error_ = Error::CannotRead;
            break;
        }
        if (got == 0)
            break;
        done += got;
        if (done > maxBytes) {
            error_ = Error::TooLarge;
            break;
        }
    }
    CloseHandle(h);
    if (error_ == Error::None) {
        copy_.resize(done);
        view_ = copy_;
    } else {
        copy_.clear();
    }
}

FileBytes::~FileBytes() = default;
