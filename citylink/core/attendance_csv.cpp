#include "citylink/core/attendance_csv.h"

#include "citylink/core/same_text.h"

#include "foundation/blanks.h"
#include "foundation/cp932.h"
#include "foundation/dates.h"
#include "foundation/file_bytes.h"
#include "foundation/utf8_path.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <unordered_map>

namespace citylink {
namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Whether text is already d written as "yyyy/mm/dd" (the common case in an export; checking
// is much cheaper than formatting it again).
bool isYmdOf(std::string_view text, const dates::Date& d) {
    if (text.size() != 10 || text[4] != '/' || text[7] != '/')
        return false;
    auto digits = [&](std::size_t at, std::size_t n) {
        int v = 0;
        for (std::size_t i = at; i < at + n; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    return digits(0, 4) == static_cast<int>(d.year()) &&
           digits(5, 2) == static_cast<int>(static_cast<unsigned>(d.month())) &&
           digits(8, 2) == static_cast<int>(static_cast<unsigned>(d.day()));
}

// dates::formatYmd without its printf, which cost more than the rest of judging a birth date:
// "yyyy/mm/dd" of a date dates::parseDate gave (years 1 to 9999).
std::string ymdText(const dates::Date& d) {
    const int y = static_cast<int>(d.year());
    const auto m = static_cast<unsigned>(d.month());
    const auto day = static_cast<unsigned>(d.day());
    if (y < 1 || y > 9999 || m > 99 || day > 99)
        return dates::formatYmd(d);
    const char text[10] = {static_cast<char>('0' + y / 1000),
                           static_cast<char>('0' + y / 100 % 10),
                           static_cast<char>('0' + y / 10 % 10),
                           static_cast<char>('0' + y % 10),
                           '/',
                           static_cast<char>('0' + m / 10),
                           static_cast<char>('0' + m % 10),
                           '/',
                           static_cast<char>('0' + day / 10),
                           static_cast<char>('0' + day % 10)};
    return std::string(text, sizeof text);
}

// Whether text is shaped "dddd/dd/dd" (ten bytes, digits and two slashes). Such a text is kept
// as it stands whatever it holds: when it is a date it is already "yyyy/mm/dd", and when it is
// none ("2019/04/31") it keeps its text. The export writes every day of the month this way, so
// the date column of each record is judged without a parse or a look-up.
inline bool isYmdShaped(std::string_view text) {
    if (text.size() != 10 || text[4] != '/' || text[7] != '/')
        return false;
    if constexpr (std::endian::native == std::endian::little) {
        // The first eight bytes at once, the slashes taken as '0': every byte must lie in
        // '0'-'9', which the three tests of the high bits check without a carry between bytes.
        constexpr std::uint64_t kHigh = 0x8080808080808080ull;
        constexpr std::uint64_t kSlashes = 0xFF0000FF00000000ull; // bytes 4 and 7
        std::uint64_t w;
        std::memcpy(&w, text.data(), 8);
        w = (w & ~kSlashes) | (0x3030303030303030ull & kSlashes);
        if ((w & kHigh) != 0 || (((w | kHigh) - 0x3030303030303030ull) & kHigh) != kHigh ||
            ((w + 0x4646464646464646ull) & kHigh) != 0)
            return false;
        return text[8] >= '0' && text[8] <= '9' && text[9] >= '0' && text[9] <= '9';
    }
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9'))
            return false;
    return true;
}

// Hashes std::string keys and looks them up by std::string_view: a field is looked up without
// first being copied into a string of its own.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};
struct TextEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};
template <class Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, TextEqual>;

// A date column as the table keeps it: "yyyy/mm/dd" when it is a date, its text otherwise.
// An export repeats a few dozen date texts thousands of times (the month's days, each child's
// birth date on every day), so each distinct text is judged once.
class DateNormaliser {
public:
    // `field` as the table keeps it. The view points into `field`, into this object or into
    // `storage`, and stays valid while all three do.
    [[gnu::always_inline]] std::string_view normalise(std::string_view field,
                                                      std::string& storage) {
        return isYmdShaped(field) ? field : judge(field, storage);
    }

private:
    [[gnu::noinline]] std::string_view judge(std::string_view field, std::string& storage) {
        // A date is a short text; a long one (a hostile file's) is judged each time rather than
        // kept, so that the cache stays small whatever the file holds.
        if (field.size() > kMaxCachedText) {
            auto d = dates::parseDate(field);
            if (!d || isYmdOf(field, *d))
                return field;
            storage = ymdText(*d);
            return storage;
        }
        // A child's birth date stands on every one of the child's days, one after another.
        if (last_ && SameText(last_->first, field))
            return last_->second ? std::string_view(*last_->second) : field;
        if (auto it = cache_.find(field); it != cache_.end()) {
            last_ = &*it;
            return it->second ? std::string_view(*it->second) : field;
        }
        std::optional<std::string> ymd;
        if (auto d = dates::parseDate(field); d && !isYmdOf(field, *d))
            ymd = ymdText(*d);
        if (cache_.size() < kMaxCached) {
            auto it = cache_.emplace(std::string(field), std::move(ymd)).first;
            last_ = &*it;
            return it->second ? std::string_view(*it->second) : field;
        }
        if (!ymd)
            return field;
        storage = std::move(*ymd);
        return storage;
    }

    static constexpr std::size_t kMaxCached = 1 << 14;
    static constexpr std::size_t kMaxCachedText = 32;
    TextMap<std::optional<std::string>> cache_; // nullopt: keep the text
    // The entry of the text judged last (entries never move or go).
    const std::pair<const std::string, std::optional<std::string>>* last_ = nullptr;
};

std::string quoted(const std::filesystem::path& file) {
    return "「" + utf8::fromPath(file) + "」";
}

// Moves p past eight bytes when they are all ASCII: the export is mostly digits, commas and
// slashes, and the byte scanners below check those eight at a time.
bool skipAsciiBlock(const unsigned char*& p, const unsigned char* end) {
    if (end - p < 8)
        return false;
    std::uint64_t chunk;
    std::memcpy(&chunk, p, 8);
    if ((chunk & 0x8080808080808080ull) != 0)
        return false;
    p += 8;
    return true;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        if (skipAsciiBlock(p, end))
            continue;
        unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int len;
        unsigned lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0; // no overlong forms
            if (c == 0xED)
                hi = 0x9F; // no surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            if (c == 0xF4)
                hi = 0x8F; // nothing past U+10FFFF
        } else {
            return false;
        }
        if (end - p < len)
            return false;
        if (p[1] < lo || p[1] > hi)
            return false;
        for (int i = 2; i < len; ++i)
            if ((p[i] & 0xC0) != 0x80)
                return false;
        p += len;
    }
    return true;
}

std::optional<DecodedText> decodeExportText(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos)
        return std::nullopt;
    bool bom = bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
    bool nonAscii = false;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            nonAscii = true;
            break;
        }
    }
    // A CP932 export fails the UTF-8 test at its first Japanese character, so this costs little.
    if (nonAscii && isValidUtf8(bytes)) {
        if (bom)
            bytes.remove_prefix(kUtf8Bom.size());
        return DecodedText{std::string(bytes), TextEncoding::Utf8};
    }
    if (auto text = cp932::tryToUtf8(bytes))
        return DecodedText{std::move(*text), TextEncoding::Cp932};
    return std::nullopt;
}

