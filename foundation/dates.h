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
// Accepted (blanks around the text ignored; month and day with one or two digits):
//   yyyy/m/d, yyyy-m-d, yyyy.m.d, each optionally followed by a blank and a time h:mm[:ss];
//   yyyy年m月d日;
//   Japanese era forms: 令和6年4月1日, 令和元年5月1日, R6.4.1, R6/4/1, H30-4-1 (letters M T S H R,
//   either case; era names 明治 大正 昭和 平成 令和).
// Returns nullopt for anything else, including impossible dates (2023/2/29) and era years before
// the era began.
std::optional<Date> parseDate(std::string_view text);

// "h:mm" or "hh:mm", optionally ":ss", 0:00 to 23:59:59; nullopt for anything else.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text);

std::string formatYmd(Date d);          // "yyyy/mm/dd"
std::string formatHhMm(TimeOfDay t);    // "hh:mm"

// Last day of the month of the date in the text, as "yyyy/mm/dd". Throws std::invalid_argument
// when the text is not a date.
std::string Get月末日(std::string_view dateText);
// Fiscal year (April to March) of the date in the text: its year from April on, else the year
// before. Throws std::invalid_argument when the text is not a date.
std::string Get年度(std::string_view dateText);

// Formats a date with the Japanese era codes: "ggg" era name (令和), "ee" two-digit era year,
// "e" era year, "yyyy", "mm", "m", "dd", "d"; other characters are copied. The first year of an
// era is written as a number (令和 01年, 令和 1年).
std::string formatEra(Date d, std::string_view format);
// Reads back what formatEra shows for "ggg ee年mm月" and "ggg e年mm月" (and the full-date forms of
// parseDate); the day is the 1st. nullopt when the text names no month.
std::optional<Date> parseEraMonth(std::string_view text);

} // namespace dates
