#pragma once
// Dates and times as this suite carries them: dates as text "yyyy/mm/dd", times as "hh:mm",
// months shown in the Japanese era form "ggg ee年mm月".
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace dates {

using Date = std::chrono::year_month_day;

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
    int minutesOfDay() const { return hour * 60 + minute; }
    auto operator<=>(const TimeOfDay&) const = default;
};

// The one rule for "this text is a date", used wherever the suite accepts a date from outside.
// Accepted (blanks around the text ignored; month and day with one or two digits; full-width
// digits, letters, blanks and punctuation read like their ASCII forms):
//   yyyy/m/d, yyyy-m-d, yyyy.m.d (the same separator twice), each optionally followed by blanks
//   and a time h:mm[:ss] (which must be a valid time; it is not part of the result);
//   yyyy年m月d日;
//   Japanese era forms: 令和6年4月1日, 令和元年5月1日, R6.4.1, R6/4/1, H30-4-1 (letters M T S H R,
//   either case; era names 明治 大正 昭和 平成 令和; era year with one or two digits; blanks
//   allowed between era and year). An era year past the era's end is accepted (平成32年 = 2020),
//   as printed forms still carry the old era.
// Returns nullopt for anything else, including impossible dates (2023/2/29) and era years before
// the era began.
std::optional<Date> parseDate(std::string_view text);

// "h:mm" or "hh:mm", optionally ":ss", 0:00 to 23:59:59 (blanks around ignored, full-width
// digits and colon accepted); nullopt for anything else.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text);

std::string formatYmd(Date d);       // "yyyy/mm/dd"
std::string formatHhMm(TimeOfDay t); // "hh:mm"

// Last day of the month of the date in the text, as "yyyy/mm/dd". Throws std::invalid_argument
// when the text is not a date.
std::string Get月末日(std::string_view dateText);
// Fiscal year (April to March) of the date in the text: its year from April on, else the year
// before. Throws std::invalid_argument when the text is not a date.
std::string Get年度(std::string_view dateText);

// Formats a date with the Japanese era codes: "ggg" era name (令和), "gg" its first character
// (令), "g" its letter (R), "ee" two-digit era year, "e" era year, "yyyy", "mm", "m", "dd", "d";
// other characters are copied. The first year of an era is written as a number (令和 01年,
// 令和 1年). Eras come from a small table in dates.cpp (明治 from 1868-01-25, 大正 1912-07-30,
// 昭和 1926-12-25, 平成 1989-01-08, 令和 2019-05-01); a date before 明治 gets no era name and
// its Western year as era year.
std::string formatEra(Date d, std::string_view format);
// Reads back what formatEra shows for "ggg ee年mm月" and "ggg e年mm月": era name or letter, blank
// optional, era year with one or two digits or 元, month with one or two digits ("令和 01年05月",
// "令和1年5月", "R元年5月"); also "yyyy年m月", "yyyy/m" and the full-date forms of parseDate. The
// day of the result is the 1st. nullopt when the text names no month, or a month before its era
// began.
std::optional<Date> parseEraMonth(std::string_view text);

} // namespace dates
