#pragma once
// What the usage-sheet run relies on, as a suite that runs against every spreadsheet backend.
// A backend type for the suite has create() (a new application) and workbook() (the path of a
// fresh copy of the test form, with the sheets "利用状況表（保育短時間）", "保育標準時間" and
// "Notes").
#include "citylink/sheets/automation.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace sheets::contract {

inline const std::string kShort = "利用状況表（保育短時間）";
inline const std::string kStandard = "保育標準時間";

template <typename Backend>
class SpreadsheetContract : public ::testing::Test {
protected:
    Backend backend;
    ApplicationPtr app = backend.create();

    WorksheetPtr sheet(const std::string& name) {
        return app->Workbooks()->Open(backend.workbook())->Worksheets()->Item(name);
    }
};

TYPED_TEST_SUITE_P(SpreadsheetContract);

inline long errorNumber(const std::function<void()>& f) {
    try {
        f();
    } catch (const AutomationError& e) {
        EXPECT_FALSE(e.description().empty());
        return e.number();
    }
    return 0;
}

TYPED_TEST_P(SpreadsheetContract, OpensAWorkbookAndFindsSheetsByName) {
    auto books = this->app->Workbooks();
    EXPECT_EQ(books->Count(), 0);
    EXPECT_FALSE(this->app->Visible());
    auto book = books->Open(this->backend.workbook());
    EXPECT_EQ(books->Count(), 1);
    EXPECT_EQ(book->Name(), "時間外保育利用状況表.xlsx");
    auto sheets = book->Worksheets();
    EXPECT_EQ(sheets->Count(), 3);
    EXPECT_EQ(sheets->Item(kStandard)->Name(), kStandard);
    EXPECT_EQ(sheets->Item("NOTES")->Name(), "Notes");
    EXPECT_EQ(errorNumber([&] { sheets->Item("利用状況表"); }), errors::kSubscriptOutOfRange);
}

TYPED_TEST_P(SpreadsheetContract, WritesOneCellThroughRangeAndOffset) {
    auto sheet = this->sheet(kShort);
    auto cell = sheet->Range("$c$6")->Offset(4, 0);
    EXPECT_EQ(cell->Address(), "C10");
    cell->setValue("ﾔﾏﾀﾞ ﾀﾛｳ");
    sheet->Range("D10")->setValue("2019");
    EXPECT_EQ(sheet->Range("C10")->Value(), "ﾔﾏﾀﾞ ﾀﾛｳ");
    EXPECT_EQ(sheet->Range("D10")->Value(), "2019");
    sheet->Range("C10")->setValue("");
    EXPECT_EQ(sheet->Range("C10")->Value(), "");
    EXPECT_EQ(sheet->Range("X6:Y7")->Offset(1, 2)->Address(), "Z7:AA8");
}

TYPED_TEST_P(SpreadsheetContract, WritesADayBlockInOneAssignment) {
    auto sheet = this->sheet(kShort);
    Block block(8, std::vector<std::string>(31));
    block[0][0] = "7";
    block[1][0] = "30";
    block[2][30] = "16";
    block[7][15] = "ｱ";
    sheet->Range("X6:BB13")->setValues(block);
    EXPECT_EQ(sheet->Range("X6")->Value(), "7");
    EXPECT_EQ(sheet->Range("X7")->Value(), "30");
    EXPECT_EQ(sheet->Range("BB8")->Value(), "16");
    EXPECT_EQ(sheet->Range("AM13")->Value(), "ｱ");
    EXPECT_EQ(sheet->Range("AA7")->Value(), ""); // overwritten with an empty value
    EXPECT_EQ(sheet->Range("BB13")->Value(), "");
}

TYPED_TEST_P(SpreadsheetContract, RefusesWhatDoesNotFit) {
    auto sheet = this->sheet(kShort);
    sheet->Range("X6")->setValue("12");
    Block ragged(4, std::vector<std::string>(31, "1"));
    ragged[3].pop_back();
    EXPECT_EQ(errorNumber([&] { sheet->Range("X6:BB9")->setValues(ragged); }),
              errors::kApplicationDefined);
    EXPECT_EQ(errorNumber([&] {
                  sheet->Range("X6:BB9")->setValues(Block(3, std::vector<std::string>(31)));
              }),
              errors::kApplicationDefined);
    EXPECT_EQ(sheet->Range("X6")->Value(), "12"); // nothing written
    EXPECT_EQ(errorNumber([&] { sheet->Range("6X"); }), errors::kApplicationDefined);
    EXPECT_EQ(errorNumber([&] { sheet->Range("A1")->Offset(-1, 0); }), errors::kApplicationDefined);
    EXPECT_EQ(errorNumber([&] { sheet->Range("XFD1")->Offset(0, 1); }),
              errors::kApplicationDefined);
}

TYPED_TEST_P(SpreadsheetContract, ReferencesOutliveTheObjectsTheyCameFrom) {
    auto books = this->app->Workbooks();
    auto book = books->Open(this->backend.workbook());
    auto sheet = book->Worksheets()->Item(kStandard);
    book.reset();
    books.reset();
    sheet->Range("C6")->setValue("ﾀﾅｶ");
    EXPECT_EQ(sheet->Range("C6")->Value(), "ﾀﾅｶ");
}

TYPED_TEST_P(SpreadsheetContract, VisibleAndQuit) {
    auto sheet = this->sheet(kShort);
    sheet->Range("C6")->setValue("ﾔﾏﾀﾞ");
    this->app->setVisible(true);
    EXPECT_TRUE(this->app->Visible());
    this->app->Quit();
    EXPECT_EQ(errorNumber([&] { this->app->Workbooks(); }), errors::kObjectGone);
    EXPECT_EQ(errorNumber([&] { sheet->Range("C6")->setValue("x"); }), errors::kObjectGone);
}

// The used area, from which the run learns where the form ends: the same rectangle from every
// backend on the same workbook, and one that takes in a cell written beyond it.
TYPED_TEST_P(SpreadsheetContract, UsedRangeIsTheSameRectangle) {
    auto sheets = this->app->Workbooks()->Open(this->backend.workbook())->Worksheets();
    auto used = sheets->Item(kShort)->UsedRange();
    ASSERT_TRUE(used);
    EXPECT_EQ(used->Address(), "A1:BE45");
    ASSERT_TRUE(sheets->Item("Notes")->UsedRange());
    EXPECT_EQ(sheets->Item("Notes")->UsedRange()->Address(), "A1:B6");

    auto sheet = sheets->Item(kStandard);
    sheet->Range("BZ60")->setValue("1");
    ASSERT_TRUE(sheet->UsedRange());
    EXPECT_EQ(sheet->UsedRange()->Address(), "A1:BZ60");
}

REGISTER_TYPED_TEST_SUITE_P(SpreadsheetContract, OpensAWorkbookAndFindsSheetsByName,
                            WritesOneCellThroughRangeAndOffset, WritesADayBlockInOneAssignment,
                            RefusesWhatDoesNotFit, ReferencesOutliveTheObjectsTheyCameFrom,
                            VisibleAndQuit, UsedRangeIsTheSameRectangle);

} // namespace sheets::contract
