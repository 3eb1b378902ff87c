#pragma once
// File access the converters and the project reader share: whole-file bytes, the read-only
// attribute, and finding a file named with the wrong letter case (VB6 projects come from a
// case-insensitive file system; a project may name "SQLForm.frx" for the file SQLFORM.FRX).
#include <filesystem>
#include <string>
#include <string_view>

namespace gridmover {

// The whole file; throws std::runtime_error when it cannot be read.
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
// Writes all of bytes to the open descriptor fd and closes it (also on failure); file names it in
// the error. Throws std::runtime_error on failure.
void WriteAndClose(int fd, const std::filesystem::path& file, std::string_view bytes);

} // namespace gridmover
