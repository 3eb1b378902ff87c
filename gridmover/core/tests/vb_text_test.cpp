#include "gridmover/core/vb_text.h"

#include "foundation/cp932.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace gridmover::vbtext;

namespace {
std::string sj(const char* utf8) {
    return cp932::fromUtf8(utf8);
}
} // namespace

TEST(VbText, SearchIgnoresAsciiCaseOnly) {
    EXPECT_EQ(Find("Dim a as msdbgrid.Column", "As MSDBGrid."), 6u);
    EXPECT_EQ(Find("xAx", "a", 2), npos);
    EXPECT_EQ(Find("abc", ""), 0u);
    // Full-width letters are not folded: "ａ" is not "Ａ".
    EXPECT_EQ(Find(sj("ａｂ"), sj("Ａ")), npos);
    EXPECT_EQ(Find(sj("xＡ"), sj("Ａ")), 1u);
    EXPECT_TRUE(EqualsNoCase("eNd", "End"));
    EXPECT_FALSE(EqualsNoCase("End ", "End"));
    EXPECT_TRUE(StartsWithNoCase("oBJECT={", "Object={"));
}

TEST(VbText, NeverMatchesInsideADoubleByteCharacter) {
    // "ア" is 83 41 and "ヂ" 83 61: their second bytes are "A" and "a".
    std::string line = sj("MsgBox \"アs MSDBGrid.Column ヂs MSDBGrid.Column\"");
    EXPECT_EQ(Find(line, "As MSDBGrid."), npos);
    // "表" is 95 5C: its second byte is "\"; "ソ" 83 5C too.
    EXPECT_EQ(Find(sj("表ソ"), "\\"), npos);
    // A search from a later position still walks characters, not bytes.
    std::string mixed = sj("アA");
    EXPECT_EQ(Find(mixed, "A"), 2u);
    std::string s = sj("ダ_");
    EXPECT_EQ(LastCharLength(s), 1u);
    EXPECT_EQ(LastCharLength(sj("x_ダ")), 2u);
    // Bytes that are not CP932 at all (a lone lead byte at the end) are still handled.
    EXPECT_EQ(Find(std::string("ab\x83"), "b"), 1u);
    EXPECT_EQ(LastCharLength(std::string("ab\x83")), 1u);
}

TEST(VbText, ReplaceFirstSplicesWhateverTheCase) {
    std::string line = "Private Sub X_FormatText(value AS VARIANT)";
    EXPECT_NE(ReplaceFirst(line, "Value as Variant)", "Value As Variant, Bookmark As Variant)"),
              npos);
    EXPECT_EQ(line, "Private Sub X_FormatText(Value As Variant, Bookmark As Variant)");
    EXPECT_EQ(ReplaceFirst(line, "nothing", "x"), npos);
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("\t a"), "\t a"); // only blanks are trimmed, as the runtime does
}

namespace {

// The search as defined, character by character: the characters of hay from a character
// boundary at or after start, covering exactly the needle's bytes, equal to the needle's
// characters one for one (single-byte ASCII letters in either case, everything else exactly).
std::vector<std::string_view> characters(std::string_view s, std::size_t from) {
    std::vector<std::string_view> out;
    for (std::size_t i = from; i < s.size(); i += out.back().size()) {
        out.push_back(s.substr(i, CharLengthAt(s, i)));
    }
    return out;
}

bool sameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a.size() == 1) {
        auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
        return up(a[0]) == up(b[0]);
    }
    return a == b;
}

std::size_t findAsDefined(std::string_view hay, std::string_view needle, std::size_t start) {
    const auto wanted = characters(needle, 0);
    for (std::size_t at = start; at < hay.size(); at += CharLengthAt(hay, at)) {
        const auto here = characters(hay, at);
        if (here.size() < wanted.size()) {
            break;
        }
        bool equal = true;
        for (std::size_t k = 0; k < wanted.size() && equal; ++k) {
            equal = sameCharacter(here[k], wanted[k]);
        }
        if (equal) {
            return at;
        }
    }
    return npos;
}

} // namespace

TEST(VbText, FastSearchFindsWhatTheCharacterByCharacterSearchFinds) {
    // Bytes that make the search hard: letters in both cases, the trail bytes "A", "a", "\" and
    // "_" of double-byte characters, two lead bytes, a single-byte kana, a blank, a dot.
    const std::string alphabet = "AabS \\_.\x83\x81\xB1";
    std::mt19937 random(20261207);
    auto text = [&](std::size_t maxLength) {
        std::string s(random() % (maxLength + 1), ' ');
        for (char& c : s) {
            c = alphabet[random() % alphabet.size()];
        }
        return s;
    };
    for (int n = 0; n < 100000; ++n) {
        const std::string hay = text(40);
        std::string needle = text(4);
        if (needle.empty()) {
            needle = "a";
        }
        const std::size_t start = random() % (hay.size() + 2);
        ASSERT_EQ(Find(hay, needle, start), findAsDefined(hay, needle, start))
            << "hay \"" << hay << "\" needle \"" << needle << "\" from " << start;
        ASSERT_EQ(MatchesAt(hay, start, needle), Find(hay, needle, start) == start)
            << "hay \"" << hay << "\" needle \"" << needle << "\" at " << start;
    }
}
