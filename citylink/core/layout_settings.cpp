#include "citylink/core/layout_settings.h"

#include "foundation/blanks.h"
#include "foundation/mdl_system_ini.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>
#include <vector>

namespace citylink {
namespace {

using MdlSystemINI::GetIniString;
using MdlSystemINI::PutIniStrings;

// The defaults of section "2018", in the order they are written.
constexpr std::array<std::pair<std::string_view, std::string_view>, 23> kDefaults{{
    {"1-1", "時間外保育利用状況表"},
    {"2-0", "利用状況表（保育短時間）"},
    {"2-1", "6"},
    {"2-2", "X"},
    {"2-9", "4"},
    {"2-11", "U"},
    {"2-12", "T"},
    {"2-14", "C"},
    {"2-15", "D"},
    {"2-16", "F"},
    {"2-17", "H"},
    {"2-18", "J"},
    {"3-0", "保育標準時間"},
    {"3-1", "6"},
    {"3-2", "X"},
    {"3-9", "2"},
    {"3-11", "U"},
    {"3-12", "T"},
    {"3-14", "C"},
    {"3-15", "D"},
    {"3-16", "F"},
    {"3-17", "H"},
    {"3-18", "J"},
}};

bool blank(std::string_view s) {
    return blanks::trim(s).empty();
}

// A numeric key that does not convert: the trap of the reader turns it into the failure message.
struct ConversionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::int16_t readInt16(const std::filesystem::path& file, const std::string& section,
                       const std::string& key) {
    auto value = toInt16(GetIniString(file, section, key));
    if (!value)
        throw ConversionError("not a 16-bit integer: " + key);
    return *value;
}

} // namespace

std::optional<std::int16_t> toInt16(std::string_view text) {
    text = blanks::trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t dot = text.find('.');
    std::string_view whole = text.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() && fraction.empty())
        return std::nullopt;
    long value = 0;
    for (char c : whole) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 100000)
            return std::nullopt;
    }
    for (char c : fraction)
        if (c < '0' || c > '9')
            return std::nullopt;
    // Round half to even on the fraction's digits.
    if (!fraction.empty() && fraction.front() >= '5') {
        bool exactlyHalf = fraction.front() == '5' &&
                           fraction.substr(1).find_first_not_of('0') == std::string_view::npos;
        if (!exactlyHalf || value % 2 == 1)
            ++value;
    }
    if (negative)
        value = -value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

bool Init札幌市帳票管理(const std::filesystem::path& iniFile) {
    const std::string section(kFirstFiscalYear);
    if (!GetIniString(iniFile, section, "1-1").empty())
        return true;
    // One replacement of the file with every key: written key by key, a start killed half-way
    // left "1-1" and a few keys, which later starts took for a finished seeding, and every run
    // then failed for the missing keys.
    std::vector<std::pair<std::string, std::string>> values;
    values.reserve(kDefaults.size() + 2);
    for (const auto& [key, value] : kDefaults)
        values.emplace_back(key, value);
    for (std::string_view key : {"4-1", "4-2"})
        values.emplace_back(key, GetIniString(iniFile, "2016", key));
    return PutIniStrings(iniFile, section, values) != 0;
}

bool M札幌市帳票管理(const std::filesystem::path& iniFile, dates::Date targetMonth,
                     CareNeed careNeed, CityLayout& out, Prompts& prompts, LogSink& log,
                     std::string_view caption) {
    log.WriteLog("M札幌市帳票管理の読み込み");
    auto failed = [&] {
        prompts.message(MsgIcon::Information, "エラー", "連携用情報の取得に失敗しました。");
        return false;
    };
    try {
        const std::string section = dates::Get年度(dates::formatYmd(targetMonth));
        if (GetIniString(iniFile, section, "1-1").empty()) {
            showInfo(prompts, caption, "設定画面から" + section + "年度の設定を行ってください。");
            return false;
        }
        CityLayout layout;
        layout.FormTitle = GetIniString(iniFile, section, "1-1");

        const std::string p(careNeedDigit(careNeed));
        auto text = [&](const char* item) {
            return GetIniString(iniFile, section, p + "-" + item);
        };
        auto number = [&](const char* item) { return readInt16(iniFile, section, p + "-" + item); };
        PasteLayout& l = layout.PasteLayout;
        l.SheetName = text("0");
        l.FirstRow = number("1");
        l.DayColumn = text("2");
        l.RowsPerChild = number("9");
        l.DisabilityColumn = text("11");
        l.ReductionColumn = text("12");
        l.NameColumn = text("14");
        l.BirthYearColumn = text("15");
        l.BirthMonthColumn = text("16");
        l.BirthDayColumn = text("17");
        l.CertNoColumn = text("18");
        layout.DisabilityItemNo = readInt16(iniFile, section, "4-1");
        layout.ReductionItemNo = readInt16(iniFile, section, "4-2");

        auto itemNo = [](std::int16_t n) { return n >= 1 && n <= 5; };
        bool valid = !blank(layout.FormTitle) && itemNo(layout.DisabilityItemNo) &&
                     itemNo(layout.ReductionItemNo) && !blank(l.SheetName) && l.FirstRow != 0 &&
                     !blank(l.DayColumn) && l.RowsPerChild != 0 && !blank(l.DisabilityColumn) &&
                     !blank(l.ReductionColumn);
        if (!valid)
            return failed();
        out = std::move(layout);
        return true;
    } catch (const std::exception&) {
        return failed();
    }
}

} // namespace citylink