bool VbFieldReader::next(std::string& field) {
    std::string_view view;
    if (!next(view, field))
        return false;
    if (view.data() != field.data() || view.size() != field.size())
        field.assign(view);
    return true;
}

bool VbFieldReader::nextGeneral(std::string_view& field, std::string& scratch) {
    const std::size_t n = text_.size();
    // Blanks, and whole empty lines unless a comma has promised a field.
    for (;;) {
        while (pos_ < n && blanks::isBlank(text_[pos_]))
            ++pos_;
        if (afterComma_ || pos_ >= n || !isLineBreak(text_[pos_]))
            break;
        ++pos_;
    }
    if (pos_ >= n) {
        if (!afterComma_)
            return false;
        afterComma_ = false;
        field = {}; // "a," at the very end: the comma closes an empty last field
        return true;
    }

    auto delimiterFrom = [&](std::size_t from) {
        while (from < n && text_[from] != ',' && !isLineBreak(text_[from]))
            ++from;
        return from;
    };
    if (text_[pos_] == '"') {
        ++pos_;
        std::size_t close = text_.find('"', pos_);
        if (close == std::string_view::npos)
            close = n;
        field = text_.substr(pos_, close - pos_);
        pos_ = std::min(close + 1, n);
        // The usual case, a quote followed by its delimiter, stays a view into the text.
        bool copied = false;
        while (pos_ < n && text_[pos_] == '"') { // "" is one literal quote
            if (!copied) {
                scratch.assign(field);
                copied = true;
            }
            scratch.push_back('"');
            ++pos_;
            close = text_.find('"', pos_);
            if (close == std::string_view::npos)
                close = n;
            scratch.append(text_.substr(pos_, close - pos_));
            pos_ = std::min(close + 1, n);
        }
        // Anything between the closing quote and the delimiter belongs to the field.
        std::size_t stop = delimiterFrom(pos_);
        std::string_view tail = blanks::trim(text_.substr(pos_, stop - pos_));
        if (!tail.empty()) {
            if (!copied) {
                scratch.assign(field);
                copied = true;
            }
            scratch.append(tail);
        }
        if (copied)
            field = scratch;
        pos_ = stop;
    } else {
        std::size_t stop = delimiterFrom(pos_);
        field = blanks::trimRight(text_.substr(pos_, stop - pos_));
        pos_ = stop;
    }

    // Consume the delimiter.
    afterComma_ = false;
    if (pos_ < n) {
        if (text_[pos_] == ',') {
            afterComma_ = true;
            ++pos_;
        } else if (text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < n && text_[pos_] == '\n')
                ++pos_;
        } else { // '\n'
            ++pos_;
        }
    }
    return true;
}

