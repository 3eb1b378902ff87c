// OutputFile over a Windows file handle, opened by the file's wide name.
#include "gridmover/core/output_file.h"

#include "foundation/platform/win32/windows_include.h"
#include "foundation/utf8_path.h"

#include <stdexcept>

namespace gridmover {

namespace {

HANDLE handleOf(long long handle) {
    return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle));
}

long long valueOf(HANDLE h) {
    return static_cast<long long>(reinterpret_cast<INT_PTR>(h));
}

} // namespace

OutputFile OutputFile::OpenExisting(const std::filesystem::path& file) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? OutputFile() : OutputFile(valueOf(h));
}

OutputFile OutputFile::CreateNew(const std::filesystem::path& file, bool& nameTaken) {
    // Created exclusively: fails when the name is taken.
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    // A name held by a file that is being deleted, or by a folder, is taken as well.
    nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                (error == ERROR_ACCESS_DENIED &&
                 GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES);
    return h == INVALID_HANDLE_VALUE ? OutputFile() : OutputFile(valueOf(h));
}

void OutputFile::Close() {
    if (handle_ != kClosed) {
        CloseHandle(handleOf(handle_));
        handle_ = kClosed;
    }
}

void OutputFile::WriteAllAndClose(const std::filesystem::path& file, std::string_view bytes) {
    HANDLE h = handleOf(handle_);
    while (!bytes.empty()) {
        const DWORD chunk =
            static_cast<DWORD>(bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) {
            Close();
            throw std::runtime_error("cannot write " + utf8::fromPath(file));
        }
        bytes.remove_prefix(written);
    }
    handle_ = kClosed;
    if (!CloseHandle(h)) {
        throw std::runtime_error("cannot write " + utf8::fromPath(file));
    }
}

} // namespace gridmover
