#include "citylink/core/care_bands.h"

#include "foundation/blanks.h"
#include "foundation/mdl_system_ini.h"

#include <string>

namespace citylink {

std::optional<dates::TimeOfDay> bandTimeFromText(std::string_view text) {
    text = blanks::trim(text);
    if (auto t = dates::parseTimeOfDay(text))
        return t;
    // "2019/04/01 7:30": the date part is allowed and ignored.
    std::size_t space = text.find_last_of(" \t");
    if (space == std::string_view::npos)
        return std::nullopt;
    auto t = dates::parseTimeOfDay(text.substr(space + 1));
    if (!t || !dates::parseDate(text.substr(0, space)))
        return std::nullopt;
    return t;
}

namespace {

void loadOne(const std::filesystem::path& iniFile, std::string_view key, dates::TimeOfDay& field) {
    if (auto t = bandTimeFromText(MdlSystemINI::GetIniString(iniFile, kBandsSection, key)))
        field = dates::TimeOfDay{t->hour, t->minute, 0};
}

} // namespace

void Load時間設定(const std::filesystem::path& iniFile, CareBands& bands) {
    loadOne(iniFile, "短時間開始", bands.短時間開始);
    loadOne(iniFile, "短時間終了", bands.短時間終了);
    loadOne(iniFile, "標準時間終了", bands.標準時間終了);
}

std::optional<std::string> bandsProblem(const CareBands& bands) {
    auto minutes = [](const dates::TimeOfDay& t) { return t.hour * 60 + t.minute; };
    if (minutes(bands.短時間開始) < minutes(bands.短時間終了))
        return std::nullopt;
    return "短時間開始（" + dates::formatHhMm(bands.短時間開始) + "）が短時間終了（" +
           dates::formatHhMm(bands.短時間終了) +
           "）より前になっていません。\n短時間開始と短時間終了を設定し直してください。";
}

bool Save時間設定(const std::filesystem::path& iniFile, const CareBands& bands) {
    // A field that holds no valid time writes nothing: the file keeps its old value.
    auto saveOne = [&](std::string_view key, const dates::TimeOfDay& t) {
        bool valid = t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60;
        return !valid ||
               MdlSystemINI::PutIniString(iniFile, kBandsSection, key, dates::formatHhMm(t)) != 0;
    };
    bool ok = true;
    if (!bandsProblem(bands)) {
        ok = saveOne("短時間開始", bands.短時間開始) && ok;
        ok = saveOne("短時間終了", bands.短時間終了) && ok;
    }
    ok = saveOne("標準時間終了", bands.標準時間終了) && ok;
    return ok;
}

} // namespace citylink