namespace {

inline bool hasHighByte(std::string_view s) {
    // Word loads, the last one overlapping the one before: most fields are a few bytes long, and
    // a byte loop over their tail cost more than the words before it.
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const char* p = s.data();
    const std::size_t n = s.size();
    if (n >= 8) {
        std::uint64_t w;
        for (std::size_t i = 0; i + 8 < n; i += 8) {
            std::memcpy(&w, p + i, 8);
            if ((w & kHigh) != 0)
                return true;
        }
        std::memcpy(&w, p + n - 8, 8);
        return (w & kHigh) != 0;
    }
    if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, p + n - 4, 4);
        return ((a | b) & 0x80808080u) != 0;
    }
    if (n == 0)
        return false;
    return ((static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) |
             static_cast<unsigned char>(p[n - 1])) &
            0x80) != 0; // one to three bytes, each looked at
}

// Turns the fields of a CP932 export into UTF-8 one by one instead of decoding the whole file
// first. The field stream can run over the raw bytes because no CP932 trail byte (0x40-0xFC) is a
// comma, a quote, a blank or a line break, and every non-ASCII byte of the file lands in some
// field, so every byte is still checked. It pays because an export repeats the same few texts
// (class, care need, each child's name and reading on every day): decoding each distinct text
// once makes the import several times faster than decoding the file.
class FieldDecoder {
public:
    explicit FieldDecoder(TextEncoding encoding) : encoding_(encoding) {}

