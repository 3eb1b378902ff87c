#include "gridmover/core/bounded_read.h"

#include "foundation/utf8_path.h"
#include "gridmover/core/file_access.h"

#include <algorithm>

namespace gridmover {

std::runtime_error FileTooLarge(const std::filesystem::path& file) {
    return std::runtime_error(utf8::fromPath(file) + ": larger than " +
                              std::to_string(kMaxFileBytes >> 20) + " MB");
}

void ReadBounded(std::size_t expected, const std::filesystem::path& file, std::string& data,
                 const ReadSome& readSome) {
    if (expected > kMaxFileBytes) {
        throw FileTooLarge(file);
    }
    // One byte more than the size asked for: a short read then shows the end without one more
    // call.
    data.assign(expected + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        if (got == data.size()) {
            if (got > kMaxFileBytes) {
                throw FileTooLarge(file);
            }
            data.resize(std::min(data.size() * 2, kMaxFileBytes + 1));
        }
        const std::size_t n = readSome(data.data() + got, data.size() - got);
        if (n == 0) {
            break;
        }
        got += n;
        if (got == expected && got < data.size()) {
            break; // the whole file as its size said, and the read stopped short of more
        }
    }
    if (got > kMaxFileBytes) {
        throw FileTooLarge(file);
    }
    data.resize(got);
}

} // namespace gridmover
