#include "gridmover/core/dry_run.h"

#include "foundation/utf8_path.h"
#include "gridmover/core/file_access.h"
#include "gridmover/core/unified_diff.h"

namespace gridmover {

PendingChanges DescribePendingChanges(const modConvert& conv) {
    PendingChanges changes;
    const std::size_t n = std::min(conv.OriginalFiles.size(), conv.TempFiles.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i < conv.PendingKinds.size() && conv.PendingKinds[i] == PendingKind::Binary) {
            continue;
        }
        const auto& original = conv.OriginalFiles[i];
        std::string diff =
            UnifiedDiff(ReadFileBytes(original), ReadFileBytes(conv.TempFiles[i]),
                        utf8::fromPath(original), utf8::fromPath(original) + " (converted)");
        if (!diff.empty()) {
            changes.textFiles.push_back({original, std::move(diff)});
        }
    }
    changes.binaryPatches = conv.BlobPatches;
    return changes;
}

} // namespace gridmover
