#pragma once
// Equality of two texts, quick for short ones. The attendance import compares every field with
// the same field of the record before, and most fields are a few bytes long (dates, times, codes,
// names): for those, the call into the C library and its dispatch cost more than the comparison.
#include <cstdint>
#include <cstring>
#include <string_view>

namespace citylink {

inline bool SameText(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    const char* p = a.data();
    const char* q = b.data();
    // Two loads from each end, which overlap for lengths under twice the load: every byte is
    // compared and none outside the texts is read.
    if (n >= 8 && n <= 16) {
        std::uint64_t p0, p1, q0, q1;
        std::memcpy(&p0, p, 8);
        std::memcpy(&p1, p + n - 8, 8);
        std::memcpy(&q0, q, 8);
        std::memcpy(&q1, q + n - 8, 8);
        return ((p0 ^ q0) | (p1 ^ q1)) == 0;
    }
    if (n >= 4 && n < 8) {
        std::uint32_t p0, p1, q0, q1;
        std::memcpy(&p0, p, 4);
        std::memcpy(&p1, p + n - 4, 4);
        std::memcpy(&q0, q, 4);
        std::memcpy(&q1, q + n - 4, 4);
        return ((p0 ^ q0) | (p1 ^ q1)) == 0;
    }
    if (n < 4) {
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] != q[i])
                return false;
        return true;
    }
    return std::memcmp(p, q, n) == 0;
}

} // namespace citylink
