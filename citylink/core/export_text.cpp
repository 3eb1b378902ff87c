#include "citylink/core/export_text.h"

#include "foundation/cp932.h"

namespace citylink {
namespace {

// Moves p past eight bytes when they are all ASCII: the export is mostly digits, commas and
// slashes, and the check below takes those eight at a time.
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

} // namespace citylink
