#pragma once
// The text encoding of the attendance export: which bytes are read as UTF-8 and which as CP932.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

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

// The byte-order mark a UTF-8 save may start with.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Whether any byte of `s` is >= 0x80 (not ASCII). Inline: the import asks it of every field.
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

} // namespace citylink
