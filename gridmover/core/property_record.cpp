#include "gridmover/core/property_record.h"

#include "gridmover/core/file_access.h"
#include "gridmover/core/grid_version.h"

#include <array>
#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>

namespace gridmover {

namespace {

std::uint32_t le32(const std::string& d, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(d[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d[at + 3])) << 24;
}

// The 16 bytes of a GUID as stored in a binary file, in a buffer of their own (no allocation: a
// record is searched for every GUID of a version).
struct GuidBytes {
    explicit GuidBytes(const GUID& g) { g.ToBytes(bytes); }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
    }
    std::array<std::uint8_t, kStoredGuidBytes> bytes{};
};

} // namespace

ConvertResult PatchPropertyRecord(std::string& data, std::uint32_t offset, const GridVersion& f,
                                  const GridVersion& t, RecordPatchHits* hits) {
    // Offset and N come from files and are checked against the file before any use.
    const std::uint64_t size = data.size();
    if (std::uint64_t{offset} + kRecordHeaderBytes > size) {
        return kFailed;
    }
    const std::uint64_t n = le32(data, offset + kRecordLengthAt);
    const std::uint64_t begin = std::uint64_t{offset} + kRecordHeaderBytes;
    if (begin + n > size) {
        return kFailed;
    }
    std::string_view record(data.data() + begin, static_cast<std::size_t>(n));
    bool changed = false;
    for (const auto& g : f) {
        const GuidBytes needleBytes(*g);
        const std::string_view needle = needleBytes.view();
        std::optional<GuidBytes> replacement;
        for (std::size_t p = record.find(needle); p != std::string_view::npos;
             p = record.find(needle, p + kStoredGuidBytes)) {
            if (!replacement) {
                replacement.emplace(*t.Item(g->Name));
            }
            if (replacement->view() == needle) {
                break; // the same GUID in both versions: replacing it changes nothing
            }
            // In place: the record keeps its length, so record stays a view of data.
            std::memcpy(data.data() + begin + p, replacement->bytes.data(), kStoredGuidBytes);
            changed = true;
            if (hits != nullptr) {
                hits->emplace_back(begin + p, g->Name);
            }
        }
    }
    return changed ? kChanged : kUnchanged;
}

ConvertResult PatchPropertyRecordInFile(const std::filesystem::path& file, std::uint32_t offset,
                                        const GridVersion& from, const GridVersion& to,
                                        RecordPatchHits& hits) {
    try {
        std::string data = ReadFileBytes(file);
        ConvertResult r = PatchPropertyRecord(data, offset, from, to, &hits);
        if (r != kChanged) {
            return r;
        }
        // Only the record's data is written back, in place: the file never changes its length.
        std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
        const std::size_t begin = std::size_t{offset} + kRecordHeaderBytes;
        io.seekp(static_cast<std::streamoff>(begin));
        io.write(data.data() + begin,
                 static_cast<std::streamsize>(le32(data, offset + kRecordLengthAt)));
        io.close();
        if (!io) {
            return kFailed;
        }
        return kChanged;
    } catch (...) {
        return kFailed;
    }
}

} // namespace gridmover
