#pragma once
// Step 1 of the clerk's work: choosing the month's attendance export and reading it into the
// attendance table, with the window's messages and log lines.
#include "citylink/core/attendance.h"
#include "foundation/dates.h"
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace citylink {

// The open-file dialog of the CSV step: its title and filter, file name empty.
OpenFileRequest csvOpenFileRequest();

// Reads the export at `csvPath` into `table` and checks that every record belongs to the month of
// `targetMonth` (only its year and month count).
//   true:  every `date` is a date inside the month; `table` holds the file's records; the message
//          "CSVファイルの読込に成功しました。" + "\n" + "引続き[" + runButtonCaption +
//          "]を実行して下さい。" has been shown (information icon, `caption` as title).
//   false: the caller must disable its run button, so that no run can use what is in the table.
//          - The file could not be read (missing, unreadable, neither CP932 nor UTF-8, a header or
//            last record short of 15 fields, no record after the header): the log has the reason
//            as "description(number)", the message "CSVの読み込みに失敗しました。" has been shown
//            without icon or title, and `table` is empty. A file that is not a regular file (a
//            FIFO, a device, a folder) is named on a second line of the message.
//          - A record's `date` is not a date or lies outside the month: the message
//            "対象月以外の日付が含まれます。処理を中断します。" has been shown (information icon,
//            `caption` as title); `table` holds the refused file's records.
//            The window's file-name label is cleared first (hooks.clearFileName).
// Logs "ReadCSVtoCsvArray" first.
struct CsvStepHooks {
    // Called with true when reading starts and with false before any message, so the window
    // shows the hourglass only while it reads.
    std::function<void(bool busy)> setBusy;
    // Called when the file is refused for its dates, before the message.
    std::function<void()> clearFileName;
};
bool ReadCSVtoCsvArray(const std::filesystem::path& csvPath, dates::Date targetMonth,
                       AttendanceTable& table, Prompts& prompts, LogSink& log,
                       std::string_view caption, std::string_view runButtonCaption,
                       const CsvStepHooks& hooks = {});

} // namespace citylink
