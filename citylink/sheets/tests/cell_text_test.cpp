#include "citylink/sheets/xlsx/cell_text.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sheets::xlsx;

TEST(NumberLiteral, StoresNumbersAsASpreadsheetDoes) {
    struct Case {
        const char* text;
        const char* stored;
    } cases[] = {{"07", "7"},     {"30", "30"},     {"00", "0"},
                 {"1.5", "1.5"},  {"1.50", "1.5"},  {" 45 ", "45"},
                 {"-0", "0"},     {"+3", "3"},      {"-2.25", "-2.25"},
                 {"1e3", "1000"}, {".5", "0.5"},    {"7.", "7"},
                 {"0.1", "0.1"},  {"2019", "2019"}, {"0012345678", "12345678"}};
    for (const auto& c : cases)
        EXPECT_EQ(NumberLiteral(c.text), c.stored) << c.text;
}

TEST(NumberLiteral, ReadsEveryShortWholeNumberAsItself) {
    // Times and dates of a form are short whole numbers, written with or without leading zeros;
    // those of up to four characters take a shorter way than longer ones, and both must agree.
    for (int n = 0; n < 10000; ++n) {
        const std::string plain = std::to_string(n);
        for (std::size_t width = plain.size(); width <= 6; ++width) {
            const std::string text = std::string(width - plain.size(), '0') + plain;
            EXPECT_EQ(NumberLiteral(text), plain) << text;
        }
    }
}

TEST(NumberLiteral, LeavesOtherTextAsText) {
    for (const char* text : {"", " ", "ｱｲｳ", "07:30", "1,000", "1/5", "50%", "¥100", "inf", "nan",
                             "0x10", "1e", "1e+", "--1", "1.2.3", "１２", "1e999", "TRUE"})
        EXPECT_FALSE(NumberLiteral(text)) << text;
}

TEST(CellText, EscapesWhatXmlCannotCarryAndReadsItBack) {
    const std::string text = std::string("a\x01") + "b\rc\td\ne_x0041_f";
    std::string stored = EscapeCellText(text);
    EXPECT_EQ(stored, "a_x0001_b_x000D_c\td\ne_x005F_x0041_f");
    EXPECT_EQ(UnescapeCellText(stored), text);
    EXPECT_EQ(EscapeCellText("ﾔﾏﾀﾞ ﾀﾛｳ"), "ﾔﾏﾀﾞ ﾀﾛｳ");
    // A head "_xdddd" before a control character must not fuse with the control's escape.
    const std::string fused = std::string("_xdddd\x01") + "_xAB";
    EXPECT_EQ(EscapeCellText(fused), "_x005F_xdddd_x0001__xAB");
    EXPECT_EQ(UnescapeCellText(EscapeCellText(fused)), fused);
    EXPECT_EQ(SanitizeUtf8("a\xFF\xC3(b\xE3\x81"),
              "a\xEF\xBF\xBD\xEF\xBF\xBD(b\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(SanitizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"); // a surrogate
}

// The stored value takes short ways for the texts of a filled form (short numbers, plain names);
// it must be what the general rules give for every text.
TEST(StoredValue, IsWhatTheNumberAndEscapingRulesGive) {
    std::vector<std::string> texts = {
        "",     "07",       "0000",         "12345",        " 7",           "7 ",       "-1",
        "1.50", "ｲﾄｳ ﾚﾝ",   "ａｂ",         "a_b",          "_x0041_",      "tab\tend", "cr\r",
        "\x01", "\xff\xfe", "\xef\xbf\xbe", "\xef\xbf\xbd", "\xed\xa0\x80", "\xc0\xaf", "\xe3\x81",
        "😀",    "a\nb",     "&<>\""};
    for (int a = 0; a < 256; a += 3)
        texts.push_back(std::string(1, static_cast<char>(a)) + "x");
    for (const std::string& text : texts) {
        if (text.empty())
            continue;
        for (bool textFormat : {false, true}) {
            StoredValue stored = StoreAssignedText(text, textFormat);
            std::optional<std::string> number = textFormat ? std::nullopt : NumberLiteral(text);
            EXPECT_EQ(stored.number, number.has_value()) << text;
            EXPECT_EQ(stored.text, number ? *number : EscapeCellText(SanitizeUtf8(text))) << text;
        }
    }
}

TEST(SheetNames, CompareWithoutLetterCase) {
    EXPECT_TRUE(SameSheetName("Sheet1", "SHEET1"));
    EXPECT_TRUE(SameSheetName("保育標準時間", "保育標準時間"));
    EXPECT_TRUE(SameSheetName("Ｈ３０利用", "ｈ３０利用"));
    EXPECT_TRUE(SameSheetName("ÄÖ", "äö"));
    EXPECT_FALSE(SameSheetName("利用状況表（保育短時間）", "利用状況表(保育短時間)"));
    EXPECT_FALSE(SameSheetName("Sheet1", "Sheet1 "));
    EXPECT_FALSE(SameSheetName("A", "Ａ"));
}
