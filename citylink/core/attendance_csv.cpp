#include "citylink/core/attendance_csv.h"

#include "citylink/core/cp932_scan.h"
#include "citylink/core/date_normaliser.h"
#include "citylink/core/field_decoder.h"

#include "foundation/blanks.h"
#include "foundation/file_bytes.h"
#include "foundation/utf8_path.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace citylink {
namespace {

std::string quoted(const std::filesystem::path& file) {
    return "「" + utf8::fromPath(file) + "」";
}

CsvReadError encodingError() {
    return CsvReadError{errnum::InvalidCall,
                        "文字コードがCP932（Shift_JIS）でもUTF-8でもありません。"};
}

// parseAttendanceCsv once the bytes are known to fit: the header and the records into `result`.
// `scan`, when given, is the CP932 check still to be made, which the reading drives: it returns
// at the first fault the scan finds, and the caller finishes the scan.
void readRecords(std::string_view bytes, std::size_t utf8Bytes, Cp932Scan* scan,
                 AttendanceCsvResult& result) {
    FieldDecoder decoder(result.encoding);
    // One per date column, so that each remembers its own last text.
    DateNormaliser dateNormaliser, birthDateNormaliser;

    VbFieldReader reader(bytes);
    std::string_view view, decoded;
    std::string scratch;
    for (int i = 0; i < AttendanceRecord::kFieldCount; ++i) {
        if (!reader.next(view, scratch)) {
            result.error = CsvReadError{errnum::InputPastEnd, "見出し行の項目が15個に足りません。"};
            return;
        }
        if (!decoder.decode(view, static_cast<std::size_t>(i), decoded)) {
            result.error = encodingError();
            return;
        }
    }

    AttendanceTable records;
    // Room for as many records as the file can hold (a record takes at least 16 bytes), up to
    // the limit, and for the most text they can hold: the values in UTF-8 with the table's four
    // bytes of length each. Only what is written is ever
    // touched, so the generous reserve costs nothing but address space, and the buffers never
    // grow: a growing buffer holds two copies of itself for a moment, which for a file of long
    // distinct names was the run's peak of memory.
    const std::size_t mostRecords = std::min<std::size_t>(bytes.size() / 16 + 1, kMaxCsvRecords);
    records.reserve(mostRecords, utf8Bytes + 64 + mostRecords * 4 * kAttendanceFieldCount);
    // The record's 15 values are views: into the file, into the decoder's and normaliser's
    // memory, or into a buffer of the column (a value the reader had to put together, or a date
    // reformatted); the table copies what it does not hold already.
    std::array<std::string, AttendanceRecord::kFieldCount> buffers;
    std::array<std::string_view, AttendanceRecord::kFieldCount> views;
    std::string dateBuffer, birthDateBuffer;
    // Consecutive records are mostly days of one child, written the same from the class to the
    // reading: when that stretch of the file (fields kFirstRepeated to kLastRepeated with their
    // commas) is byte for byte the last record's, so are its fields, and the reader, decoder and
    // birth-date normaliser, all deterministic in those bytes, are not asked again. `views` still
    // holds them: the memory they point into (the file, the column's buffer, the decoder's and
    // the normaliser's last text of the column) is touched only by those columns' own reading.
    constexpr std::size_t kFirstRepeated = 1, kLastRepeated = 8;
    static_assert(kFirstRepeated <= 3 && 3 <= kLastRepeated); // covers the birth date
    std::size_t repeatedStart = 0, repeatedBytes = 0;         // none yet
    for (;;) {
        std::size_t got = 0;
        bool repeated = false, measuring = false;
        for (; got < views.size(); ++got) {
            if (got == kFirstRepeated) {
                const std::size_t at = reader.position();
                measuring = reader.afterComma();
                // The bytes read so far checked, the last record's stretch among them.
                if (scan && !scan->upTo(at)) {
                    result.error = encodingError();
                    return;
                }
                if (measuring && repeatedBytes != 0 && bytes.size() - at >= repeatedBytes &&
                    std::memcmp(bytes.data() + at, bytes.data() + repeatedStart, repeatedBytes) ==
                        0) {
                    reader.skipReadStretch(repeatedBytes);
                    if (scan)
                        scan->skip(at, repeatedBytes);
                    repeatedStart = at;
                    repeated = true;
                    got = kLastRepeated;
                    continue;
                }
                repeatedStart = at;
                repeatedBytes = 0;
            }
            if (!reader.next(view, buffers[got]))
                break;
            if (!decoder.decode(view, got, views[got])) {
                result.error = encodingError();
                return;
            }
            if (got == kLastRepeated && measuring && reader.afterComma())
                repeatedBytes = reader.position() - repeatedStart;
        }
        if (got == 0)
            break; // end of the file
        if (got < views.size()) {
            result.error =
                CsvReadError{errnum::InputPastEnd, "最後のレコードの項目が15個に足りません（" +
                                                       std::to_string(got) + "個）。"};
            return;
        }
        // A record with nothing in any field is no attendance: a spreadsheet that the export
        // passed through writes its formatted but empty rows as lines of 14 commas. Kept, it
        // would refuse the whole month with the month message, its empty `date` being no date.
        if (std::all_of(views.begin(), views.end(),
                        [](std::string_view v) { return blanks::trim(v).empty(); })) {
            repeatedBytes = 0; // its birth date was not normalised
            continue;
        }
        if (records.count() == kMaxCsvRecords) {
            result.error = CsvReadError{errnum::OutOfMemory, "レコードが多すぎます（" +
                                                                 std::to_string(kMaxCsvRecords) +
                                                                 "件まで）。"};
            return;
        }
        views[0] = dateNormaliser.normalise(views[0], dateBuffer);
        if (!repeated) // else views[3] is the last record's, normalised already
            views[3] = birthDateNormaliser.normalise(views[3], birthDateBuffer);
        // The repeated columns are the last record's: the table takes their storage as it is.
        constexpr std::uint32_t kRepeatedColumns =
            ((1u << (kLastRepeated + 1)) - 1) & ~((1u << kFirstRepeated) - 1);
        records.append(views, repeated ? kRepeatedColumns : 0);
    }
    if (records.empty()) {
        result.error =
            CsvReadError{errnum::SubscriptOutOfRange, "見出し行の後に出席データがありません。"};
        return;
    }
    result.records = std::move(records);
}

} // namespace

