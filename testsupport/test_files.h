#pragma once
// Small file helpers for tests: a private scratch folder, whole-file byte access, fixtures.
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh empty folder under the system temp folder, removed with everything in it on destruction.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const {
        return path_ / std::filesystem::path(std::u8string(name.begin(), name.end()));
    }

private:
    std::filesystem::path path_;
};

// The whole file as bytes; throws std::runtime_error when it cannot be read.
std::string readBytes(const std::filesystem::path& file);
// Writes the bytes as the whole file (created or truncated); throws on failure.
void writeBytes(const std::filesystem::path& file, std::string_view bytes);
// A path from UTF-8 text (file names in this suite are often Japanese).
std::filesystem::path u8path(std::string_view utf8);
// The names (UTF-8) of what a folder holds: a test compares them to the names it expects left.
std::set<std::string> namesIn(const std::filesystem::path& folder);
// The source tree's root, from SUITE_SOURCE_DIR (set by CTest) or the build-time default.
std::filesystem::path sourceDir();

} // namespace testsupport
