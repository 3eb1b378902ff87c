#include "citylink/core/extended_care.h"

#include "citylink/core/trapped_error.h"
#include "foundation/blanks.h"

#include <algorithm>
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

bool arrivesBeforeShortBand(std::string_view arrival, const CareBands& bands) {
    auto minute = minuteOfDay(arrival);
    return minute && *minute < bands.短時間開始.minutesOfDay();
}

bool leavesAfterShortBand(std::string_view departure, const CareBands& bands) {
    auto minute = minuteOfDay(departure);
    return minute && *minute > bands.短時間終了.minutesOfDay();
}

namespace {

// Whether a record of that care need was in care outside its band.
bool outsideBand(const AttendanceRecordView& record, CareNeed need, const CareBands& bands) {
    if (need == CareNeed::Short)
        return arrivesBeforeShortBand(record.arrival(), bands) ||
               leavesAfterShortBand(record.departure(), bands);
    auto departure = minuteOfDay(record.departure());
    return departure && *departure > bands.標準時間終了.minutesOfDay();
}

} // namespace

bool isExtendedCare(const AttendanceRecordView& record, std::optional<CareNeed> selected,
                    const CareBands& bands) {
    return selected && record.careNeed() == careNeedText(*selected) &&
           outsideBand(record, *selected, bands);
}

namespace {

// A selected record with the texts the table is sorted by.
struct SortedRecord {
    std::string_view reading; // the child's name where the record has no reading
    std::string_view birth;
    std::string_view date;
    std::uint32_t number;
};

bool sameChild(const SortedRecord& a, const SortedRecord& b) {
    return a.reading == b.reading && a.birth == b.birth;
}

bool childBefore(const SortedRecord& a, const SortedRecord& b) {
    if (int c = a.reading.compare(b.reading); c != 0)
        return c < 0;
    return a.birth < b.birth;
}

// Puts the records in the order of a stable sort by reading, birth date and date (as text),
// which is the table's order. An export lists each child's days together and in date order, so
// the records come in runs of one child with rising dates: the runs are sorted by child (stably),
// and only where one child has several runs are that child's records sorted by date. Each child's
// records keep their order among equal dates either way, as in the one stable sort.
void sortByChildAndDate(std::vector<SortedRecord>& records) {
    struct Run {
        std::size_t begin, end;
    };
    std::vector<Run> runs;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i == 0 || !sameChild(records[i - 1], records[i]) ||
            records[i].date < records[i - 1].date)
            runs.push_back({i, i + 1});
        else
            runs.back().end = i + 1;
    }
    std::stable_sort(runs.begin(), runs.end(), [&](const Run& a, const Run& b) {
        return childBefore(records[a.begin], records[b.begin]);
    });
    std::vector<SortedRecord> sorted;
    sorted.reserve(records.size());
    for (std::size_t r = 0; r < runs.size();) {
        std::size_t next = r + 1;
        while (next < runs.size() && sameChild(records[runs[r].begin], records[runs[next].begin]))
            ++next;
        const std::size_t from = sorted.size();
        for (std::size_t k = r; k < next; ++k)
            sorted.insert(sorted.end(),
                          records.begin() + static_cast<std::ptrdiff_t>(runs[k].begin),
                          records.begin() + static_cast<std::ptrdiff_t>(runs[k].end));
        if (next - r > 1)
            std::stable_sort(
                sorted.begin() + static_cast<std::ptrdiff_t>(from), sorted.end(),
                [](const SortedRecord& a, const SortedRecord& b) { return a.date < b.date; });
        r = next;
    }
    records = std::move(sorted);
}

} // namespace

bool Get延長時間_札幌H30(const AttendanceTable& attendance, std::optional<CareNeed> selected,
                         const CareBands& bands, ValueTable& table, Prompts& prompts,
                         LogSink& log) {
    try {
        table.reset(kExtendedCareColumns);
        log.WriteLog("Get延長時間_札幌H30");
        // The records first, so that the table is sized once instead of doubling its way up, and
        // put in the table's order before they go in (see sortByChildAndDate).
        std::vector<SortedRecord> selectedRecords;
        if (selected) {
            // isExtendedCare for every record, its care need compared once per text the table
            // holds: the table keeps a text that repeats from record to record once, so most
            // records view the very text last found equal.
            const std::string_view needText = careNeedText(*selected);
            const char* sameNeed = nullptr;
            std::uint32_t number = 0;
            for (const AttendanceRecordView record : attendance) {
                ++number;
                const std::string_view need = record.careNeed();
                if (need.size() != needText.size() || (need.data() != sameNeed && need != needText))
                    continue;
                sameNeed = need.data();
                if (!outsideBand(record, *selected, bands))
                    continue;
                // A record without a reading (the service leaves it empty when none was
                // entered) takes the child's name in its place. With an empty reading the
                // child's group on the city's sheet would have no name at all, and two such
                // children born on one day would share one key, and so one row group, their
                // days mixed together.
                std::string_view reading = record.nameReading();
                if (blanks::trim(reading).empty())
                    reading = record.childName();
                selectedRecords.push_back({reading, record.birthDate(), record.date(), number});
            }
        }
        sortByChildAndDate(selectedRecords);
        {
            std::size_t textBytes = 0;
            for (const SortedRecord& selectedRecord : selectedRecords) {
                const AttendanceRecordView r = attendance.at(selectedRecord.number);
                // Key (reading and birth date, the reading shared), name and the other five
                // at most; the reading may be the name's.
                textBytes += 2 * r.childName().size() + r.nameReading().size() +
                             2 * r.birthDate().size() + r.careNeed().size() + r.date().size() +
                             r.arrival().size() + r.departure().size();
            }
            ValueTableCapacity::reserveRows(table, static_cast<int>(selectedRecords.size()),
                                            textBytes);
        }
        std::string childKey; // one buffer for every record's key
        for (const SortedRecord& selectedRecord : selectedRecords) {
            const AttendanceRecordView record = attendance.at(selectedRecord.number);
            const std::string_view reading = selectedRecord.reading;
            int row = table.appendRow();
            childKey.assign(reading);
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
        return true;
    } catch (...) {
        log.WriteLog("Get延長時間_札幌H30: " + TrappedError::current().logText());
        showError(prompts, "延長時間の取得に失敗しました");
        return false;
    }
}

} // namespace citylink
