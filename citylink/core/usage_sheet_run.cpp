#include "citylink/core/usage_sheet_run.h"

#include "citylink/core/extended_care.h"
#include "citylink/core/trapped_error.h"
#include "citylink/core/wide_katakana.h"
#include "citylink/sheets/a1.h"
#include "foundation/blanks.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>

namespace citylink {
namespace {

std::string twoDigits(int n) {
    // Hours and minutes: two digits made directly, not through printf for every cell.
    if (n >= 0 && n < 100)
        return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// The address of a layout column at a row; "" for a blank column, which SetCellValue skips: an
// item whose column the year's layout leaves empty is not on that year's sheet.
std::string cellAt(std::string_view column, int row) {
    std::string letters(blanks::trim(column));
    return letters.empty() ? std::string() : letters + std::to_string(row);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The day of the month of a record's date, 0 when the text is no date. The export's own form
// "yyyy/mm/dd" is read here directly, as the general parse reads it (a year from 1 on, a day the
// month has); any other form goes through the general parse.
int dayOfMonth(std::string_view text) {
    if (text.size() == 10 && text[4] == '/' && text[7] == '/' &&
        std::all_of(text.begin(), text.begin() + 4, isDigit) && isDigit(text[5]) &&
        isDigit(text[6]) && isDigit(text[8]) && isDigit(text[9])) {
        const int year =
            ((text[0] - '0') * 10 + (text[1] - '0')) * 100 + (text[2] - '0') * 10 + (text[3] - '0');
        const unsigned month = static_cast<unsigned>((text[5] - '0') * 10 + (text[6] - '0'));
        const unsigned day = static_cast<unsigned>((text[8] - '0') * 10 + (text[9] - '0'));
        const dates::Date date{std::chrono::year{year}, std::chrono::month{month},
                               std::chrono::day{day}};
        return year >= 1 && date.ok() ? static_cast<int>(day) : 0;
    }
    std::optional<dates::Date> date = dates::parseDate(text);
    return date ? static_cast<int>(static_cast<unsigned>(date->day())) : 0;
}

// A time of day as dates::parseTimeOfDay reads it, the export's own form "hh:mm" directly.
std::optional<dates::TimeOfDay> timeOfDay(std::string_view text) {
    if (text.size() == 5 && isDigit(text[0]) && isDigit(text[1]) && text[2] == ':' &&
        isDigit(text[3]) && isDigit(text[4])) {
        const int hour = (text[0] - '0') * 10 + (text[1] - '0');
        const int minute = (text[3] - '0') * 10 + (text[4] - '0');
        if (hour > 23 || minute > 59)
            return std::nullopt;
        return dates::TimeOfDay{hour, minute, 0};
    }
    return dates::parseTimeOfDay(text);
}

// The most rows one paste may cover. A city form has some hundreds (60 children of 4 rows); the
// day grid and the pasted block are held in memory at about 1 KB a row each, and a workbook
// whose sheet claims rows down to the last one must not make the run take gigabytes.
constexpr int kMaxBlockRows = 16384;

// The children of the extended-care table: its rows are sorted by child, one run of rows each.
int childrenIn(const ValueTable& table) {
    int children = 0;
    const int last = table.upperRow();
    for (int r = 1; r <= last; ++r)
        if (r == 1 || table.get(r, kColChildKey) != table.get(r - 1, kColChildKey))
            ++children;
    return children;
}

// How many children's row groups the form has from its first row to the end of the sheet's used
// area. A sheet that cannot tell, or whose used area ends before the first group (no group is
// formatted), is taken to reach the last row of a sheet.
int formCapacity(const PasteLayout& paste, sheets::Worksheet& sheet) {
    long long lastRow = sheets::kMaxRow;
    if (sheets::RangePtr used = sheet.UsedRange()) {
        auto area = sheets::ParseRange(used->Address());
        if (area && area->last.row >= paste.FirstRow + paste.RowsPerChild - 1)
            lastRow = area->last.row;
    }
    const long long rows = std::min<long long>(lastRow - paste.FirstRow + 1, kMaxBlockRows);
    return rows < paste.RowsPerChild ? 0 : static_cast<int>(rows / paste.RowsPerChild);
}

} // namespace

UsageSheetRun::UsageSheetRun(const sheets::BackendRegistry& registry, Prompts& prompts,
                             LogSink& log, BusyTarget& window)
    : prompts_(prompts), log_(log), window_(window), session_(registry, prompts, log, window) {}

OpenFileRequest UsageSheetRun::workbookRequest(CareNeed need, std::string_view formTitle) {
    OpenFileRequest request;
    request.title =
        need == CareNeed::Short ? "貼付先設定 保育短時間用の" : "貼付先設定 保育標準時間用の";
    request.title += formTitle;
    request.title += "を選択してください";
    request.filter = "EXCELファイル|*.xl*|全てのファイル|*.*";
    return request;
}

RunOutcome UsageSheetRun::延長時間貼付処理(const UsageSheetInputs& in) {
    summary_ = {};
    // 1. The target month.
    bool haveMonth = in.checkTargetMonth ? in.checkTargetMonth() : in.targetMonth.has_value();
    if (!haveMonth || !in.targetMonth) {
        if (!in.checkTargetMonth)
            showInfo(prompts_, in.caption, "対象月を入力して下さい。");
        return RunOutcome::QuietEnd;
    }
    // Bands no clerk can mean are refused before anything is read or written.
    if (std::optional<std::string> problem = bandsProblem(in.bands)) {
        showInfo(prompts_, in.caption, *problem);
        return RunOutcome::QuietEnd;
    }

    // 2. From here the window is busy; the guard gives it back on every way out.
    BusyGuard busy(window_);
    std::string workbookPath;
    auto quietEnd = [&] {
        session_.ReleaseAll();
        busy.release();
        return RunOutcome::QuietEnd;
    };

    try {
        // 3. The extended-care table.
        busy.status("延長時間データ読み込み中・・・");
        static const AttendanceTable kNoAttendance;
        if (!Get延長時間_札幌H30(in.attendance ? *in.attendance : kNoAttendance, in.careNeed,
                                 in.bands, extendedCare_, prompts_, log_)) {
            showError(prompts_, "延長時間の取得に失敗しました。処理を中断します。");
            busy.release();
            return RunOutcome::Error;
        }
        if (in.attendanceDone)
            in.attendanceDone();

        // 4. The layout of the month's fiscal year for the chosen care need.
        CityLayout layout;
        if (!M札幌市帳票管理(in.layoutIni, *in.targetMonth, in.careNeed, layout, prompts_, log_,
                             in.caption))
            return quietEnd();

        // 5. A fresh, invisible application.
        busy.status("EXCEL起動中・・・");
        if (!session_.xAppOpen())
            return quietEnd();

        // 6. The clerk's workbook.
        OpenFileRequest request = workbookRequest(in.careNeed, layout.FormTitle);
        request.initialFile = in.lastFilledWorkbook;
        std::optional<std::string> chosen = prompts_.chooseOpenFile(request);
        if (!chosen) {
            prompts_.message(MsgIcon::None, "", "処理を中断しました");
            log_.WriteLog("コマンドダイアログ：キャンセル押下");
            session_.ReleaseAll();
            busy.release();
            return RunOutcome::Cancelled;
        }
        workbookPath = *chosen;
        summary_.workbookPath = workbookPath;

        // 7. Open it.
        busy.status("EXCELファイル展開中・・・");
        if (!session_.ExcelFileOpen(workbookPath))
            return quietEnd();

        // 8.-11. Nothing to paste in a month without extended care; otherwise the sheet, the
        // per-child cells and the day grid.
        if (extendedCare_.upperRow() > 0) {
            const PasteLayout& paste = layout.PasteLayout;
            summary_.sheetName = paste.SheetName;
            // Short-time care uses four rows per child, standard-time care two; fewer rows would
            // put one child's times into the next child's rows.
            int rowsNeeded = in.careNeed == CareNeed::Short ? 4 : 2;
            if (paste.RowsPerChild < rowsNeeded || paste.FirstRow < 1)
                throw sheets::AutomationError(
                    "貼付位置の設定が不正です（開始行 " + std::to_string(paste.FirstRow) +
                        "、1人あたりの行数 " + std::to_string(paste.RowsPerChild) + "）",
                    errnum::SubscriptOutOfRange);
            sheets::Block grid;
            if (!session_.ExcelSheetOpen(paste.SheetName)) {
                prompts_.message(MsgIcon::Information, in.caption, kWrongSheetMessage);
                // The application is let go without being shown (see the error end below).
                session_.ExcelClose(workbookPath);
                busy.release();
                return RunOutcome::Error;
            }
            // Refused before anything is written: children past the form's last group would be
            // written over what follows it (the total row), or fail half-way through.
            const int children = childrenIn(extendedCare_);
            const int capacity = formCapacity(paste, *session_.xlSheet);
            if (children > capacity) {
                log_.WriteLog("園児数が様式の行数を超えています（園児 " + std::to_string(children) +
                              "人、様式 " + std::to_string(capacity) + "人分）");
                prompts_.message(MsgIcon::Information, in.caption,
                                 "延長保育の園児が" + std::to_string(children) +
                                     "人いますが、シート「" + paste.SheetName + "」の様式には" +
                                     std::to_string(capacity) +
                                     "人分の行しかありません。\n処理を中断します。");
                session_.ExcelClose(workbookPath);
                busy.release();
                return RunOutcome::Error;
            }
            // The grid's final size is known: grown group by group it would be copied again and
            // again.
            grid.reserve(static_cast<std::size_t>(children) *
                         static_cast<std::size_t>(paste.RowsPerChild));
            pasteRows(layout, in.careNeed, in.bands, grid, busy);
            pasteGrid(paste, grid);
            session_.xlRange.reset();
            session_.xlSheet.reset();
        }

        // 12. Finish. The workbook goes to the clerk before the message says so: handing it over
        // can fail (the embedded engine saves the filled copy at this moment), and a failure must
        // not follow a message that reported success.
        session_.xlApp->setVisible(true);
        prompts_.message(MsgIcon::Information, "終了", kFinishMessage);
        session_.ReleaseAll();
        busy.release();
        return RunOutcome::Finished;
    } catch (...) {
        log_.WriteLog(TrappedError::current().logText());
        showError(prompts_, "エラーで処理を中断しました。");
        // From here every failure is passed over; nothing is saved. The application is not shown
        // before it is let go: an application that hands its workbooks over as files (the
        // embedded engine) saves the workbook when shown, and a failed run must not leave a
        // partly filled copy under the name of the filled workbook, opened on the desktop as if
        // the run had finished. ExcelClose quits it, which drops what was written.
        session_.ExcelClose(workbookPath);
        busy.release();
        return RunOutcome::Error;
    }
}

void UsageSheetRun::pasteRows(const CityLayout& layout, CareNeed need, const CareBands& bands,
                              sheets::Block& grid, BusyGuard& busy) {
    const PasteLayout& paste = layout.PasteLayout;
    const int rowsPerChild = paste.RowsPerChild;
    std::string previousKey;
    bool first = true;
    int child = 0;
    const int lastRow = extendedCare_.upperRow();
    std::string status; // the progress text, made anew for each record in one buffer
    for (int r = 1; r <= lastRow; ++r) {
        const std::string_view key = extendedCare_.get(r, kColChildKey);
        if (first || key != previousKey) {
            first = false;
            ++child;
            int top = paste.FirstRow + rowsPerChild * (child - 1);
            // Each address is made once, for the write and for the count.
            const std::string nameCell = cellAt(paste.NameColumn, top);
            const std::string yearCell = cellAt(paste.BirthYearColumn, top);
            const std::string monthCell = cellAt(paste.BirthMonthColumn, top);
            const std::string dayCell = cellAt(paste.BirthDayColumn, top);
            session_.SetCellValue(nameCell, 0,
                                  toWideKatakana(extendedCare_.get(r, kColNameReading)), 0);
            const std::string_view birthText = extendedCare_.get(r, kColBirthDate);
            std::optional<dates::Date> birth = dates::parseDate(birthText);
            if (!birth)
                throw sheets::AutomationError("生年月日が日付ではありません: " +
                                                  std::string(birthText),
                                              errnum::TypeMismatch);
            session_.SetCellValue(yearCell, 0, std::to_string(static_cast<int>(birth->year())), 0);
            session_.SetCellValue(monthCell, 0,
                                  std::to_string(static_cast<unsigned>(birth->month())), 0);
            session_.SetCellValue(dayCell, 0, std::to_string(static_cast<unsigned>(birth->day())),
                                  0);
            for (const std::string* cell : {&nameCell, &yearCell, &monthCell, &dayCell})
                summary_.cellsWritten += cell->empty() ? 0 : 1;
            previousKey = key;
            for (int k = 0; k < rowsPerChild; ++k)
                grid.emplace_back(31);
            summary_.children = child;
        }

        const int day = dayOfMonth(extendedCare_.get(r, kColDate));
        if (day >= 1 && day <= 31) {
            std::size_t base = static_cast<std::size_t>((child - 1) * rowsPerChild);
            // `row` counts the child's rows from 1.
            auto put = [&](int row, const dates::TimeOfDay& t) {
                grid[base + static_cast<std::size_t>(row) - 1][day - 1] = twoDigits(t.hour);
                grid[base + static_cast<std::size_t>(row)][day - 1] = twoDigits(t.minute);
            };
            const std::string_view arrival = extendedCare_.get(r, kColArrival);
            const std::string_view departure = extendedCare_.get(r, kColDeparture);
            bool placed = false;
            // The early arrival and the late departure each on their rows, decided by the very
            // comparison that selected the record (times of day, not the first characters).
            // The selection and the grid read a time alike; the grid still checks its own reading.
            if (need == CareNeed::Short) {
                auto early = timeOfDay(arrival);
                if (early && arrivesBeforeShortBand(arrival, bands)) {
                    put(1, *early);
                    placed = true;
                }
                auto late = timeOfDay(departure);
                if (late && leavesAfterShortBand(departure, bands)) {
                    put(3, *late);
                    placed = true;
                }
            } else if (auto t = timeOfDay(departure)) {
                // Every standard-time row is a late departure.
                put(1, *t);
                placed = true;
            }
            summary_.days += placed ? 1 : 0;
        }

        status.assign(paste.SheetName);
        status += ' ';
        status += std::to_string(r);
        status += "件処理済み";
        busy.status(status);
    }
}

void UsageSheetRun::pasteGrid(const PasteLayout& paste, const sheets::Block& grid) {
    const int rows = static_cast<int>(grid.size());
    if (rows < 1)
        return;
    for (const auto& row : grid)
        for (const std::string& cell : row)
            summary_.cellsWritten += cell.empty() ? 0 : 1;
    std::string dayColumn(blanks::trim(paste.DayColumn));
    std::optional<std::string> lastColumn = sheets::OffsetColumn(dayColumn, 30);
    if (!lastColumn)
        throw sheets::AutomationError("日付の列が不正です: " + paste.DayColumn,
                                      sheets::errors::kApplicationDefined);
    std::string address = dayColumn + std::to_string(paste.FirstRow) + ":" + *lastColumn +
                          std::to_string(paste.FirstRow + rows - 1);
    session_.xlRange = session_.xlSheet->Range(address);
    session_.xlRange->setValues(grid);
    summary_.blockAddress = address;
}

} // namespace citylink
