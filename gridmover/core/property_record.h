#pragma once
// The grid's property record in a designer file's binary companion (.frx/.ctx), where the
// control's GUIDs are stored: replacing them by the target version's is the binary half of a
// form's conversion.
#include "gridmover/core/convert_result.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace gridmover {

class GridVersion;

// The record at an OleObjectBlob offset: 4 bytes unused, 4 bytes little-endian length N, 16 bytes
// unused, then N bytes of property data.
inline constexpr std::size_t kRecordLengthAt = 4;
inline constexpr std::size_t kRecordHeaderBytes = 24;
// A GUID as stored in the property data.
inline constexpr std::size_t kStoredGuidBytes = 16;

// Where a GUID was replaced (byte position in the file) and its role name ("CLSID_MsDgrid").
using RecordPatchHits = std::vector<std::pair<std::uint64_t, std::string>>;

// Every GUID of version from in the record at offset of data replaced in place by the GUID of the
// same name of version to. kChanged, kUnchanged, or kFailed when the record does not fit in data;
// hits (if given) receive each replacement.
ConvertResult PatchPropertyRecord(std::string& data, std::uint32_t offset, const GridVersion& from,
                                  const GridVersion& to, RecordPatchHits* hits);
// The same on a file, whose record data is written back in place when anything changed (the file
// never changes its length). kFailed also when the file cannot be read or written.
ConvertResult PatchPropertyRecordInFile(const std::filesystem::path& file, std::uint32_t offset,
                                        const GridVersion& from, const GridVersion& to,
                                        RecordPatchHits& hits);

} // namespace gridmover
