// Windows: the temporary file is written beside the target and put in its place with ReplaceFileW
// when the target exists (which keeps the target's attributes and security descriptor) or with
// MoveFileExW when it does not. Appending uses FILE_APPEND_DATA access, under which every WriteFile
// lands at the file's current end, as O_APPEND does on Linux.
#include "foundation/file_io.h"

#include "foundation/pause_point.h"

#include "foundation/platform/win32/windows_include.h"
#include <algorithm>
#include <atomic>
#include <string>

namespace fileio {
namespace {

bool writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

HANDLE createExclusive(const std::filesystem::path& file) {
    return CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

// A fresh temporary file beside target (same volume, so that the replacement is one step), named
// target.<pid>.<n>.tmp.
HANDLE createTemp(const std::filesystem::path& target, std::filesystem::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = target;
        candidate += L"." + std::to_wstring(GetCurrentProcessId()) + L"." +
                     std::to_wstring(counter++) + L".tmp";
        HANDLE h = createExclusive(candidate);
        if (h != INVALID_HANDLE_VALUE) {
            tempPath = candidate;
            return h;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

// Whether a write handle may be had (a file denied to us by its security descriptor is as
// read-only as one with the read-only attribute).
bool mayWrite(const std::filesystem::path& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return true;
    }
    return GetLastError() != ERROR_ACCESS_DENIED;
}

} // namespace

bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                 const ReplaceSteps& steps) {
    DWORD attributes = GetFileAttributesW(target.c_str());
    bool existed = attributes != INVALID_FILE_ATTRIBUTES;
    if (!existed && GetLastError() != ERROR_FILE_NOT_FOUND)
        return false; // a missing folder among others: it is never created
    if (existed &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY)))
        return false;
    if (existed && !mayWrite(target))
        return false;
    std::filesystem::path temp;
    HANDLE h = createTemp(target, temp);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = writeAll(h, bytes) && FlushFileBuffers(h);
    if (steps.written)
        pausePoint(steps.written);
    ok = CloseHandle(h) && ok;
    if (ok && steps.named)
        pausePoint(steps.named);
    // The new file takes the old one's attributes (hidden, system, ...): ReplaceFileW should carry
    // them over, but not every implementation does (Wine's does not).
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (ok && existed && (attributes & kKept))
        ok = SetFileAttributesW(temp.c_str(), attributes & kKept);
    if (ok && existed)
        ok = ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr);
    else if (ok)
        ok = MoveFileExW(temp.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool CreateNewFile(const std::filesystem::path& file, std::string_view bytes) {
    HANDLE h = createExclusive(file);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = writeAll(h, bytes);
    ok = CloseHandle(h) && ok;
    if (!ok)
        DeleteFileW(file.c_str());
    return ok;
}

bool IsReadOnlyFile(const std::filesystem::path& file) {
    DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return false;
    return (attributes & FILE_ATTRIBUTE_READONLY) || !mayWrite(file);
}

bool AppendFile::Open(const std::filesystem::path& file) {
    Close();
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the current end of the file,
    // whoever else appends to it. Others may read, append and delete meanwhile.
    HANDLE h = CreateFileW(file.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return false;
    }
    handle_ = static_cast<long long>(reinterpret_cast<INT_PTR>(h));
    return true;
}

bool AppendFile::Append(std::string_view record) {
    if (handle_ == kClosed)
        return false;
    // One WriteFile per record (records are far below the 1 GB chunk): never split by another
    // writer.
    return writeAll(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle_)), record);
}

void AppendFile::Close() {
    if (handle_ != kClosed)
        CloseHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle_)));
    handle_ = kClosed;
}

} // namespace fileio
