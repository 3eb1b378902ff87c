#include "citylink/sheets/xlsx/formula_shift.h"

#include <gtest/gtest.h>

using sheets::xlsx::ShiftFormula;

TEST(ShiftFormula, MovesRelativeReferencesOnly) {
    struct Case {
        const char* formula;
        int rows;
        int cols;
        const char* moved;
    } cases[] = {
        {"A1*2", 1, 0, "A2*2"},
        {"$A$1+A1", 2, 0, "$A$1+A3"},
        {"SUM(X6:BB6)", 4, 0, "SUM(X10:BB10)"},
        {"COUNT(X$6:$BB6)", 1, 1, "COUNT(Y$6:$BB7)"},
        {"Notes!A1+'利用 表'!B2", 1, 1, "Notes!B2+'利用 表'!C3"},
        {"\"A1\"&A1", 1, 0, "\"A1\"&A2"},
        {"\"say \"\"B2\"\"\"&B2", 0, 1, "\"say \"\"B2\"\"\"&C2"},
        {"LOG10(A1)+ATAN2(B1,C1)", 1, 0, "LOG10(A2)+ATAN2(B2,C2)"},
        {"SUM(A:A)+SUM($B:C)", 0, 1, "SUM(B:B)+SUM($B:D)"},
        {"SUM(1:2)", 3, 0, "SUM(4:5)"},
        {"Table1[Col1]+A1", 1, 0, "Table1[Col1]+A2"},
        {"IF(A1>1.5E+3,TRUE,#N/A)", 1, 0, "IF(A2>1.5E+3,TRUE,#N/A)"},
        {"施設名&A1", 1, 0, "施設名&A2"},
        {"XFE1+A1", 1, 0, "XFE1+A2"}, // past the last column: a name, not a reference
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftFormula(c.formula, c.rows, c.cols), c.moved) << c.formula;
}

TEST(ShiftFormula, RefusesWhatItCannotMoveSafely) {
    EXPECT_FALSE(ShiftFormula("A1", -1, 0));
    EXPECT_FALSE(ShiftFormula("XFD1", 0, 1));
    EXPECT_FALSE(ShiftFormula("\"open", 1, 0));
    EXPECT_FALSE(ShiftFormula("'open!A1", 1, 0));
    EXPECT_FALSE(ShiftFormula("T[[#This Row]", 1, 0));
}
