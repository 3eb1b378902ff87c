#pragma once
// The file operations a commit of pending files is made of, behind one interface: the real ones
// on the file system, and in tests a wrapper that fails any chosen one of them, so that the
// commit's all-or-nothing promise is proven for a failure at every step.
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace gridmover {

class CommitIo {
public:
    virtual ~CommitIo() = default;
    // Each returns 0 on success, else the errno value of the failure.
    virtual int Stat(const std::filesystem::path& file, struct stat& st) = 0;
    virtual int Link(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual int Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual int Unlink(const std::filesystem::path& file) = 0;
    virtual int Chmod(const std::filesystem::path& file, mode_t mode) = 0;
    // A new file to with the bytes of from (replacing one that exists).
    virtual int Copy(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // The file replaced by text, on disk before this returns (written to a new name, synced,
    // renamed over file, its folder synced).
    virtual int WriteDurably(const std::filesystem::path& file, std::string_view text) = 0;
};

// The real file system.
CommitIo& SystemCommitIo();

} // namespace gridmover