    // `raw` (of the given column) as UTF-8 in `out`; false when it is not valid CP932. `out` is
    // `raw` itself or points into this object, valid until the column's next decode.
    [[gnu::always_inline]] bool decode(std::string_view raw, std::size_t column,
                                       std::string_view& out) {
        if (encoding_ == TextEncoding::Utf8 || !hasHighByte(raw)) {
            out = raw;
            return true;
        }
        return decodeText(raw, column, out);
    }

private:
    // decode for a CP932 text with a byte >= 0x80 (kept out of line: the ASCII case above is
    // most fields of an export).
    [[gnu::noinline]] bool decodeText(std::string_view raw, std::size_t column,
                                      std::string_view& out) {
        // Consecutive records are mostly days of one child: the same name, reading, class.
        Last& last = last_[column % last_.size()];
        if (SameText(last.raw, raw)) {
            out = last.utf8;
            return true;
        }
        // A few texts take turns in a column (出席 and 欠席, the usual remarks): the column's
        // recent ones are found by a few of their bytes, without hashing them whole for the cache.
        Seen& seen = seen_[column % seen_.size()][seenSlot(raw)];
        if (SameText(seen.raw, raw)) {
            last.raw = seen.raw;
            last.utf8 = seen.utf8;
            out = last.utf8;
            return true;
        }
        // Only short texts are kept: names and classes repeat and are short, while long texts
        // (remarks, or a hostile file's megabyte names) would fill the cache with copies.
        if (raw.size() > kMaxCachedText) {
            auto utf8 = cp932::tryToUtf8(raw);
            if (!utf8)
                return false;
            last.ownUtf8 = std::move(*utf8);
            last.raw = {};
            last.utf8 = last.ownUtf8;
            out = last.utf8;
            return true;
        }
        auto it = cache_.find(raw);
        if (it == cache_.end()) {
            auto utf8 = cp932::tryToUtf8(raw);
            if (!utf8)
                return false;
            if (cache_.size() < kMaxCached) {
                it = cache_.emplace(std::string(raw), std::move(*utf8)).first;
            } else {
                last.ownRaw.assign(raw);
                last.ownUtf8 = std::move(*utf8);
                last.raw = last.ownRaw;
                last.utf8 = last.ownUtf8;
                out = last.utf8;
                return true;
            }
        }
        // The cache's entries never move or go: the column's last text is viewed, not copied.
        last.raw = seen.raw = it->first;
        last.utf8 = seen.utf8 = it->second;
        out = last.utf8;
        return true;
    }

    static constexpr std::size_t kMaxCached = 1 << 16; // remarks may all differ: bound the memory
    static constexpr std::size_t kMaxCachedText = 96;
    struct Last {
        // The column's last text and its UTF-8: views into cache_ or into the copies below. raw is
        // never empty once set (empty fields are ASCII) except after a long text, which is not
        // compared again.
        std::string_view raw, utf8;
        std::string ownRaw, ownUtf8; // a text the cache has no room for, or a long one
    };
    // A text of the cache seen lately in a column, by seenSlot.
    struct Seen {
        std::string_view raw, utf8;
    };
    static constexpr std::size_t kSeenSlots = 16;
    static std::size_t seenSlot(std::string_view raw) { // raw is not empty
        // Both ends: 出席 and 欠席 differ only in their first character.
        std::uint32_t head = static_cast<unsigned char>(raw.front());
        std::uint32_t tail = static_cast<unsigned char>(raw.back());
        if (raw.size() >= 4) {
            std::memcpy(&head, raw.data(), 4);
            std::memcpy(&tail, raw.data() + raw.size() - 4, 4);
        }
        const std::uint32_t h =
            (head * 0x9E3779B1u) ^ (tail * 0x85EBCA77u) ^ static_cast<std::uint32_t>(raw.size());
        return (h * 0xC2B2AE3Du >> 16) % kSeenSlots;
    }

    TextEncoding encoding_;
    std::array<Last, AttendanceRecord::kFieldCount> last_;
    std::array<std::array<Seen, kSeenSlots>, AttendanceRecord::kFieldCount> seen_{};
    TextMap<std::string> cache_;
};

// What a byte is where a CP932 character may start, and whether a byte may end a double-byte
// character (0x40-0x7E, 0x80-0xFC).
enum : std::uint8_t { kAsciiByte, kSingleByte, kLeadByte };
constexpr std::array<std::uint8_t, 256> kCp932Kind = [] {
    std::array<std::uint8_t, 256> kind{};
    for (unsigned b = 0x80; b < 256; ++b)
        kind[b] = cp932::isLeadByte(static_cast<unsigned char>(b)) ? kLeadByte : kSingleByte;
    return kind;
}();
constexpr std::array<bool, 256> kCp932Trail = [] {
    std::array<bool, 256> trail{};
    for (unsigned b = 0x40; b <= 0xFC; ++b)
        trail[b] = b != 0x7F;
    return trail;
}();

