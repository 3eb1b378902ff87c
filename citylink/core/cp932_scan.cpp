#include "citylink/core/cp932_scan.h"

#include "foundation/cp932.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace citylink {
namespace {

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

} // namespace

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

} // namespace citylink
