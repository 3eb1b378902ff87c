#include "citylink/sheets/xlsx/cell_text.h"
#include "foundation/utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace sheets::xlsx {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The character at text[i] (U+FFFD for a sequence that is not valid UTF-8, which then costs one
// byte); advances i.
char32_t decode(std::string_view text, std::size_t& i) {
    return utf8::decode(text, i).value_or(0xFFFD);
}

bool isHex(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Whether text[i..] starts with "_xHHHH", the head of an escape sequence.
bool escapeHeadAt(std::string_view text, std::size_t i) {
    if (i + 6 > text.size() || text[i] != '_' || text[i + 1] != 'x')
        return false;
    for (std::size_t k = i + 2; k < i + 6; ++k)
        if (!isHex(text[k]))
            return false;
    return true;
}

// Whether text[i..] starts an escape sequence "_xHHHH_".
bool escapeAt(std::string_view text, std::size_t i) {
    return escapeHeadAt(text, i) && i + 6 < text.size() && text[i + 6] == '_';
}

char32_t fold(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c >= 0xFF21 && c <= 0xFF3A) // full-width Latin capitals
        return c + 32;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1 capitals
        return c + 32;
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) // Greek capitals
        return c + 32;
    if (c >= 0x410 && c <= 0x42F) // Cyrillic capitals
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

} // namespace

std::optional<std::string> NumberLiteral(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    std::string_view t = text.substr(begin, end - begin);

    // The hours and minutes of a filled form, taken the short way: up to four digits read as
    // themselves without leading zeros, which is what the general way below gives for them too
    // (the shortest form of a whole number under 10000 has no exponent).
    if (!t.empty() && t.size() <= 4 &&
        std::all_of(t.begin(), t.end(), [](char c) { return isDigit(c); })) {
        std::size_t zeros = 0;
        while (zeros + 1 < t.size() && t[zeros] == '0')
            ++zeros;
        return std::string(t.substr(zeros));
    }

    // Check the shape first: from_chars alone would accept "inf", "nan" and hex forms.
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i]))
        ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        std::size_t expDigits = 0;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++expDigits;
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;

    std::string_view unsignedPart = t.substr((t[0] == '+' || t[0] == '-') ? 1 : 0);
    double value = 0;
    auto [ptr, ec] =
        std::from_chars(unsignedPart.data(), unsignedPart.data() + unsignedPart.size(), value);
    if (ec != std::errc() || ptr != unsignedPart.data() + unsignedPart.size() ||
        !std::isfinite(value))
        return std::nullopt;
    if (negative && value != 0)
        value = -value;
    char buffer[64];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

StoredValue StoreAssignedText(std::string_view value, bool textFormat) {
    // The hours and minutes of a filled form, NumberLiteral's short way without its temporary.
    if (!textFormat && !value.empty() && value.size() <= 4 &&
        std::all_of(value.begin(), value.end(), [](char c) { return isDigit(c); })) {
        std::size_t zeros = 0;
        while (zeros + 1 < value.size() && value[zeros] == '0')
            ++zeros;
        return {std::string(value.substr(zeros)), true};
    }
    if (!textFormat)
        if (auto number = NumberLiteral(value))
            return {std::move(*number), true};
    // Most texts (a child's name) are valid UTF-8 without controls, noncharacters or underscores:
    // sanitising and escaping leave them as they are.
    bool plain = true;
    for (std::size_t i = 0; plain && i < value.size();) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x80) {
            plain = (c >= 0x20 || c == '\t' || c == '\n') && c != '_';
            ++i;
            continue;
        }
        std::optional<char32_t> cp = utf8::decode(value, i);
        plain = cp && *cp != 0xFFFE && *cp != 0xFFFF;
    }
    if (plain)
        return {std::string(value), false};
    return {EscapeCellText(SanitizeUtf8(value)), false};
}

bool NeedsSpacePreserved(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    return !text.empty() && (blank(text.front()) || blank(text.back()));
}

std::string SanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        utf8::append(decode(text, i), out);
    return out;
}

std::string EscapeCellText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        // Any "_xHHHH" head is protected, not only a whole "_xHHHH_": the character after it may
        // itself be stored as an escape starting with "_", which would complete the sequence.
        if (escapeHeadAt(utf8, i)) {
            out += "_x005F_";
            ++i;
            continue;
        }
        std::size_t start = i;
        char32_t cp = decode(utf8, i);
        bool unsafe = (cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0xFFFE || cp == 0xFFFF;
        if (unsafe) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "_x%04X_", static_cast<unsigned>(cp));
            out += buffer;
        } else if (cp == 0xFFFD && utf8.substr(start, 3) != "\xEF\xBF\xBD") {
            utf8::append(cp, out);
        } else {
            out.append(utf8.substr(start, i - start));
        }
    }
    return out;
}

std::string UnescapeCellText(std::string_view stored) {
    if (stored.find("_x") == std::string_view::npos)
        return std::string(stored);
    std::string out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size();) {
        if (escapeAt(stored, i)) {
            unsigned cp = 0;
            std::from_chars(stored.data() + i + 2, stored.data() + i + 6, cp, 16);
            utf8::append(cp >= 0xD800 && cp <= 0xDFFF ? 0xFFFD : cp, out);
            i += 7;
        } else {
            out += stored[i++];
        }
    }
    return out;
}

bool SameSheetName(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size())
        if (fold(decode(a, i)) != fold(decode(b, j)))
            return false;
    return i == a.size() && j == b.size();
}

} // namespace sheets::xlsx
