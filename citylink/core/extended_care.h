#pragma once
// The extended-care table: the attendance records on which a child was in care outside the band
// of the certification whose sheet is being prepared, one row per record, grouped by child.
#include "citylink/core/attendance.h"
#include "citylink/core/care_bands.h"
#include "citylink/core/value_table.h"
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <optional>

namespace citylink {

// Columns of the extended-care table.
enum ExtendedCareColumn : int {
    kColChildKey = 0, // nameReading immediately followed by birthDate: one key per child
    kColChildName = 1,
    kColBirthDate = 2, // "yyyy/mm/dd"
    kColCareNeed = 3,
    kColDate = 4,        // "yyyy/mm/dd"
    kColArrival = 5,     // the record's text as exported
    kColDeparture = 6,   // the record's text as exported
    kColNameReading = 7, // the child's name when the record has no reading
    kExtendedCareColumns = 8,
};

// Whether a record counts as extended care for the selected certification:
//   Short:    careNeed "保育短時間" and arrival before 短時間開始 or departure after 短時間終了;
//   Standard: careNeed "保育標準時間" and departure after 標準時間終了 (no start limit);
//   none selected: never.
// Times compare as times of day to the minute ("7:45" is early, not after "16:00"); a time equal to
// a limit is inside the band; an arrival or departure that is not a time of day (empty, "欠席")
// never counts.
bool isExtendedCare(const AttendanceRecordView& record, std::optional<CareNeed> selected,
                    const CareBands& bands);

// The two halves of the short-time test, for one time at a time (the usage sheet places an
// early arrival and a late departure in rows of their own): an arrival before 短時間開始, a
// departure after 短時間終了.
bool arrivesBeforeShortBand(std::string_view arrival, const CareBands& bands);
bool leavesAfterShortBand(std::string_view departure, const CareBands& bands);

// Fills `table` (emptied first, 8 columns) with the extended-care records of `attendance` in table
// order, then sorts the rows by name reading, birth date and date (text, stable): the rows of one
// child stand together in date order, children with one reading apart by birth date. A record
// with a blank reading takes the child's name as its reading (in the key and in column 7).
// Logs "Get延長時間_札幌H30". On any failure shows "延長時間の取得に失敗しました" (critical
// icon, title "エラー") and returns false; the table then holds what was added so far.
bool Get延長時間_札幌H30(const AttendanceTable& attendance, std::optional<CareNeed> selected,
                         const CareBands& bands, ValueTable& table, Prompts& prompts, LogSink& log);

} // namespace citylink
