#pragma once
// The city's form layout per fiscal year: where on the usage sheet each item goes. Kept in the
// layout file "札幌市連携.INI" beside the program, sections by fiscal year ("2018", "2019", ...),
// keys "1-1", "4-1", "4-2" shared and "<digit>-<item>" per care need (digit "2" short-time care,
// "3" standard-time care). The settings screen edits the same file.
#include "citylink/core/attendance.h"
#include "foundation/dates.h"
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace citylink {

// The layout file's name; it lies in the program's own folder.
inline constexpr std::string_view kLayoutFileName = "札幌市連携.INI";
// The first fiscal year the system knows; the one whose defaults are seeded.
inline constexpr std::string_view kFirstFiscalYear = "2018";

// Paste positions of one care need. Texts are kept as read (column letters are not trimmed or
// upper-cased); the validation trims only to test.
struct PasteLayout {
    std::string SheetName;         // p-0
    std::int16_t FirstRow = 0;     // p-1: row of the first child's first row
    std::string DayColumn;         // p-2: column of day 1
    std::int16_t RowsPerChild = 0; // p-9
    std::string DisabilityColumn;  // p-11
    std::string ReductionColumn;   // p-12
    std::string NameColumn;        // p-14
    std::string BirthYearColumn;   // p-15
    std::string BirthMonthColumn;  // p-16
    std::string BirthDayColumn;    // p-17
    std::string CertNoColumn;      // p-18
    bool operator==(const PasteLayout&) const = default;
};

// What the usage-sheet run needs of the layout file for one run.
struct CityLayout {
    std::string FormTitle; // "1-1": title of the city's form
    citylink::PasteLayout PasteLayout;
    std::int16_t DisabilityItemNo = 0; // "4-1": user-defined item 1..5 holding the disability mark
    std::int16_t ReductionItemNo = 0;  // "4-2": user-defined item 1..5 holding the reduction mark
    bool operator==(const CityLayout&) const = default;
};

// Seeds the first fiscal year: when "1-1" of section "2018" is empty, writes the 23 default keys
// of both care needs in their fixed order, then "4-1" and "4-2" copied from section "2016" (empty
// when there is none), all in one replacement of the file: a start killed half-way leaves the
// file as it was, never "1-1" without the rest. Does nothing when "1-1" is set. Errors of the INI
// access propagate.
// Returns false when a write did not take (a read-only or missing folder): like the profile
// functions it stands on, the seeding raises nothing then, and the caller decides what to tell.
bool Init札幌市帳票管理(const std::filesystem::path& iniFile);

// Loads and validates the layout of the fiscal year of `targetMonth` for `careNeed` into `out`.
// Logs "M札幌市帳票管理の読み込み" first.
//   true:  `out` holds the year's title, the care need's paste layout and both item numbers, all
//          valid (title, sheet name and the four tested columns non-blank, rows non-zero, item
//          numbers 1..5).
//   false, the message already shown:
//          - the year is not set up ("1-1" empty; a missing file counts as such):
//            "設定画面から<year>年度の設定を行ってください。" (information icon, title
//            `caption`);
//          - a value fails validation, or a numeric key is empty, not a number or outside the
//            16-bit range, or the file cannot be read: "連携用情報の取得に失敗しました。"
//            (information icon, title "エラー").
// `out` changes only on true. Only the keys of the chosen care need are read: the other need's
// keys cannot make it fail.
bool M札幌市帳票管理(const std::filesystem::path& iniFile, dates::Date targetMonth,
                     CareNeed careNeed, CityLayout& out, Prompts& prompts, LogSink& log,
                     std::string_view caption);

// A layout value as a 16-bit integer, the way the Windows peers convert it: blanks around it
// ignored, an optional sign, decimal digits, an optional fraction rounded half to even.
// nullopt for an empty text, anything else, or a value outside -32768..32767.
std::optional<std::int16_t> toInt16(std::string_view text);

} // namespace citylink