AttendanceCsvResult parseAttendanceCsv(std::string_view bytes) {
    AttendanceCsvResult result;
    // The UTF-8 rule of decodeExportText; CP932 is checked field by field below.
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom || hasHighByte(bytes)) {
        if (isValidUtf8(bytes)) {
            result.encoding = TextEncoding::Utf8;
            if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
                bytes.remove_prefix(kUtf8Bom.size());
        }
    }
    if (bytes.find('\0') != std::string_view::npos) {
        result.error = encodingError();
        return result;
    }
    std::size_t utf8Bytes = bytes.size();
    std::optional<Cp932Scan> scan;
    if (result.encoding == TextEncoding::Cp932) {
        if (bytes.size() <= kMaxCsvTextBytes / 3) {
            // No such file can pass the limit below, its UTF-8 being at most three bytes a byte:
            // its check goes along with the reading, which skips the repeats it knows, and the
            // table's room is reckoned from that most.
            scan.emplace(bytes);
            utf8Bytes = bytes.size() * 3;
        } else if (!wholeCp932Characters(bytes, utf8Bytes)) {
            result.error = encodingError();
            return result;
        }
    }
    // The table holds the text in UTF-8, and the run copies names from it: a file of half-width
    // katakana grows threefold, which a file just under the size limit must not be allowed to.
    if (utf8Bytes > kMaxCsvTextBytes) {
        result.error = CsvReadError{errnum::OutOfMemory, "ファイルの文字が多すぎます。"};
        return result;
    }
    // A file that is not whole CP932 is refused for that, whatever the reading met first.
    auto refusedAsText = [&] {
        if (!scan || scan->upTo(bytes.size()))
            return false;
        result.records.clear();
        result.error = encodingError();
        return true;
    };
    try {
        readRecords(bytes, utf8Bytes, scan ? &*scan : nullptr, result);
    } catch (...) {
        if (refusedAsText())
            return result;
        throw;
    }
    refusedAsText();
    return result;
}

AttendanceCsvResult readAttendanceCsvFile(const std::filesystem::path& file) {
    AttendanceCsvResult result;
    FileBytes in(file, kMaxCsvBytes);
    switch (in.error()) {
    case FileBytes::Error::None:
        return parseAttendanceCsv(in.bytes());
    case FileBytes::Error::NotFound:
        result.error =
            CsvReadError{errnum::FileNotFound, "ファイルが見つかりません。" + quoted(file)};
        break;
    case FileBytes::Error::NotAFile:
        result.error = CsvReadError{errnum::PathAccess, "ファイルではありません。" + quoted(file),
                                    quoted(file) + "は通常のファイルではありません。"};
        break;
    case FileBytes::Error::CannotOpen:
        result.error = CsvReadError{errnum::PathAccess, "ファイルを開けません。" + quoted(file)};
        break;
    case FileBytes::Error::TooLarge:
        result.error = CsvReadError{errnum::OutOfMemory, "ファイルが大きすぎます。" + quoted(file)};
        break;
    case FileBytes::Error::CannotRead:
        result.error =
            CsvReadError{errnum::PathAccess, "ファイルを読み込めません。" + quoted(file)};
        break;
    }
    return result;
}

} // namespace citylink
