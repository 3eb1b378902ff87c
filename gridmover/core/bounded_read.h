#pragma once
// The rest of an open file into a buffer, never more than kMaxFileBytes. The platforms'
// OpenedFile (platform/<os>/opened_file_*.cpp) give only their read call.
#include <cstddef>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace gridmover {

// Reads at most `room` bytes to `at`: how many it read, 0 at the end of the file. Throws
// std::runtime_error when the file cannot be read.
using ReadSome = std::function<std::size_t(char* at, std::size_t room)>;

// The rest of the file from where it stands into data; expected is its size as seen when it was
// opened. A file that claims more than kMaxFileBytes, or grows past it while being read, is
// refused with FileTooLarge; a file that grew less is read on to its end.
void ReadBounded(std::size_t expected, const std::filesystem::path& file, std::string& data,
                 const ReadSome& readSome);

// "<file>: larger than 64 MB".
std::runtime_error FileTooLarge(const std::filesystem::path& file);

} // namespace gridmover
