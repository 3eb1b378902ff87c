#pragma once
// Whether two names name one file, as the output guard asks it (output_guard.h). The file
// system's own answer for files that exist (Linux: device and inode; Windows: volume and file
// index); for a name that does not exist yet, the resolved paths compared as the platform's file
// names compare (Windows ignores letter case). platform/<os>/file_identity.cpp.
#include <filesystem>

namespace citylink {

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

} // namespace citylink
