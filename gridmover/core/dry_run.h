#pragma once
// What a migration would change, read from the pending pairs before they are committed: a unified
// diff of every text file whose copy differs from the original, and every GUID replaced in the
// binary files.
#include "gridmover/core/mod_convert.h"

#include <filesystem>
#include <string>
#include <vector>

namespace gridmover {

struct TextFileChange {
    std::filesystem::path file; // the original
    std::string diff;           // UnifiedDiff of original and copy (UTF-8 for display)
};

struct PendingChanges {
    std::vector<TextFileChange> textFiles;
    std::vector<BlobPatch> binaryPatches; // file, byte offset, GUID name, in conversion order
};

// Reads the pending pairs of conv (it changes nothing). Throws std::runtime_error when a file
// cannot be read.
PendingChanges DescribePendingChanges(const modConvert& conv);

} // namespace gridmover
