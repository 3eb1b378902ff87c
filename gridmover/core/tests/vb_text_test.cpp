#include "gridmover/core/vb_text.h"

#include "foundation/cp932.h"

#include <gtest/gtest.h>

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
