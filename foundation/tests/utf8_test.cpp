#include "foundation/utf8.h"

#include "foundation/blanks.h"
#include "foundation/utf8_path.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every character of the text, nullopt for each byte that starts no valid sequence.
std::vector<std::optional<char32_t>> decodeAll(std::string_view text) {
    std::vector<std::optional<char32_t>> out;
    for (std::size_t i = 0; i < text.size();)
        out.push_back(utf8::decode(text, i));
    return out;
}

TEST(Utf8, DecodesAndEncodesEveryLength) {
    std::string text = "a\u00e9\u6708\U0001F642";
    auto chars = decodeAll(text);
    ASSERT_EQ(chars.size(), 4u);
    EXPECT_EQ(chars[1], U'\u00e9');
    EXPECT_EQ(chars[2], U'月');
    EXPECT_EQ(chars[3], U'\U0001F642');
    std::string back;
    for (auto c : chars)
        utf8::append(*c, back);
    EXPECT_EQ(back, text);
}

TEST(Utf8, BrokenSequencesCostOneByteAndTheRestIsStillRead) {
    // Overlong "/", a surrogate, a lone continuation byte, then a character cut off at the end.
    auto chars = decodeAll("\xC0\xAF"
                           "x"
                           "\xED\xA0\x80"
                           "y"
                           "\x80"
                           "z"
                           "\xE6\x9C");
    std::vector<std::optional<char32_t>> expected = {
        std::nullopt, std::nullopt, U'x', std::nullopt, std::nullopt, std::nullopt,
        U'y',         std::nullopt, U'z', std::nullopt, std::nullopt};
    EXPECT_EQ(chars, expected);
}

// Japanese names survive the round trip whatever the locale's encoding, folder parts included.
TEST(Utf8, PathsRoundTripJapaneseNames) {
    const std::string text = "記入済/時間外保育利用状況表_記入済.xlsx";
    const std::filesystem::path path = utf8::toPath(text);
    EXPECT_TRUE(path.filename().u8string() == u8"時間外保育利用状況表_記入済.xlsx");
    EXPECT_EQ(utf8::fromPath(path), text);
}

// Only blanks and tabs are trimmed: a full-width space or a line break belongs to the value.
TEST(Blanks, TrimsBlanksAndTabsOnly) {
    EXPECT_EQ(blanks::trim(" \t7:30\t "), "7:30");
    EXPECT_EQ(blanks::trimRight(" a \t"), " a");
    EXPECT_EQ(blanks::trim("\u3000a\r\n"), "\u3000a\r\n");
    EXPECT_EQ(blanks::trim(" \t "), "");
}

} // namespace
