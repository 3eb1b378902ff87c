#pragma once
// The settings screen's view of the layout file "札幌市連携.INI": which screen field reads and
// writes which key, the fiscal years the screen offers, and the copy of a year's settings from the
// year before. Values are free text here: the screen neither checks nor converts them (the run's
// reader does, see layout_settings.h).
#include "citylink/core/attendance.h"
#include "foundation/dates.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

// What the screen shows of one fiscal year and care need.
struct LayoutScreenValues {
    std::string シート名; // p-0
    // Txt横(0..9): p-14, p-15, p-16, p-17, p-18, p-12, p-11, p-2, p-1, p-9.
    std::array<std::string, 10> 横;
    // Txtユーザ項目(0) "4-2" (reduction), (1) "4-1" (disability); shared by both care needs.
    std::array<std::string, 2> ユーザ項目;
    bool operator==(const LayoutScreenValues&) const = default;
};

// The item numbers of Txt横(0..9), after the care-need digit and "-".
inline constexpr std::array<std::string_view, 10> kTxt横Items = {"14", "15", "16", "17", "18",
                                                                 "12", "11", "2",  "1",  "9"};

// The fiscal years the screen offers on `today`: "", "2018", then 2019 up to today's fiscal year.
std::vector<std::string> layoutYearChoices(dates::Date today);

// True when the year's "1-1" is non-empty: the run can use the year (once its values are valid).
// Errors of the INI access propagate (as for every function here).
bool isYearSetUp(const std::filesystem::path& iniFile, std::string_view year);

// The year's values for the care need; nullopt when the year is not set up.
std::optional<LayoutScreenValues> loadLayoutScreen(const std::filesystem::path& iniFile,
                                                   std::string_view year, CareNeed need);

// Writes the care need's keys and "4-1"/"4-2" as typed (empty ones as empty values), in the order
// p-0, p-1, p-2, p-9, p-11, p-12, p-14..p-18, 4-1, 4-2; the other care need's keys and "1-1" are
// left alone. Nothing is written when a value cannot be stored (a character CP932 lacks, a line
// break): throws before the first write. Returns false when a write did not take (the folder or
// file is read-only); the keys written before it stay written.
bool saveLayoutScreen(const std::filesystem::path& iniFile, std::string_view year, CareNeed need,
                      const LayoutScreenValues& values);

// The 25 keys a copy from the previous year carries, in the order they are written.
extern const std::array<std::string_view, 25> kCopiedLayoutKeys;

// Copies the 25 keys of the year before `year` (both care needs, the form title and the two item
// numbers) into `year`; a key missing there is written empty, so copying from a year that is not
// set up leaves `year` not set up. `year` must be four digits (std::invalid_argument otherwise).
// Returns false when a write did not take.
bool copyPreviousYearLayout(const std::filesystem::path& iniFile, std::string_view year);

} // namespace citylink
