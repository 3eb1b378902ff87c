// The CP932 codec at the file boundary: what Windows peers write must come back unchanged.
#include "foundation/cp932.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp932, RoundTripOfJapaneseText) {
    std::string text = "札幌市連携 ｱｲｳ 【09:05:03】 保育標準時間 ①Ⅱ㈱ \\ ~";
    std::string bytes = cp932::fromUtf8(text);
    EXPECT_EQ(cp932::toUtf8(bytes), text);
    EXPECT_EQ(cp932::fromUtf8("表"), "\x95\x5c");
    // 0x5C stays the backslash, not the yen sign.
    EXPECT_EQ(cp932::toUtf8("\\"), "\\");
}

TEST(Cp932, WaveDashMapsLikeWindows) {
    EXPECT_EQ(cp932::toUtf8("\x81\x60"), "～"); // U+FF5E
    EXPECT_EQ(cp932::fromUtf8("～"), "\x81\x60");
}

TEST(Cp932, InvalidBytesAreAnError) {
    EXPECT_THROW(cp932::toUtf8("ab\x81"), cp932::Error);
    EXPECT_FALSE(cp932::tryToUtf8("\x81\x20").has_value());
    try {
        cp932::toUtf8("abc\xff");
        FAIL();
    } catch (const cp932::Error& e) {
        EXPECT_EQ(e.offset, 3u);
    }
    // Single bytes that Windows' table alone maps (to a control and to private-use characters):
    // no Shift_JIS text holds them, and both systems refuse them alike.
    for (const char* single : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"}) {
        EXPECT_FALSE(cp932::tryToUtf8(std::string("a") + single).has_value())
            << int(*single & 0xFF);
    }
    EXPECT_EQ(cp932::tryToUtf8("\x81\x80"), "÷"); // as a trail byte 0x80 is fine
    EXPECT_FALSE(cp932::tryFromUtf8("\u0080").has_value());
    EXPECT_FALSE(cp932::tryFromUtf8("\uF8F0").has_value());
}

TEST(Cp932, UnencodableCharacterIsAnErrorNotAQuestionMark) {
    EXPECT_THROW(cp932::fromUtf8("smile 🙂"), cp932::Error);
    EXPECT_FALSE(cp932::tryFromUtf8("한국어").has_value());
    EXPECT_FALSE(cp932::tryFromUtf8("\xff").has_value());
}

TEST(Cp932, WholeCharPrefix) {
    std::string s = "a" + cp932::fromUtf8("あい"); // 5 bytes
    EXPECT_EQ(cp932::wholeCharPrefix(s, 2), 1u);
    EXPECT_EQ(cp932::wholeCharPrefix(s, 3), 3u);
    EXPECT_EQ(cp932::wholeCharPrefix(s, 4), 3u);
    EXPECT_EQ(cp932::wholeCharPrefix(s, 10), 5u);
}

} // namespace
