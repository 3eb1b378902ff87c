#include "gridmover/core/vb_text.h"

#include "foundation/cp932.h"

#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gridmover::vbtext {

namespace {

inline unsigned char fold(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

inline std::size_t charLength(std::string_view s, std::size_t i) {
    return (cp932::isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// The other case of an ASCII letter; any other byte itself.
inline unsigned char otherCase(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return static_cast<unsigned char>(c - 'a' + 'A');
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c - 'A' + 'a');
    }
    return c;
}

// How common a byte is in VB6 source text, roughly (higher is more common; a letter counts both
// its cases): blanks, letters by their frequency in English words, the lead and trail bytes of
// Japanese text, then digits and punctuation.
struct Commonness {
    constexpr Commonness() : score{} {
        constexpr std::string_view letters = "etaoinsrhldcumfpgwybvkxjqz";
        for (int c = 0; c < 256; ++c) {
            score[c] = c >= 0x80 ? 40 : (c >= '0' && c <= '9') ? 30 : 10;
        }
        score[static_cast<unsigned char>(' ')] = 100;
        for (std::size_t at = 0; at < letters.size(); ++at) {
            const auto lower = static_cast<unsigned char>(letters[at]);
            score[lower] = static_cast<unsigned char>(80 - 2 * at);
            score[lower - 32] = score[lower];
        }
    }
    unsigned char score[256];
};
constexpr Commonness kCommonness;

// The position in needle of the byte the search looks for first: its least common one (the
// first of equals).
std::size_t anchorOf(std::string_view needle) {
    std::size_t best = 0;
    unsigned char bestScore = kCommonness.score[static_cast<unsigned char>(needle[0])];
    for (std::size_t j = 1; j < needle.size() && bestScore > 10; ++j) {
        const unsigned char score = kCommonness.score[static_cast<unsigned char>(needle[j])];
        if (score < bestScore) {
            best = j;
            bestScore = score;
        }
    }
    return best;
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

// The first character boundary at or after the byte `to`, walking from the boundary `from`. A line
// is mostly ASCII, where every byte is a character: runs of eight such bytes are passed at once.
std::size_t boundaryFrom(std::string_view hay, std::size_t from, std::size_t to) {
    while (from < to) {
        if (to - from >= 8) {
            std::uint64_t eight;
            std::memcpy(&eight, hay.data() + from, 8);
            if ((eight & 0x8080808080808080u) == 0) {
                from += 8;
                continue;
            }
        }
        from += charLength(hay, from);
    }
    return from;
}

// Whether the n bytes from the character boundary i end on a character boundary of hay: a needle
// cut off in the middle of a double-byte character of hay does not count as found (only possible
// for a needle that ends in a lone lead byte).
bool endsOnBoundary(std::string_view hay, std::size_t i, std::size_t n) {
    return boundaryFrom(hay, i, i + n) == i + n;
}

} // namespace

std::size_t Find(std::string_view hay, std::string_view needle, std::size_t start) {
    if (start > hay.size()) {
        return npos;
    }
    if (needle.empty()) {
        return start;
    }
    if (needle.size() > hay.size() || start > hay.size() - needle.size()) {
        return npos;
    }
    // Every line of every file is searched for several texts, and most lines hold none of them.
    // The search scans the line for the needle's least common byte (both cases of a letter) and
    // looks closer only where that byte is: a position matches only where each needle byte stands
    // as itself or, for an ASCII letter, in the other case.
    const std::size_t last = hay.size() - needle.size();
    const std::size_t k = anchorOf(needle);
    const auto anchor = static_cast<unsigned char>(needle[k]);
    // A letter and only its other case differ in bit 5 alone: with that bit set in both, one
    // compare finds either.
    const unsigned char caseBit = otherCase(anchor) != anchor ? 0x20 : 0;
    const auto target = static_cast<unsigned char>(anchor | caseBit);
    const unsigned char first = fold(static_cast<unsigned char>(needle[0]));
    const char* const base = hay.data();
    // Character boundaries are known only walking from start: the walk goes as far as the
    // positions looked at closely, never twice over the same bytes.
    std::size_t boundary = start;
    auto foundAt = [&](const char* at) {
        const std::size_t i = static_cast<std::size_t>(at - base) - k;
        if (fold(static_cast<unsigned char>(hay[i])) != first || !matchesAt(hay, i, needle)) {
            return false;
        }
        boundary = boundaryFrom(hay, boundary, i);
        // Not where the match starts with the second byte of a double-byte character.
        return boundary == i && endsOnBoundary(hay, i, needle.size());
    };
    const char* at = base + start + k;
    const char* const stop = base + last + k + 1; // an anchor at or past this leaves no room
#if defined(__SSE2__)
    // Sixteen bytes to a compare.
    const __m128i wanted = _mm_set1_epi8(static_cast<char>(target));
    const __m128i bit = _mm_set1_epi8(static_cast<char>(caseBit));
    auto hitsAt = [&](const char* block) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(bytes, bit), wanted)));
    };
    for (; stop - at >= 16; at += 16) {
        for (unsigned hits = hitsAt(at); hits != 0; hits &= hits - 1) {
            if (foundAt(at + __builtin_ctz(hits))) {
                return static_cast<std::size_t>(at + __builtin_ctz(hits) - base) - k;
            }
        }
    }
    if (at < stop && stop - base >= 16) {
        // The rest: the last sixteen bytes before stop, without those looked at already.
        const char* const block = stop - 16;
        for (unsigned hits = hitsAt(block) & (~0u << (at - block)); hits != 0; hits &= hits - 1) {
            if (foundAt(block + __builtin_ctz(hits))) {
                return static_cast<std::size_t>(block + __builtin_ctz(hits) - base) - k;
            }
        }
        return npos;
    }
#endif
    for (; at < stop; ++at) {
        if ((static_cast<unsigned char>(*at) | caseBit) == target && foundAt(at)) {
            return static_cast<std::size_t>(at - base) - k;
        }
    }
    return npos;
}

bool MatchesAt(std::string_view hay, std::size_t i, std::string_view needle) {
    return i <= hay.size() && matchesAt(hay, i, needle) && endsOnBoundary(hay, i, needle.size());
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
