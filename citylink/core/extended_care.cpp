#include "citylink/core/extended_care.h"

#include "citylink/core/trapped_error.h"
#include "foundation/blanks.h"

#include <cstdint>
#include <exception>
#include <vector>

namespace citylink {
namespace {

std::optional<int> minuteOfDay(std::string_view text) {
    text = blanks::trim(text);
    // The export's own form "hh:mm" is read here without the general parse, which takes wider
    // forms (full-width digits, seconds, a one-digit hour) and gives the same for this one.
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() == 5 && digit(text[0]) && digit(text[1]) && text[2] == ':' && digit(text[3]) &&
        digit(text[4])) {
        const int hour = (text[0] - '0') * 10 + (text[1] - '0');
        const int minute = (text[3] - '0') * 10 + (text[4] - '0');
        if (hour > 23 || minute > 59)
            return std::nullopt;
        return hour * 60 + minute;
    }
    if (auto t = dates::parseTimeOfDay(text))
        return t->minutesOfDay();
    return std::nullopt;
}

} // namespace

// The one user of ValueTable's capacity hint.
struct ValueTableCapacity {
    static void reserveRows(ValueTable& table, int rows, std::size_t textBytes) {
        table.reserveRows(rows, textBytes);
    }
};

bool isExtendedCare(const AttendanceRecordView& record, std::optional<CareNeed> selected,
                    const CareBands& bands) {
    if (!selected || record.careNeed() != careNeedText(*selected))
        return false;
    auto departure = minuteOfDay(record.departure());
    if (*selected == CareNeed::Short) {
        auto arrival = minuteOfDay(record.arrival());
        return (arrival && *arrival < bands.短時間開始.minutesOfDay()) ||
               (departure && *departure > bands.短時間終了.minutesOfDay());
    }
    return departure && *departure > bands.標準時間終了.minutesOfDay();
}

bool Get延長時間_札幌H30(const AttendanceTable& attendance, std::optional<CareNeed> selected,
                         const CareBands& bands, ValueTable& table, Prompts& prompts,
                         LogSink& log) {
    try {
        table.reset(kExtendedCareColumns);
        log.WriteLog("Get延長時間_札幌H30");
        // The records first, so that the table is sized once instead of doubling its way up.
        std::vector<std::uint32_t> selectedRecords;
        {
            std::uint32_t number = 0;
            for (const AttendanceRecordView record : attendance) {
                ++number;
                if (isExtendedCare(record, selected, bands))
                    selectedRecords.push_back(number);
            }
        }
        {
            std::size_t textBytes = 0;
            for (std::uint32_t number : selectedRecords) {
                const AttendanceRecordView r = attendance.at(number);
                // Key (reading and birth date, the reading shared), name and the other five
                // at most; the reading may be the name's.
                textBytes += 2 * r.childName().size() + r.nameReading().size() +
                             2 * r.birthDate().size() + r.careNeed().size() + r.date().size() +
                             r.arrival().size() + r.departure().size();
            }
            ValueTableCapacity::reserveRows(table, static_cast<int>(selectedRecords.size()),
                                            textBytes);
        }
        for (std::uint32_t number : selectedRecords) {
            const AttendanceRecordView record = attendance.at(number);
            // A record without a reading (the service leaves it empty when none was entered)
            // takes the child's name in its place. With an empty reading the child's group on
            // the city's sheet would have no name at all, and two such children born on one day
            // would share one key, and so one row group, their days mixed together.
            std::string_view reading = record.nameReading();
            if (blanks::trim(reading).empty())
                reading = record.childName();
            int row = table.appendRow();
            std::string childKey;
            childKey.reserve(reading.size() + record.birthDate().size());
            childKey.append(reading);
            childKey.append(record.birthDate());
            table.set(row, kColChildKey, childKey);
            table.set(row, kColChildName, record.childName());
            table.set(row, kColBirthDate, record.birthDate());
            table.set(row, kColCareNeed, record.careNeed());
            table.set(row, kColDate, record.date());
            table.set(row, kColArrival, record.arrival());
            table.set(row, kColDeparture, record.departure());
            // The reading is the key's first part: the table keeps it once.
            table.set(row, kColNameReading, table.get(row, kColChildKey).substr(0, reading.size()));
        }
        table.sort(1, table.upperRow(), {{kColNameReading}, {kColBirthDate}, {kColDate}});
        return true;
    } catch (...) {
        log.WriteLog("Get延長時間_札幌H30: " + TrappedError::current().logText());
        showError(prompts, "延長時間の取得に失敗しました");
        return false;
    }
}

} // namespace citylink
