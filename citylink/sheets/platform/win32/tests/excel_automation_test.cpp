// The automation client against the recording fake of fake_excel.h.
#include "citylink/sheets/platform/win32/excel_automation.h"

#include "citylink/sheets/platform/win32/tests/fake_excel.h"

#include <gtest/gtest.h>

namespace {

std::string cell(World& w, const std::string& sheet, int r, int c) {
    return utf8(w.cells[sheet][{r, c}]);
}

long numberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const sheets::AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(ExcelAutomation, DrivesTheApplicationByNameAndReleasesInTheCallersOrder) {
    World w;
    {
        Fake* fake = newApplication(w);
        auto app = sheets::win32::WrapAutomationApplication(fake);
        fake->Release(); // the wrapper holds the only reference now
        app->setVisible(false);
        auto books = app->Workbooks();
        EXPECT_EQ(books->Count(), 1);
        auto book = books->Open("C:\\data\\時間外保育利用状況表.xlsx");
        auto sheetsOf = book->Worksheets();
        EXPECT_EQ(sheetsOf->Count(), 2);
        auto sheet = sheetsOf->Item("短時間");
        sheet->Range("B6")->Offset(2, 1)->setValue("山田　花子");
        auto block = sheet->Range("E10:G11");
        EXPECT_EQ(block->Address(), "E10:G11");
        block->setValues({{"1", "", "０７：３０"}, {"x", "y", "z"}});
        EXPECT_EQ(sheet->Range("E10")->Value(), "1");
        EXPECT_EQ(cell(w, "短時間", 8, 3), "山田　花子");
        EXPECT_EQ(cell(w, "短時間", 10, 7), "０７：３０");
        EXPECT_EQ(cell(w, "短時間", 11, 5), "x");
        EXPECT_FALSE(app->Visible());
        // Temporary objects (the offset cell, the size and read-back helpers) went at once.
        const std::vector<std::string> calls = {
            "Visible=False",      "Open(C:\\data\\時間外保育利用状況表.xlsx)",
            "Worksheets(短時間)", "Range(B6)",
            "Offset(2,1)",        "Value=山田　花子",
            "release Range",      "release Range",
            "Range(E10:G11)",     "Value=[2x3 from 1,1]",
            "release Count",      "release Count",
            "Range(E10)",         "release Range",
            "release Range"};
        EXPECT_EQ(w.log, calls);

        w.log.clear();
        block.reset();
        sheet.reset();
        sheetsOf.reset();
        book.reset();
        books.reset();
        app->Quit();
        app.reset();
    }
    const std::vector<std::string> expected = {"release Range",      "release Worksheet",
                                               "release Worksheets", "release Workbook",
                                               "release Workbooks",  "Quit",
                                               "release Application"};
    EXPECT_EQ(w.log, expected);
    EXPECT_EQ(w.live, 0) << "every reference the client took was released";
}

TEST(ExcelAutomation, RefusesWhatTheApplicationWouldNotDo) {
    World w;
    Fake* fake = newApplication(w);
    auto app = sheets::win32::WrapAutomationApplication(fake);
    fake->Release();
    auto sheets = app->Workbooks()->Open("C:\\a.xlsx")->Worksheets();
    EXPECT_EQ(numberOf([&] { sheets->Item("なし"); }), sheets::errors::kSubscriptOutOfRange);
    auto sheet = sheets->Item("標準時間");
    auto range = sheet->Range("B2:C3");
    w.log.clear();
    // A block of the wrong size or with ragged rows writes nothing.
    EXPECT_EQ(numberOf([&] {
                  range->setValues({{"1", "2"}});
              }),
              sheets::errors::kApplicationDefined);
    EXPECT_EQ(numberOf([&] {
                  range->setValues({{"1", "2"}, {"3"}});
              }),
              sheets::errors::kApplicationDefined);
    for (const auto& line : w.log)
        EXPECT_EQ(line.rfind("Value=", 0), std::string::npos) << line;
    EXPECT_EQ(numberOf([&] { sheet->Range("not an address"); }),
              sheets::errors::kApplicationDefined);

    app->Quit();
    EXPECT_EQ(numberOf([&] { range->setValue("late"); }), sheets::errors::kObjectGone);
    EXPECT_EQ(numberOf([&] { app->Workbooks(); }), sheets::errors::kObjectGone);
    range.reset();
    sheet.reset();
    sheets.reset();
    app.reset();
    EXPECT_EQ(w.live, 0);
}

TEST(ExcelAutomation, AnUnregisteredIdentifierCannotCreate) {
    EXPECT_EQ(
        numberOf([] { sheets::win32::CreateAutomationApplication("Suite.NoSuchApplication"); }),
        sheets::errors::kCannotCreateObject);
}

} // namespace
