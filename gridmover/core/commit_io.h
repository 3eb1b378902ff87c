#pragma once
// The file operations a commit of pending files is made of, behind one interface: the real ones
// on the file system, and in tests a wrapper that fails any chosen one of them, so that the
// commit's all-or-nothing promise is proven for a failure at every step.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace gridmover {

// What a commit needs to know of a file, in the same form on every platform.
struct FileStatus {
    std::uint64_t device = 0; // the file system (volume) it is on: a rename stays within one
    std::uint64_t file = 0;   // which file it is there: two names of one file have the same
    unsigned permissions = 0; // the permission bits (07777) as chmod takes them; on Windows
                              // 0444 for a read-only file, else 0666
};

class CommitIo {
public:
    virtual ~CommitIo() = default;
    // Each returns 0 on success, else the errno value of the failure (a Windows error is given
    // as the errno value of the same meaning).
    virtual int Stat(const std::filesystem::path& file, FileStatus& st) = 0;
    virtual int Link(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual int Rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    virtual int Unlink(const std::filesystem::path& file) = 0;
    // Sets the permission bits; on Windows the read-only attribute, set when no write bit is.
    virtual int Chmod(const std::filesystem::path& file, unsigned permissions) = 0;
    // A new file to with the bytes of from (replacing one that exists).
    virtual int Copy(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // The file replaced by text, on disk before this returns (written to a new name, synced,
    // renamed over file, its folder synced).
    virtual int WriteDurably(const std::filesystem::path& file, std::string_view text) = 0;
};

// The real file system (platform/<os>/commit_io.cpp).
CommitIo& SystemCommitIo();

} // namespace gridmover