// Whether every lead byte of CP932 is followed by a trail byte (0x40-0x7E, 0x80-0xFC). Then no
// comma, quote, blank or line break is the second half of a character, each field holds whole
// characters, and decoding the fields one by one checks exactly what decoding the file would
// (without this, a quote removed between a lead byte and the text after it would join them).
// Also counts the most bytes the text can take in UTF-8: three for a single-byte katakana, three
// for a double-byte character, one for ASCII.
//
// Taken in steps, so that the import checks the bytes as its reader passes them and need not
// check again a stretch its reader skips as a repeat of one it has read. Between steps the scan
// stands where a character starts.
class Cp932Scan {
public:
    explicit Cp932Scan(std::string_view bytes)
        : begin_(reinterpret_cast<const unsigned char*>(bytes.data())), p_(begin_),
          end_(begin_ + bytes.size()) {}

    // Checks the characters that start before offset `limit` (and maybe some after it); false at
    // the first fault, and from then on.
    bool upTo(std::size_t limit);
    // Passes the stretch of `size` bytes at `from`, which the scan has reached. Only for a stretch
    // that starts and ends right after a comma and is byte for byte one that was checked: a
    // comma is never part of a character, so the stretch starts where a character does and holds
    // the same characters, all whole. Its bytes are not counted in extra().
    void skip(std::size_t from, std::size_t size) { p_ = std::max(p_, begin_ + from + size); }
    // Bytes beyond one per byte that the characters checked take in UTF-8.
    std::size_t extra() const { return extra_; }

private:
    const unsigned char* begin_;
    const unsigned char* p_;
    const unsigned char* end_;
    std::size_t extra_ = 0;
    bool failed_ = false;
};

bool Cp932Scan::upTo(std::size_t limit) {
    if (failed_)
        return false;
    const unsigned char* p = p_;
    const unsigned char* const end = end_;
    const unsigned char* const stop = begin_ + std::min<std::size_t>(limit, end - begin_);
    std::size_t extra = extra_;
    while (p < stop) {
        // The ASCII before the next byte >= 0x80, sixteen or eight bytes at a time: an export's
        // ASCII runs (dates, times and the commas between its Japanese texts) are short.
        if (end - p >= 16) {
            std::uint64_t first, second;
            std::memcpy(&first, p, 8);
            std::memcpy(&second, p + 8, 8);
            if (((first | second) & 0x8080808080808080ull) == 0) {
                p += 16;
                continue;
            }
        }
        if (end - p >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, p, 8);
            const std::uint64_t high = chunk & 0x8080808080808080ull;
            if (high == 0) {
                p += 8;
                continue;
            }
            // Past the ASCII bytes before the first one with its high bit set.
            p += static_cast<unsigned>(std::endian::native == std::endian::little
                                           ? std::countr_zero(high)
                                           : std::countl_zero(high)) /
                 8;
        } else if (*p < 0x80) {
            ++p;
            continue;
        }
        // A run of characters that are not ASCII (a Japanese text), one character at a time, by
        // table: this loop sees every Japanese character the scan checks.
        while (end - p >= 2) {
            // Two double-byte characters at once, the usual case of a Japanese text.
            if (end - p >= 4 && kCp932Kind[p[0]] == kLeadByte && kCp932Kind[p[2]] == kLeadByte &&
                kCp932Trail[p[1]] && kCp932Trail[p[3]]) {
                extra += 2;
                p += 4;
                continue;
            }
            const std::uint8_t kind = kCp932Kind[*p];
            if (kind == kAsciiByte)
                break;
            if (kind == kSingleByte) {
                extra += 2;
                ++p;
                continue;
            }
            if (!kCp932Trail[p[1]]) {
                failed_ = true;
                return false;
            }
            extra += 1;
            p += 2;
        }
        if (end - p == 1 && *p >= 0x80) { // the last byte of the file
            if (cp932::isLeadByte(*p)) {
                failed_ = true;
                return false;
            }
            extra += 2;
            ++p;
        }
    }
    p_ = p;
    extra_ = extra;
    return true;
}

bool wholeCp932Characters(std::string_view bytes, std::size_t& utf8Bytes) {
    Cp932Scan scan(bytes);
    if (!scan.upTo(bytes.size()))
        return false;
    utf8Bytes = bytes.size() + scan.extra();
    return true;
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
