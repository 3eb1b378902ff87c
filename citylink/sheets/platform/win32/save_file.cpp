// Windows has no unnamed files: the bytes go into a temporary ".citylink-save-<pid>-<n>.tmp" of
// the output's folder, flushed to the disk, which MoveFileExW then puts in the output's place in
// one step. A temporary that a killed process left is removed by the next save into the folder
// once no process of that id runs.
#include "citylink/sheets/xlsx/save_file.h"

#include "citylink/sheets/xlsx/save_temporary.h"
#include "foundation/utf8_path.h"

#include "foundation/platform/win32/windows_include.h"

#include <algorithm>
#include <string>

namespace sheets::xlsx {

namespace {

namespace fs = std::filesystem;

// 0 or the error of the failed write.
DWORD writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
}

// The system's own wording of the error, in the user's language, as UTF-8.
std::string systemMessage(DWORD error) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out;
    if (n > 0 && text)
        out = utf8::fromPath(fs::path(std::wstring(text, n)));
    LocalFree(text);
    return out.empty() ? "error " + std::to_string(error) : out;
}

} // namespace

unsigned long SaveProcessId() {
    return GetCurrentProcessId();
}

bool SaveProcessRunning(unsigned long pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool alive = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return alive;
}

void SaveWholeFile(const fs::path& out, std::string_view bytes) {
    const fs::path folder = PrepareSaveFolder(out);
    auto fail = [&](DWORD error) {
        std::string reason = systemMessage(error);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                                   reason.back() == ' ' || reason.back() == '.'))
            reason.pop_back();
        ThrowSaveFailure(out, reason);
    };

    // A read-only output stays as it is, as Windows itself keeps it from being replaced (Wine's
    // MoveFileExW would replace it).
    const DWORD attributes = GetFileAttributesW(out.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        fail(ERROR_ACCESS_DENIED);
    // A name of this process's id may be taken by the temporary of a killed process that had the
    // same id before (Windows hands ids out again soon): the next number is tried then.
    fs::path temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = NextSaveTemporary(folder);
        h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE)
        fail(GetLastError());
    SaveStep("created");
    DWORD error = writeAll(h, bytes);
    if (error == 0 && !FlushFileBuffers(h))
        error = GetLastError();
    if (!CloseHandle(h) && error == 0)
        error = GetLastError();
    if (error == 0) {
        SaveStep("written");
        if (MoveFileExW(temp.c_str(), out.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return;
        error = GetLastError();
    }
    DeleteFileW(temp.c_str());
    fail(error);
}

} // namespace sheets::xlsx
