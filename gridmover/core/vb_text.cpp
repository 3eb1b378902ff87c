#include "gridmover/core/vb_text.h"

#include "foundation/cp932.h"

namespace gridmover::vbtext {

namespace {

inline unsigned char fold(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

inline std::size_t charLength(std::string_view s, std::size_t i) {
    return (cp932::isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// Whether needle matches hay at i (a character boundary of hay), character by character.
bool matchesAt(std::string_view hay, std::size_t i, std::string_view needle) {
    if (hay.size() - i < needle.size()) {
        return false;
    }
    std::size_t j = 0;
    while (j < needle.size()) {
        auto n = static_cast<unsigned char>(needle[j]);
        auto h = static_cast<unsigned char>(hay[i + j]);
        if (charLength(needle, j) == 2) {
            // A double-byte character only matches the same two bytes of a double-byte character.
            if (h != n || charLength(hay, i + j) != 2 || hay[i + j + 1] != needle[j + 1]) {
                return false;
            }
            j += 2;
        } else {
            if (fold(h) != fold(n) || (n >= 0x80 && h != n)) {
                return false;
            }
            // A single-byte needle character against a lead byte of hay cannot match: lead bytes
            // are never ASCII, and a lone lead byte in the needle is compared exactly above.
            j += 1;
        }
    }
    return true;
}

} // namespace

std::size_t Find(std::string_view hay, std::string_view needle, std::size_t start) {
    if (start > hay.size()) {
        return npos;
    }
    if (needle.empty()) {
        return start;
    }
    if (needle.size() > hay.size()) {
        return npos;
    }
    // Every line of every file is searched for several texts: positions whose first byte cannot
    // match, and those too near the end for the needle to fit, are passed over without a call.
    const std::size_t last = hay.size() - needle.size();
    const unsigned char first = fold(static_cast<unsigned char>(needle[0]));
    for (std::size_t i = start; i <= last; i += charLength(hay, i)) {
        if (fold(static_cast<unsigned char>(hay[i])) == first && matchesAt(hay, i, needle)) {
            // A needle that is cut off in the middle of a double-byte character of hay does not
            // count either (only possible for a needle that ends in a lone lead byte).
            std::size_t end = i + needle.size();
            std::size_t k = i;
            while (k < end) {
                k += charLength(hay, k);
            }
            if (k == end) {
                return i;
            }
        }
    }
    return npos;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && matchesAt(a, 0, b);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    if (!matchesAt(s, 0, prefix)) {
        return false;
    }
    std::size_t k = 0;
    while (k < prefix.size()) {
        k += charLength(s, k);
    }
    return k == prefix.size();
}

std::size_t ReplaceFirst(std::string& line, std::string_view search, std::string_view replacement,
                         std::size_t start) {
    std::size_t p = Find(line, search, start);
    if (p == npos) {
        return npos;
    }
    line.replace(p, search.size(), replacement);
    return p + replacement.size();
}

std::string_view LTrim(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') {
        ++i;
    }
    return s.substr(i);
}

std::string_view RTrim(std::string_view s) {
    // A space is never the second byte of a double-byte character, so trimming bytes is safe.
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') {
        --n;
    }
    return s.substr(0, n);
}

std::string_view Trim(std::string_view s) {
    return RTrim(LTrim(s));
}

std::size_t CharLengthAt(std::string_view s, std::size_t i) {
    return charLength(s, i);
}

std::size_t LastCharLength(std::string_view s) {
    std::size_t i = 0;
    std::size_t last = 0;
    while (i < s.size()) {
        last = charLength(s, i);
        i += last;
    }
    return last;
}

} // namespace gridmover::vbtext
