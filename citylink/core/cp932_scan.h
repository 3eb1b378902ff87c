#pragma once
// The check that a CP932 export holds whole characters, taken as the import reads it.
#include <algorithm>
#include <cstddef>
#include <string_view>

namespace citylink {

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

// The whole scan at once: false when `bytes` is not whole CP932 characters, else `utf8Bytes` is
// the most bytes the text can take in UTF-8.
bool wholeCp932Characters(std::string_view bytes, std::size_t& utf8Bytes);

} // namespace citylink
