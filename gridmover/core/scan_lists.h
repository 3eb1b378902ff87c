#pragma once
// Which grid versions the migration dialog offers: the display order of the source list, the rows
// that may be targets, and the pure rule that turns "which rows are installed" into both lists.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gridmover {

class GridVersions;
class Registry;

// Source list order: the platform grid first, then the Lumatab versions oldest to newest.
constexpr std::array<std::int16_t, 13> kScanDisplayOrder{1, 3, 2, 6, 5, 4, 9, 7, 8, 10, 11, 12, 13};
// The current versions, the only ones a project can be migrated to.
constexpr std::array<std::int16_t, 2> kTargetRows{12, 13};

struct VersionListEntry {
    std::string displayName; // as shown in the list
    std::int16_t row;        // catalogue row number: the entry's item data
    bool operator==(const VersionListEntry&) const = default;
};

struct VersionLists {
    std::vector<VersionListEntry> from; // every installed version, in display order
    std::vector<VersionListEntry> to;   // the installed target versions
};

// The lists for the rows for which registered(row) is true. The dialog selects the first entry of
// each list that is not empty.
VersionLists BuildVersionLists(const std::function<bool(std::int16_t row)>& registered);
// The same from a catalogue and a registry (the program passes Versions(), loaded, and the
// platform's DefaultRegistry(); tests their own).
VersionLists ScanInstalledVersions(const GridVersions& versions, const Registry& registry);

} // namespace gridmover
