#pragma once
// What the tests of the run button start from: March 2019 (fiscal year 2018, seeded with the two
// item numbers a clerk sets on the settings screen), the window shown on the test's spreadsheet
// applications, and a work folder for the attendance export and the city's workbook.
#include "citylink/sheets/registry.h"
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"
#include "window_test.h"

#include <filesystem>
#include <string_view>

class RunTest : public WindowTest {
protected:
    RunTest() : WindowTest({2019, 3, 10, 9, 0, 0}) {}

    testsupport::ScratchDir work;
    sheets::BackendRegistry registry; // the test registers the applications it runs on
    std::unique_ptr<Window> window;

    // Opens the window as above (wrapped in ASSERT_NO_FATAL_FAILURE by the caller).
    void openSeeded() {
        window = open();
        ASSERT_TRUE(window->loadSucceeded());
        window->setSpreadsheetRegistry(&registry);
        window->show();
        MdlSystemINI::PutIniString(window->layoutIniPath(), "2018", "4-1", "1");
        MdlSystemINI::PutIniString(window->layoutIniPath(), "2018", "4-2", "2");
    }

    // The attendance export "march.csv" (CP932) with these rows (UTF-8, CRLF-terminated) under
    // its header line.
    std::filesystem::path writeExport(std::string_view rows) {
        const std::filesystem::path csv = work / "march.csv";
        testsupport::writeBytes(
            csv, cp932::fromUtf8(
                     "日付,クラス,園児番号,生年月日,年齢,性別,保育必要量,園児名,ふりがな,出欠,"
                     "登園時間,降園時間,ユーザー定義1,ユーザー定義2,備考\r\n" +
                     std::string(rows)));
        return csv;
    }

    // A copy of the city's workbook in the work folder.
    std::filesystem::path copyCityWorkbook() {
        const std::filesystem::path book = work / "時間外保育利用状況表.xlsx";
        std::filesystem::copy_file(testsupport::sourceDir() / "samples" /
                                       testsupport::u8path("時間外保育利用状況表.xlsx"),
                                   book);
        return book;
    }
};
