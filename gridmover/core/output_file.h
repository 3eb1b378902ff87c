#pragma once
// A file open for writing, owned by its holder: the converters write each temporary file once,
// through the handle they got when the file was created, and the handle is closed on every way
// out. The platform code is in platform/<os>/output_file_*.cpp.
#include <filesystem>
#include <string_view>
#include <utility>

namespace gridmover {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(OutputFile&& other) noexcept : handle_(std::exchange(other.handle_, kClosed)) {}
    OutputFile& operator=(OutputFile&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, kClosed);
        }
        return *this;
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { Close(); }

    // An existing file opened for writing, emptied; not open when that fails.
    static OutputFile OpenExisting(const std::filesystem::path& file);
    // A new file created for writing, only when no file of that name exists; not open when that
    // fails, and nameTaken then says whether it failed because the name exists.
    static OutputFile CreateNew(const std::filesystem::path& file, bool& nameTaken);

    bool IsOpen() const { return handle_ != kClosed; }
    // Writes all of bytes and closes the file (also on failure); file names it in the error.
    // Throws std::runtime_error when the write or the close fails.
    void WriteAllAndClose(const std::filesystem::path& file, std::string_view bytes);
    void Close();

private:
    static constexpr long long kClosed = -1;
    explicit OutputFile(long long handle) : handle_(handle) {}
    long long handle_ = kClosed; // the platform's descriptor or handle
};

} // namespace gridmover
