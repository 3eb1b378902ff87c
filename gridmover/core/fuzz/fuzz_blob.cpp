// PatchOleObjectBlob on arbitrary binary files. Input: 4 bytes offset (little-endian), 1 byte
// choosing the rows, then the file. Whatever the file holds, the patch never changes its length
// and never writes outside the record's data; the file-level function gives the same bytes as
// the in-memory one.
#include "gridmover/core/file_access.h"
#include "gridmover/core/grid_version.h"
#include "gridmover/core/mod_convert.h"
#include "gridmover/core/run_folder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace gridmover;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool loaded = (LoadGridVersions(), true);
    (void)loaded;
    if (size < 5) {
        return 0;
    }
    std::uint32_t offset =
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    const auto from = static_cast<std::int16_t>(1 + data[4] % 13);
    const auto to = static_cast<std::int16_t>((data[4] & 0x80) ? 13 : 12);
    const std::string original(reinterpret_cast<const char*>(data) + 5, size - 5);

    modConvert conv;
    std::string patched = original;
    int r = conv.PatchOleObjectBlobBytes(patched, offset, from, to, nullptr);
    if (patched.size() != original.size()) {
        std::abort();
    }
    if (r == -1 || r == 0) {
        if (patched != original) {
            std::abort();
        }
    } else {
        const std::uint64_t n =
            static_cast<unsigned char>(original[offset + 4]) |
            static_cast<unsigned char>(original[offset + 5]) << 8 |
            static_cast<unsigned char>(original[offset + 6]) << 16 |
            static_cast<std::uint64_t>(static_cast<unsigned char>(original[offset + 7])) << 24;
        const std::uint64_t begin = std::uint64_t{offset} + 24;
        if (patched.compare(0, begin, original, 0, begin) != 0 ||
            patched.compare(begin + n, std::string::npos, original, begin + n) != 0) {
            std::abort();
        }
    }

    // The same through a file.
    // One file per process: parallel fuzz jobs share the temporary folder.
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("gridmover-fuzz-blob-" + std::to_string(CurrentProcessId()));
    WriteFileBytes(file, original);
    int fileResult = conv.PatchOleObjectBlob(file, offset, from, to);
    const std::string onDisk = ReadFileBytes(file);
    if (fileResult != r || onDisk != patched) {
        std::abort();
    }
    return 0;
}
