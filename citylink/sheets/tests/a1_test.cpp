#include "citylink/sheets/a1.h"

#include <gtest/gtest.h>

using namespace sheets;

TEST(ColumnLetters, RoundTripsEveryColumnUpToXfd) {
    for (int n = 1; n <= kMaxColumn; ++n) {
        std::string letters = ColumnLetters(n);
        ASSERT_EQ(ColumnNumber(letters), n) << letters;
    }
    EXPECT_EQ(ColumnLetters(1), "A");
    EXPECT_EQ(ColumnLetters(26), "Z");
    EXPECT_EQ(ColumnLetters(27), "AA");
    EXPECT_EQ(ColumnLetters(702), "ZZ");
    EXPECT_EQ(ColumnLetters(703), "AAA");
    EXPECT_EQ(ColumnLetters(kMaxColumn), "XFD");
    EXPECT_EQ(ColumnLetters(0), "");
    EXPECT_EQ(ColumnLetters(kMaxColumn + 1), "");
}

TEST(ColumnLetters, RejectsWhatIsNoColumn) {
    EXPECT_EQ(ColumnNumber("bb"), 54);
    for (const char* bad : {"", "XFE", "AAAA", "A1", "$A", " A", "Ａ"})
        EXPECT_FALSE(ColumnNumber(bad)) << bad;
}

TEST(ColumnLetters, OffsetsAcrossLetterBoundaries) {
    EXPECT_EQ(OffsetColumn("X", 30), "BB");
    EXPECT_EQ(OffsetColumn("V", 30), "AZ");
    EXPECT_EQ(OffsetColumn("Z", 1), "AA");
    EXPECT_EQ(OffsetColumn("AA", -1), "Z");
    EXPECT_EQ(OffsetColumn(ColumnLetters(kMaxColumn - 31), 31), "XFD");
    EXPECT_FALSE(OffsetColumn(ColumnLetters(kMaxColumn - 30), 31));
    EXPECT_FALSE(OffsetColumn("A", -1));
    EXPECT_FALSE(OffsetColumn("", 1));
}

TEST(A1Address, ParsesCellsAndRanges) {
    EXPECT_EQ(ParseCell("X6"), (CellRef{6, 24}));
    EXPECT_EQ(ParseCell("$x$6"), (CellRef{6, 24}));
    EXPECT_EQ(ParseCell("XFD1048576"), (CellRef{kMaxRow, kMaxColumn}));
    for (const char* bad : {"", "X", "6", "X0", "X06", "X1048577", "XFE1", "X6 ", "X-6", "$$X6"})
        EXPECT_FALSE(ParseCell(bad)) << bad;

    auto range = ParseRange("BB9:X6");
    ASSERT_TRUE(range);
    EXPECT_EQ(RangeAddress(*range), "X6:BB9");
    EXPECT_EQ(range->rows(), 4);
    EXPECT_EQ(range->cols(), 31);
    EXPECT_EQ(RangeAddress(*ParseRange("$C$6")), "C6");
    EXPECT_FALSE(ParseRange("X6:"));
    EXPECT_FALSE(ParseRange("X6:BB9:BC10"));
}
