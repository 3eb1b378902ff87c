#pragma once
// A whole file's bytes, read-only, for parsers that look at a file once from start to end.
// On Linux the file is mapped rather than copied: the attendance import is measured against a
// plain decode of the same file, and copying the file into fresh memory costs as much as the
// parsing itself on machines where first-touch page faults are dear.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class FileBytes {
public:
    enum class Error { None, NotFound, NotAFile, CannotOpen, TooLarge, CannotRead };

    // Reads (maps) the whole file, refusing files larger than maxBytes and anything that is not a
    // regular file (NotAFile: a folder, a FIFO, a device; refused without waiting on it). On
    // failure bytes() is empty and error() says why.
    FileBytes(const std::filesystem::path& file, std::uintmax_t maxBytes);
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

    Error error() const { return error_; }
    std::string_view bytes() const { return view_; }

private:
    Error error_ = Error::None;
    std::string_view view_;
    void* mapping_ = nullptr;
    std::size_t mappingSize_ = 0;
    std::string copy_; // files that cannot be mapped (kernel-made files of no size) are read
};
