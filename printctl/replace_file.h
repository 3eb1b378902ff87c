#pragma once
// Writing a whole small file so that a reader finds either the old or the new one, never a part.
#include <filesystem>
#include <string_view>

namespace printctl {

// Writes bytes to a fresh temporary file beside target, flushes it to the disk and renames it over
// target. On failure target is unchanged, the temporary file is gone, and the result is false.
// An existing target keeps its permissions.
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes);

} // namespace printctl
