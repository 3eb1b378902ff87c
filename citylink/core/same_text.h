#pragma once
// Equality of two texts, quick for short ones. The attendance import compares every field with
// the same field of the record before, and most fields are a few bytes long (dates, times, codes,
// names): for those, the call into the C library and its dispatch cost more than the comparison.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace citylink {

namespace same_text_detail {
// Two loads from each end of texts of `n` bytes, sizeof(Word) <= n <= 2 * sizeof(Word): they
// overlap where n is under twice the word, so every byte is compared and none outside is read.
template <class Word>
bool sameEnds(const char* p, const char* q, std::size_t n) {
    Word p0, p1, q0, q1;
    std::memcpy(&p0, p, sizeof(Word));
    std::memcpy(&p1, p + n - sizeof(Word), sizeof(Word));
    std::memcpy(&q0, q, sizeof(Word));
    std::memcpy(&q1, q + n - sizeof(Word), sizeof(Word));
    return ((p0 ^ q0) | (p1 ^ q1)) == 0;
}
} // namespace same_text_detail

inline bool SameText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    const char* p = a.data();
    const char* q = b.data();
    if (n >= 8 && n <= 16)
        return same_text_detail::sameEnds<std::uint64_t>(p, q, n);
    if (n >= 4 && n < 8)
        return same_text_detail::sameEnds<std::uint32_t>(p, q, n);
    if (n < 4) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] != q[i])
                return false;
        return true;
    }
    return std::memcmp(p, q, n) == 0;
}

} // namespace citylink
