// Dates as the suite reads and shows them: the one date rule, month ends, fiscal years, eras.
#include "foundation/dates.h"

#include <gtest/gtest.h>

using namespace std::chrono;
using dates::Date;

namespace {

std::string ymd(std::optional<Date> d) {
    return d ? dates::formatYmd(*d) : "none";
}

TEST(ParseDate, AcceptedForms) {
    EXPECT_EQ(ymd(dates::parseDate("2024/04/01")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("2024/4/1")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate(" 2024-4-1\t")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("2024.12.31")), "2024/12/31");
    EXPECT_EQ(ymd(dates::parseDate("2024/04/01 8:30")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("2024/04/01  08:30:15")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("2024年4月1日")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("２０２４／０４／０１")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("２０２４年４月１日")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("2024/2/29")), "2024/02/29");
}

TEST(ParseDate, EraForms) {
    EXPECT_EQ(ymd(dates::parseDate("令和6年4月1日")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("令和元年5月1日")), "2019/05/01");
    EXPECT_EQ(ymd(dates::parseDate("令和 6年4月1日")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("R6.4.1")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("r6/4/1")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseDate("H30-4-1")), "2018/04/01");
    EXPECT_EQ(ymd(dates::parseDate("Ｈ３０．４．１")), "2018/04/01");
    EXPECT_EQ(ymd(dates::parseDate("平成31年4月30日")), "2019/04/30");
    EXPECT_EQ(ymd(dates::parseDate("昭和64年1月7日")), "1989/01/07");
    EXPECT_EQ(ymd(dates::parseDate("S64.1.7")), "1989/01/07");
    EXPECT_EQ(ymd(dates::parseDate("大正元年7月30日")), "1912/07/30");
    EXPECT_EQ(ymd(dates::parseDate("M1.1.25")), "1868/01/25");
    // Old-era years past the era's end still read (forms keep their printed era).
    EXPECT_EQ(ymd(dates::parseDate("平成32年1月1日")), "2020/01/01");
}

TEST(ParseDate, RefusedForms) {
    for (const char* text : {"",
                             " ",
                             "2023/2/29",
                             "2024/13/1",
                             "2024/4/31",
                             "2024/0/1",
                             "2024/4/0",
                             "24/4/1",
                             "20240401",
                             "2024/4-1",
                             "2024/4/1/",
                             "2024/4/1x",
                             "2024/4/1 25:00",
                             "2024/4/1 8:3",
                             "2024/4/1T08:30",
                             "2024年4月1",
                             "2024年4月",
                             "令和0年4月1日",
                             "令和1年4月30日",
                             "平成1年1月7日",
                             "M1.1.24",
                             "R元.5.1",
                             "X6.4.1",
                             "令和6年4月1日 8:30",
                             "abc",
                             "2024/04/01 garbage",
                             "R123.4.1"})
        EXPECT_FALSE(dates::parseDate(text).has_value()) << text;
}

TEST(ParseTime, Forms) {
    EXPECT_EQ(dates::parseTimeOfDay("8:30"), (dates::TimeOfDay{8, 30, 0}));
    EXPECT_EQ(dates::parseTimeOfDay("08:30:15"), (dates::TimeOfDay{8, 30, 15}));
    EXPECT_EQ(dates::parseTimeOfDay("２３：５９"), (dates::TimeOfDay{23, 59, 0}));
    EXPECT_EQ(dates::parseTimeOfDay("0:00"), (dates::TimeOfDay{0, 0, 0}));
    for (const char* text : {"24:00", "8:60", "8:5", "830", "8:30:", "8:30:60", "-1:00", "", "a"})
        EXPECT_FALSE(dates::parseTimeOfDay(text).has_value()) << text;
    EXPECT_EQ(dates::formatHhMm({7, 5, 0}), "07:05");
}

TEST(MonthEnd, DecemberAndLeapFebruary) {
    EXPECT_EQ(dates::Get月末日("2024/12/15"), "2024/12/31");
    EXPECT_EQ(dates::Get月末日("2024/02/01"), "2024/02/29");
    EXPECT_EQ(dates::Get月末日("2023/02/10"), "2023/02/28");
    EXPECT_EQ(dates::Get月末日("2100/02/01"), "2100/02/28");
    EXPECT_EQ(dates::Get月末日("2024/04/01"), "2024/04/30");
    EXPECT_THROW(dates::Get月末日("not a date"), std::invalid_argument);
}

TEST(FiscalYear, AprilToMarch) {
    EXPECT_EQ(dates::Get年度("2019/03/31"), "2018");
    EXPECT_EQ(dates::Get年度("2019/04/01"), "2019");
    EXPECT_EQ(dates::Get年度("2020/01/01"), "2019");
    EXPECT_EQ(dates::Get年度("2019/12/31"), "2019");
    EXPECT_THROW(dates::Get年度(""), std::invalid_argument);
}

TEST(Era, AroundTheChangeOfEra) {
    Date lastHeisei = year{2019} / 4 / 30, firstReiwa = year{2019} / 5 / 1;
    EXPECT_EQ(dates::formatEra(lastHeisei, "ggg ee年mm月"), "平成 31年04月");
    EXPECT_EQ(dates::formatEra(firstReiwa, "ggg ee年mm月"), "令和 01年05月");
    EXPECT_EQ(dates::formatEra(firstReiwa, "ggg e年mm月"), "令和 1年05月");
    EXPECT_EQ(dates::formatEra(year{2024} / 4 / 1, "ggg e年mm月"), "令和 6年04月");
    EXPECT_EQ(dates::formatEra(year{1989} / 1 / 7, "ggg ee年mm月"), "昭和 64年01月");
    EXPECT_EQ(dates::formatEra(year{1989} / 1 / 8, "ggg ee年mm月"), "平成 01年01月");
    EXPECT_EQ(dates::formatEra(year{1926} / 12 / 25, "gg e年 g yyyy/m/d dd"),
              "昭 1年 S 1926/12/25 25");
    EXPECT_EQ(dates::formatEra(year{1868} / 1 / 24, "ggg ee年"), " 1868年");
}

TEST(Era, MonthTextReadsBack) {
    // Everything formatEra shows for the month field reads back as the month's first day.
    for (int y = 1868; y <= 2030; ++y) {
        for (unsigned m = 1; m <= 12; ++m) {
            Date d = year{y} / m / 28;
            if (d < year{1868} / 1 / 25)
                continue;
            for (const char* fmt : {"ggg ee年mm月", "ggg e年mm月"}) {
                std::string shown = dates::formatEra(d, fmt);
                auto back = dates::parseEraMonth(shown);
                ASSERT_TRUE(back.has_value()) << shown;
                EXPECT_EQ(*back, year{y} / m / 1) << shown;
            }
        }
    }
}

TEST(Era, MonthTextForms) {
    EXPECT_EQ(ymd(dates::parseEraMonth("令和 01年05月")), "2019/05/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("令和1年5月")), "2019/05/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("令和元年5月")), "2019/05/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("R元年5月")), "2019/05/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("令和　６年　４月")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("平成 01年01月")), "1989/01/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("平成 31年04月")), "2019/04/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("2024年4月")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("2024/04")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("2024/04/15")), "2024/04/01");
    EXPECT_EQ(ymd(dates::parseEraMonth("令和6年4月15日")), "2024/04/01");
    for (const char* text :
         {"", "令和", "令和 01年", "令和 01年04月", "令和 00年05月", "令和 6年13月", "令和 6年0月",
          "昭和 01年11月", "2024", "2024/13", "令和 6年4月x"})
        EXPECT_FALSE(dates::parseEraMonth(text).has_value()) << text;
}

} // namespace
