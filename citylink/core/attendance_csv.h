#pragma once
// Reading the attendance export (the CSV file of one month from the service's screen
// "登降園管理＞出席情報検索") into attendance records. Pure: bytes in, records or an error out;
// no messages, no log. ReadCSVtoCsvArray (csv_import.h) adds the window's step around it.
#include "citylink/core/attendance.h"
#include "citylink/core/export_text.h"
#include "citylink/core/vb_field_reader.h"
#include "foundation/numbered_error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace citylink {

// Why the export could not be read: a description for the log and its error number (errnum).
struct CsvReadError {
    long number;
    std::string description;
    // A line for the clerk's message besides the log: set when the file itself is the wrong
    // thing (not a regular file), which the clerk can see and mend, unlike a parse failure.
    std::string clerkNote = {};
    bool operator==(const CsvReadError&) const = default;
};

struct AttendanceCsvResult {
    AttendanceTable records; // in file order; empty when error is set
    TextEncoding encoding = TextEncoding::Cp932;
    std::optional<CsvReadError> error;
    bool ok() const { return !error.has_value(); }
};

// The export's bytes to records: decode (decodeExportText), drop the 15 header fields, then take
// fields 15 at a time; `date` and `birthDate` become "yyyy/mm/dd" when dates::parseDate accepts
// them and keep their text otherwise. A record whose 15 fields are all blank is dropped (the empty
// rows a spreadsheet writes when the export was opened and saved in it). Errors: bytes neither
// CP932 nor UTF-8; fewer than 15 header fields or a last record with fewer than 15 fields; no
// record after the header; more than kMaxCsvRecords records or kMaxCsvTextBytes of text in UTF-8.
AttendanceCsvResult parseAttendanceCsv(std::string_view bytes);

// Larger files are refused without reading them: a month of a big nursery is a few megabytes, and
// a file chosen by mistake through "全てのファイル" must not be pulled into memory whole.
inline constexpr std::uintmax_t kMaxCsvBytes = 64u * 1024u * 1024u;

// More records are refused too: a month of the largest nursery is some ten thousand, and each
// record costs memory of its own, however short it is in the file.
inline constexpr std::size_t kMaxCsvRecords = 500000;
// And files whose text takes more than this in UTF-8 (the CP932 of a real export grows by a
// fifth or so; a file of half-width katakana threefold).
inline constexpr std::size_t kMaxCsvTextBytes = 96u * 1024u * 1024u;

// Reads the file and parses it; a missing, unreadable or oversized file is an error too, and so is
// anything that is not a regular file (a FIFO, a device): refused without being opened.
AttendanceCsvResult readAttendanceCsvFile(const std::filesystem::path& file);

} // namespace citylink
