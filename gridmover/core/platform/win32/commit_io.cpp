// The commit's file operations on Windows. Every call takes the path in its wide form (the file
// names of a Japanese project are not all ASCII), and a failure comes back as the errno value of
// the same meaning, so that the commit decides alike on both platforms (EEXIST: a leftover second
// name; EXDEV: another volume, go by a copy).
#include "gridmover/core/commit_io.h"

#include "foundation/platform/win32/windows_include.h"

#include <cerrno>

namespace gridmover {

namespace {

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return EPERM; // a file system without hard links
    default:
        return EIO;
    }
}

int lastError() {
    const int e = errnoOf(GetLastError());
    return e != 0 ? e : EIO;
}

bool writeAll(HANDLE h, std::string_view text) {
    while (!text.empty()) {
        DWORD chunk = static_cast<DWORD>(text.size() < (1u << 30) ? text.size() : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, text.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        text.remove_prefix(written);
    }
    return true;
}

// A file another program holds open without letting others delete it (an editor, a virus
// scanner that looks at every new file) refuses a rename over it, mostly for a moment. Such a
// refusal is tried again for half a second before the commit fails on it (and undoes itself).
// A file held open with deletion shared (as most readers open files) is replaced at once.
bool isTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED;
}

// Whether file exists and may be deleted now: no one holds it open without deletion shared.
bool mayBeDeleted(const std::filesystem::path& file) {
    HANDLE h =
        CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(h);
    return true;
}

class SystemIo : public CommitIo {
public:
    int Stat(const std::filesystem::path& file, FileStatus& status) override {
        // Folders too (the commit asks for the volume of an original's folder).
        HANDLE h = CreateFileW(file.c_str(), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return lastError();
        }
        BY_HANDLE_FILE_INFORMATION info{};
        const bool ok = GetFileInformationByHandle(h, &info);
        const int e = ok ? 0 : lastError();
        CloseHandle(h);
        if (!ok) {
            return e;
        }
        status.device = info.dwVolumeSerialNumber;
        status.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
        status.permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        return 0;
    }
    int Link(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return CreateHardLinkW(to.c_str(), from.c_str(), nullptr) ? 0 : lastError();
    }
    int Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        // One step, as rename() on Linux: an existing target is replaced, and the new name is on
        // the disk when this returns.
        // A folder in the new name's place is never replaced (rename() refuses it as well; Wine's
        // MoveFileExW would move the file into it).
        const DWORD target = GetFileAttributesW(to.c_str());
        if (target != INVALID_FILE_ATTRIBUTES && (target & FILE_ATTRIBUTE_DIRECTORY)) {
            return EISDIR;
        }
        DWORD error = ERROR_SUCCESS;
        for (int attempt = 0; attempt < 10; ++attempt) {
            if (MoveFileExW(from.c_str(), to.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return 0;
            }
            error = GetLastError();
            if (!isTransient(error)) {
                break;
            }
            Sleep(50);
        }
        // A target another program holds open, deletion shared, refuses a rename onto its name,
        // but takes new content by ReplaceFileW, which moves the open file aside instead. Only
        // then: held without deletion shared, ReplaceFileW fails as well (and Wine's leaves a
        // temporary file behind when it does).
        if (isTransient(error) && mayBeDeleted(to) &&
            ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr, nullptr)) {
            return 0;
        }
        const int e = errnoOf(error);
        return e != 0 ? e : EIO;
    }
    int Unlink(const std::filesystem::path& file) override {
        if (DeleteFileW(file.c_str())) {
            return 0;
        }
        // A read-only file is removed as unlink() removes it on Linux.
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_READONLY) &&
            SetFileAttributesW(file.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY)) {
            if (DeleteFileW(file.c_str())) {
                return 0;
            }
            const int e = lastError();
            SetFileAttributesW(file.c_str(), attributes);
            return e;
        }
        const int e = errnoOf(error);
        return e != 0 ? e : EIO;
    }
    int Chmod(const std::filesystem::path& file, unsigned permissions) override {
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            return lastError();
        }
        const DWORD wanted = (permissions & 0222) == 0 ? (attributes | FILE_ATTRIBUTE_READONLY)
                                                       : (attributes & ~FILE_ATTRIBUTE_READONLY);
        if (wanted == attributes) {
            return 0;
        }
        return SetFileAttributesW(file.c_str(), wanted) ? 0 : lastError();
    }
    int Copy(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return CopyFileW(from.c_str(), to.c_str(), FALSE) ? 0 : lastError();
    }
    int WriteDurably(const std::filesystem::path& file, std::string_view text) override {
        const std::filesystem::path next = std::filesystem::path(file).concat(L".new");
        HANDLE h = CreateFileW(next.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return lastError();
        }
        if (!writeAll(h, text) || !FlushFileBuffers(h)) {
            const int e = lastError();
            CloseHandle(h);
            DeleteFileW(next.c_str());
            return e;
        }
        if (!CloseHandle(h) || !MoveFileExW(next.c_str(), file.c_str(),
                                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const int e = lastError();
            DeleteFileW(next.c_str());
            return e;
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
