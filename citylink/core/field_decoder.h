#pragma once
// The import's decoding of a field of the export into UTF-8, one distinct text at a time.
#include "citylink/core/attendance.h"
#include "citylink/core/export_text.h"
#include "citylink/core/same_text.h"
#include "citylink/core/text_map.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace citylink {

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
                                      std::string_view& out);

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

} // namespace citylink
