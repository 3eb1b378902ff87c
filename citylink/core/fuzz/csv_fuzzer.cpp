// The attendance-export reader on arbitrary bytes: it must never crash, and what it returns must
// hold together (dates normalised, nothing returned with an error, no file accepted whose bytes
// do not decode as a whole).
#include "citylink/core/attendance_csv.h"
#include "foundation/dates.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    citylink::AttendanceCsvResult r = citylink::parseAttendanceCsv(bytes);
    if (!r.ok() && !r.records.empty())
        std::abort();
    if (r.ok() && r.records.empty())
        std::abort();
    // The import checks CP932 field by field; it must accept no file that fails as a whole.
    if (r.ok() && !citylink::decodeExportText(bytes))
        std::abort();
    for (const citylink::AttendanceRecordView record : r.records) {
        // A date column is either normalised or not a date at all.
        if (auto d = dates::parseDate(record.date()); d && dates::formatYmd(*d) != record.date())
            std::abort();
    }
    // The field stream alone, on the raw bytes: it always ends and never goes backwards.
    citylink::VbFieldReader reader(bytes);
    std::string field;
    std::size_t last = 0, count = 0;
    while (reader.next(field)) {
        if (reader.position() < last || ++count > size + 1)
            std::abort();
        last = reader.position();
    }
    return 0;
}
