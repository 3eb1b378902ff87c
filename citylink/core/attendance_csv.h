#pragma once
// Reading the attendance export (the CSV file of one month from the service's screen
// "登降園管理＞出席情報検索") into attendance records. Pure: bytes in, records or an error out;
// no messages, no log. ReadCSVtoCsvArray (csv_import.h) adds the window's step around it.
#include "citylink/core/attendance.h"
#include "foundation/numbered_error.h"

#include "foundation/numbered_error.h"
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

enum class TextEncoding { Cp932, Utf8 };

// The export is CP932. A clerk who opened it in an editor and saved it again often has UTF-8
// instead, which decoded as CP932 gives plausible garbage (no care need matches and the sheet
// comes out empty), so: bytes that are valid UTF-8 and either start with a byte-order mark or hold
// any non-ASCII byte are read as UTF-8 (the mark dropped); everything else must be valid CP932.
// Returns nullopt when the bytes are neither, and for any NUL byte: no text export holds one, and
// a UTF-16 file (another "Unicode" save) would otherwise pass as CP932 garbage.
struct DecodedText {
    std::string utf8;
    TextEncoding encoding;
};
std::optional<DecodedText> decodeExportText(std::string_view bytes);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Reads fields one after another the way the service's Windows peers read the export (the
// runtime's sequential "Input #"): the file is a stream of fields, and a record is simply the next
// 15 of them whatever the line breaks. That is why this is our own reader and not a CSV library:
// a record broken over two lines must still give its 15 fields in order, and line structure must
// not decide where a record starts.
//   - A field ends at a comma, a line break (CR LF, CR or LF) or the end of the text.
//   - Blanks (space, tab) before a field are skipped; an unquoted field also loses its trailing
//     blanks (an exporter's padding is never part of a value).
//   - A field that starts with a double quote runs to the closing quote; commas and line breaks
//     inside are kept, the quotes are removed. A doubled quote "" inside is one literal quote:
//     the runtime would have cut the field there and shifted every later field, and a name with
//     a quote in it is better kept than turned into a misaligned record. Text between the
//     closing quote and the next delimiter is appended as it stands.
//   - Empty lines (nothing but blanks) are skipped: a stray blank line, often at the end of a
//     file, is never a field. "a,,b" and a line ending in a comma do give empty fields.
//   - A quote that is never closed takes the rest of the text.
class VbFieldReader {
public:
    explicit VbFieldReader(std::string_view text) : text_(text) {}
    // The next field into `field`; false when the text holds no further field.
    bool next(std::string& field);
    // The same without copying: `field` views the text, or `scratch` when the value had to be
    // put together (a "" inside quotes, text after the closing quote). Valid until the next call.
    // Inlined into the import's loop: it runs for most fields of a file.
    [[gnu::always_inline]] bool next(std::string_view& field, std::string& scratch) {
        // The usual field of an export, taken the short way: a quoted text with no quote of its
        // own, right at the position and closed right before its delimiter. Any other field takes
        // the general way, which reads this one the same.
        const std::size_t n = text_.size();
        if (pos_ < n && text_[pos_] == '"') {
            const std::size_t close = quoteFrom(pos_ + 1);
            if (close + 1 < n) {
                const char delimiter = text_[close + 1];
                if (delimiter == ',' || delimiter == '\r' || delimiter == '\n') {
                    field = std::string_view(text_.data() + pos_ + 1, close - pos_ - 1);
                    pos_ = close + 2;
                    afterComma_ = delimiter == ',';
                    if (delimiter == '\r' && pos_ < n && text_[pos_] == '\n')
                        ++pos_;
                    return true;
                }
            }
        }
        return nextGeneral(field, scratch);
    }
    // Byte offset of the reader in the text.
    std::size_t position() const { return pos_; }
    // Whether a comma was the last thing read (a field, maybe empty, must follow).
    bool afterComma() const { return afterComma_; }
    // Moves the reader `bytes` further without reading them. Only for a stretch that is equal, byte
    // for byte, to one this reader has read before starting and ending right after a comma: the
    // caller knows the fields it holds already.
    void skipReadStretch(std::size_t bytes) { pos_ += bytes; }

private:
    bool nextGeneral(std::string_view& field, std::string& scratch);

    // Position of the first double quote at or after `from`; the text's size when there is none.
    [[gnu::always_inline]] std::size_t quoteFrom(std::size_t from) const {
        // Most quoted values of an export (dates, times, codes, names) are shorter than sixteen
        // bytes: two words searched in place cost less than the call into the C library.
        if constexpr (std::endian::native == std::endian::little) {
            // The lowest byte flagged is the first quote (a flag above it may be false).
            constexpr std::uint64_t kOnes = 0x0101010101010101ull;
            constexpr std::uint64_t kHigh = 0x8080808080808080ull;
            auto quotes = [&](std::size_t at) {
                std::uint64_t w;
                std::memcpy(&w, text_.data() + at, 8);
                const std::uint64_t x = w ^ (kOnes * '"'); // a zero byte where a quote is
                return (x - kOnes) & ~x & kHigh;
            };
            if (text_.size() - from >= 16) {
                if (const std::uint64_t first = quotes(from); first != 0)
                    return from + static_cast<std::size_t>(std::countr_zero(first)) / 8;
                if (const std::uint64_t second = quotes(from + 8); second != 0)
                    return from + 8 + static_cast<std::size_t>(std::countr_zero(second)) / 8;
                from += 16;
            }
        }
        const std::size_t at = text_.find('"', from);
        return at == std::string_view::npos ? text_.size() : at;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    bool afterComma_ = false; // a comma was just read: a field (maybe empty) must follow
};

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

// The export's bytes to records: decode (above), drop the 15 header fields, then take fields 15 at
// a time; `date` and `birthDate` become "yyyy/mm/dd" when dates::parseDate accepts them and keep
// their text otherwise. A record whose 15 fields are all blank is dropped (the empty rows a
// spreadsheet writes when the export was opened and saved in it). Errors: bytes neither CP932 nor
// UTF-8; fewer than 15 header fields or a last record with fewer than 15 fields; no record after
// the header; more than kMaxCsvRecords records or kMaxCsvTextBytes of text in UTF-8.
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
