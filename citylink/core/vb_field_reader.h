#pragma once
// The export's field stream, read the way the service's Windows peers read it.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace citylink {

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

} // namespace citylink
