// The short-text comparison reads each text from both ends in overlapping words: every length
// around the word sizes must still compare each byte, and none outside the texts.
#include "citylink/core/same_text.h"

#include <gtest/gtest.h>

#include <string>

namespace citylink {
namespace {

TEST(SameText, EveryByteOfEveryLengthCounts) {
    for (std::size_t n = 0; n <= 40; ++n) {
        std::string a(n, 'x');
        for (std::size_t i = 0; i < n; ++i)
            a[i] = static_cast<char>('a' + i % 26);
        std::string b = a;
        EXPECT_TRUE(SameText(a, b)) << n;
        for (std::size_t i = 0; i < n; ++i) {
            std::string c = a;
            c[i] = static_cast<char>(c[i] ^ 0x80); // a CP932 lead byte where ASCII was
            EXPECT_FALSE(SameText(a, c)) << n << " " << i;
        }
        EXPECT_FALSE(SameText(a, a + "y")) << n;
    }
}

TEST(SameText, ReadsNothingAroundTheTexts) {
    // Views into the middle of a buffer whose bytes around them differ: only the views count.
    const std::string left = "AAAA0123456789BBBB";
    const std::string right = "CCCC0123456789DDDD";
    for (std::size_t n = 0; n <= 10; ++n)
        EXPECT_TRUE(
            SameText(std::string_view(left).substr(4, n), std::string_view(right).substr(4, n)))
            << n;
}

} // namespace
} // namespace citylink
