#pragma once
// Reading and writing one key of a Windows profile (INI) file. Arguments and results are UTF-8;
// the file holds CP932 bytes and stays byte-compatible with the Windows profile functions.
// Argument order is always file, section, key (, value).
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace MdlSystemINI {

// The value of key in section, cut to at most 1023 bytes (never inside a double-byte character).
// Returns "" for a missing file (nothing is created), a missing section or key, or an empty value.
// Throws std::runtime_error when the file exists but cannot be read, cp932::Error when the value
// is not valid CP932 or a name has a character CP932 cannot hold.
std::string GetIniString(const std::filesystem::path& file, std::string_view section,
                         std::string_view key);

// Sets key in section to value, creating the file, section and key as needed; an empty value
// writes "key=". Every other byte of the file stays as it was; the file is replaced atomically.
// Temporaries of an earlier write killed half-way ("<file>.<pid>.<n>.tmp" of a process that is
// gone) are removed.
// Returns non-zero on success and 0 when the file cannot be written (a missing folder is a
// failure: it is not created; a read-only file is not replaced); on 0 the file is unchanged.
// Throws cp932::Error when a name or the value has a character CP932 cannot hold, and
// std::invalid_argument when they could not be read back (an empty name, a line break or NUL
// anywhere, ']' in the section, '=' in the key, a key starting with ';' or '['): the Windows
// functions would write such text and corrupt the file's structure.
long PutIniString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                  std::string_view value);

// Sets several keys of one section, in the given order, as PutIniString sets one, but in one
// replacement of the file: a reader, or a process killed half-way, sees all of them or none.
// Every key and value is checked before anything is written (the same exceptions).
long PutIniStrings(const std::filesystem::path& file, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& values);

} // namespace MdlSystemINI
