#pragma once
// The few file operations the suite's formats need beyond reading a whole file (file_bytes.h),
// in one place so that each platform implements them once (platform/<os>/file_io.cpp).
#include <filesystem>
#include <string_view>

namespace fileio {

// Writes bytes to a fresh temporary file beside target, flushes it to the disk and moves it over
// target in one step, so that a reader finds either the old or the new file, never a part: a crash
// or a full disk half-way through an in-place rewrite would leave a truncated settings file.
// An existing target keeps its permissions (and, where the caller may, its owner). Refused, with
// target untouched: a target that is read-only (as on Windows, where it cannot be opened for
// writing; a plain rename would replace it), or that exists but is no regular file. Returns false
// on any failure; no temporary file is left behind. Where the platform allows, the new file is
// written unnamed, so that a process killed while writing leaves nothing either; temporaries that
// a killed writer left under this function's naming are removed by the next replacement of target.
// steps names the pause points (pause_point.h) a kill test stops the replacement at.
struct ReplaceSteps {
    const char* written = nullptr; // the new bytes are on the disk, the target not yet replaced
    const char* named = nullptr;   // the new file has its temporary name beside the target
};
bool ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                 const ReplaceSteps& steps = {});

// Creates file with bytes only when no file of that name exists yet (exclusive create), so that
// two writers never share one name. False when the name is taken or the write fails; a file that
// could not be written whole is removed again.
bool CreateNewFile(const std::filesystem::path& file, std::string_view bytes);

// True when file is an existing regular file that this process may not write.
bool IsReadOnlyFile(const std::filesystem::path& file);

// A file opened for appending whole records: each Append lands at the file's current end in one
// operation, so two processes writing the same file (two program instances logging the same day)
// interleave whole records, never parts of them.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile() { Close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens (creating when missing) file; false when it cannot. Closes what was open before.
    bool Open(const std::filesystem::path& file);
    bool IsOpen() const { return handle_ != kClosed; }
    // Appends record in one write; false on failure.
    bool Append(std::string_view record);
    void Close();

private:
    static constexpr long long kClosed = -1;
    long long handle_ = kClosed; // the platform's descriptor or handle
};

} // namespace fileio
