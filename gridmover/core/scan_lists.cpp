#include "gridmover/core/scan_lists.h"

#include "gridmover/core/grid_version.h"

#include <algorithm>

namespace gridmover {

VersionLists BuildVersionLists(const std::function<bool(std::int16_t row)>& registered) {
    VersionLists lists;
    for (std::int16_t row : kScanDisplayOrder) {
        if (!registered(row)) {
            continue;
        }
        lists.from.push_back({DisplayName(row), row});
        if (std::find(kTargetRows.begin(), kTargetRows.end(), row) != kTargetRows.end()) {
            lists.to.push_back({DisplayName(row), row});
        }
    }
    return lists;
}

VersionLists ScanInstalledVersions(const GridVersions& versions, const Registry& registry) {
    return BuildVersionLists(
        [&](std::int16_t row) { return versions.Item(row)->Registered(registry); });
}

} // namespace gridmover
