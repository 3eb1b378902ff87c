#pragma once
// File access the converters and the project reader share: whole-file bytes, the read-only
// attribute, and finding a file named with the wrong letter case (VB6 projects come from a
// case-insensitive file system; a project may name "SQLForm.frx" for the file SQLFORM.FRX).
#include <filesystem>
#include <string>
#include <string_view>

namespace gridmover {

// The largest file the migration reads. A project's source files are far smaller (a 50 MB form is
// already extreme); the bound keeps a file that never ends (a link to a device, a file that keeps
// growing) from taking all memory.
inline constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

// The whole file; throws std::runtime_error, naming the file, when it cannot be read, is not a
// regular file (a pipe or a device is never waited for) or holds more than kMaxFileBytes.
std::string ReadFileBytes(const std::filesystem::path& file);
// Replaces the file's content; throws std::runtime_error on failure.
void WriteFileBytes(const std::filesystem::path& file, std::string_view bytes);
// Whether the file carries the read-only attribute; on Linux: no write permission bit at all.
// Throws std::filesystem::filesystem_error when the file does not exist.
bool IsReadOnlyFile(const std::filesystem::path& file);
// p itself when it exists; otherwise the existing path whose components equal those of p ignoring
// ASCII letter case (one unambiguous match per component); otherwise p unchanged.
std::filesystem::path ResolvePathCaseInsensitive(const std::filesystem::path& p);
// ResolvePathCaseInsensitive, also giving the status of the path it returns (file_type::not_found
// when that does not exist): one look-up of the file where the caller needs both.
std::filesystem::path ResolvePathCaseInsensitive(const std::filesystem::path& p,
                                                 std::filesystem::file_status& status);
// IsReadOnlyFile on a status already taken (which must be of an existing file).
bool IsReadOnlyStatus(const std::filesystem::file_status& status);
// A regular file opened by its name for reading, its attributes taken from the open file: where a
// caller needs a file's existence, its read-only attribute and its bytes, the name is looked up
// once (each look-up walks the whole path, and a migration does it for every file of a project),
// and the bytes read are those of the file whose attributes were checked.
class OpenedFile {
public:
    OpenedFile() = default;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile();
    // False, with nothing open, when file cannot be opened for reading or is not a regular file:
    // the caller then goes the way by name (a missing name may differ in letter case only), and
    // a pipe or a device is never waited for here.
    bool Open(const std::filesystem::path& file);
    bool IsOpen() const { return handle_ != kClosed; }
    // IsReadOnlyFile for the open file.
    bool IsReadOnly() const;
    // The whole file (ReadFileBytes on the open file) into a buffer the caller keeps (its storage
    // is reused); the file is closed then. file names it in the error. Throws std::runtime_error
    // when it cannot be read or holds more than kMaxFileBytes.
    void ReadAllAndClose(const std::filesystem::path& file, std::string& into);

private:
    static constexpr long long kClosed = -1;
    long long handle_ = kClosed; // the platform's descriptor or handle
    std::size_t size_ = 0;
    bool readOnly_ = false;
};

} // namespace gridmover
