#include "foundation/cp932.h"

// The conversions themselves are the platform's (platform/<os>/cp932_codec.cpp).

namespace cp932 {

std::optional<std::string> tryToUtf8(std::string_view cp932Bytes) {
    try {
        return toUtf8(cp932Bytes);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::optional<std::string> tryFromUtf8(std::string_view utf8) {
    try {
        return fromUtf8(utf8);
    } catch (const Error&) {
        return std::nullopt;
    }
}

std::size_t wholeCharPrefix(std::string_view bytes, std::size_t maxBytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t len =
            (isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        if (i + len > maxBytes)
            break;
        i += len;
    }
    return i;
}

} // namespace cp932
