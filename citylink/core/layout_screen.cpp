#include "citylink/core/layout_screen.h"

#include "citylink/core/layout_settings.h"
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

namespace citylink {

using MdlSystemINI::GetIniString;
using MdlSystemINI::PutIniString;

const std::array<std::string_view, 25> kCopiedLayoutKeys = {
    "1-1",  "2-0",  "2-14", "2-15", "2-16", "2-17", "2-18", "2-12", "2-11",
    "2-2",  "2-1",  "2-9",  "3-0",  "3-14", "3-15", "3-16", "3-17", "3-18",
    "3-12", "3-11", "3-2",  "3-1",  "3-9",  "4-2",  "4-1"};

namespace {

std::string key(CareNeed need, std::string_view item) {
    std::string k(careNeedDigit(need));
    k += '-';
    k += item;
    return k;
}

} // namespace

std::vector<std::string> layoutYearChoices(dates::Date today) {
    std::vector<std::string> years{"", std::string(kFirstFiscalYear)};
    int last = std::stoi(dates::Get年度(dates::formatYmd(today)));
    for (int y = 2019; y <= last; ++y)
        years.push_back(std::to_string(y));
    return years;
}

bool isYearSetUp(const std::filesystem::path& iniFile, std::string_view year) {
    return !GetIniString(iniFile, year, "1-1").empty();
}

std::optional<LayoutScreenValues> loadLayoutScreen(const std::filesystem::path& iniFile,
                                                   std::string_view year, CareNeed need) {
    if (!isYearSetUp(iniFile, year))
        return std::nullopt;
    LayoutScreenValues v;
    v.シート名 = GetIniString(iniFile, year, key(need, "0"));
    for (std::size_t i = 0; i < kTxt横Items.size(); ++i)
        v.横[i] = GetIniString(iniFile, year, key(need, kTxt横Items[i]));
    v.ユーザ項目[0] = GetIniString(iniFile, year, "4-2");
    v.ユーザ項目[1] = GetIniString(iniFile, year, "4-1");
    return v;
}

bool saveLayoutScreen(const std::filesystem::path& iniFile, std::string_view year, CareNeed need,
                      const LayoutScreenValues& values) {
    // Txt横 index of each item in the order the keys are written.
    static constexpr std::pair<std::string_view, std::size_t> kOrder[] = {
        {"1", 8},  {"2", 7},  {"9", 9},  {"11", 6}, {"12", 5},
        {"14", 0}, {"15", 1}, {"16", 2}, {"17", 3}, {"18", 4}};
    std::vector<std::pair<std::string, const std::string*>> writes;
    writes.emplace_back(key(need, "0"), &values.シート名);
    for (const auto& [item, index] : kOrder)
        writes.emplace_back(key(need, item), &values.横[index]);
    writes.emplace_back("4-1", &values.ユーザ項目[1]);
    writes.emplace_back("4-2", &values.ユーザ項目[0]);

    // A value the file cannot hold must not leave the year half saved: refuse before writing.
    for (const auto& [k, value] : writes) {
        if (value->find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            throw std::invalid_argument("改行を含む値は保存できません: " + k);
        cp932::fromUtf8(*value);
    }
    for (const auto& [k, value] : writes)
        if (PutIniString(iniFile, year, k, *value) == 0)
            return false;
    return true;
}

bool copyPreviousYearLayout(const std::filesystem::path& iniFile, std::string_view year) {
    if (year.size() != 4 || year.find_first_not_of("0123456789") != std::string_view::npos)
        throw std::invalid_argument("年度は4桁の数字です: " + std::string(year));
    char source[16];
    std::snprintf(source, sizeof source, "%04d", std::stoi(std::string(year)) - 1);
    for (std::string_view k : kCopiedLayoutKeys) {
        std::string value = GetIniString(iniFile, source, k);
        if (PutIniString(iniFile, year, k, value) == 0)
            return false;
    }
    return true;
}

} // namespace citylink
