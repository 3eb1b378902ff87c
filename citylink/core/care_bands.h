#pragma once
// The three care-band limits against which extended care is measured, kept between runs in
// "札幌市連携時間設定.INI" in the program's folder, section "札幌市連携時間設定".
#include "foundation/dates.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace citylink {

inline constexpr std::string_view kBandsFileName = "札幌市連携時間設定.INI";
inline constexpr std::string_view kBandsSection = "札幌市連携時間設定";

// Short-time care runs from 短時間開始 to 短時間終了; standard-time care up to 標準時間終了.
// The initial values are what the window shows before anything is loaded.
struct CareBands {
    dates::TimeOfDay 短時間開始{8, 0};
    dates::TimeOfDay 短時間終了{16, 0};
    dates::TimeOfDay 標準時間終了{18, 0};
    bool operator==(const CareBands&) const = default;
};

// A band value from the file: "h:mm" or "hh:mm" (optionally ":ss"), or a date followed by such a
// time; blanks around it ignored. A bare date is not taken: it would set a band to midnight.
std::optional<dates::TimeOfDay> bandTimeFromText(std::string_view text);

// Loads the keys "短時間開始", "短時間終了", "標準時間終了" into `bands`; a key that is missing or
// holds no time leaves its field as it was (seconds are dropped: the bands are "hh:mm").
// Errors of the INI access propagate.
void Load時間設定(const std::filesystem::path& iniFile, CareBands& bands);

// The message that refuses bands no clerk can mean, naming the fields: a short-time band whose
// start is not before its end ("17:45～04:05" would mark almost every day as extended care).
// nullopt when the bands are sound.
std::optional<std::string> bandsProblem(const CareBands& bands);

// Writes the three fields as "hh:mm" to their keys, creating the file as needed. A short-time band
// that bandsProblem refuses is not written, so the file keeps the clerk's last valid pair. True
// when all writes succeeded (the window closes whatever the outcome).
bool Save時間設定(const std::filesystem::path& iniFile, const CareBands& bands);

} // namespace citylink
