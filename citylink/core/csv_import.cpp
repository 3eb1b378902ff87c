#include "citylink/core/csv_import.h"

#include "citylink/core/trapped_error.h"

#include "citylink/core/attendance_csv.h"

#include <exception>
#include <string>
#include <unordered_map>

namespace citylink {

OpenFileRequest csvOpenFileRequest() {
    OpenFileRequest request;
    request.title = "うぇぶきらのの「出席情報検索」から出力したCSVファイルを選択してください";
    request.filter = "CSVファイル|*.CSV|全てのファイル|*.*";
    request.initialFile = "";
    return request;
}

bool ReadCSVtoCsvArray(const std::filesystem::path& csvPath, dates::Date targetMonth,
                       AttendanceTable& table, Prompts& prompts, LogSink& log,
                       std::string_view caption, std::string_view runButtonCaption,
                       const CsvStepHooks& hooks) {
    auto busy = [&](bool on) {
        if (hooks.setBusy)
            hooks.setBusy(on);
    };
    log.WriteLog("ReadCSVtoCsvArray");

    const dates::Date first{targetMonth.year(), targetMonth.month(), std::chrono::day{1}};
    const std::string firstDay = dates::formatYmd(first);
    const std::string lastDay = dates::Get月末日(firstDay);

    table.clear();
    busy(true);
    AttendanceCsvResult read;
    try {
        read = readAttendanceCsvFile(csvPath);
    } catch (const std::exception&) { // out of memory and the like: still a read failure
        TrappedError error = TrappedError::current(errnum::OutOfMemory);
        read.error = CsvReadError{error.number, error.description};
    }
    if (!read.ok()) {
        busy(false);
        log.WriteLog(errorLogText(read.error->description, read.error->number));
        std::string text = "CSVの読み込みに失敗しました。";
        if (!read.error->clerkNote.empty())
            text += "\n" + read.error->clerkNote;
        prompts.message(MsgIcon::None, "", text);
        return false;
    }
    table = std::move(read.records);

    // "yyyy/mm/dd" text orders like the dates. A `date` that is no date keeps its text; it must
    // refuse the file even when that text happens to sort inside the month ("2019/04/15x").
    // (A month has at most 31 distinct dates: each text is judged once.)
    std::unordered_map<std::string_view, bool> isDate;
    for (const AttendanceRecordView record : table) {
        const std::string_view date = record.date();
        bool inside = date >= firstDay && date <= lastDay;
        if (inside) {
            auto [it, added] = isDate.try_emplace(date, false);
            if (added)
                it->second = dates::parseDate(date).has_value();
            inside = it->second;
        }
        if (!inside) {
            busy(false);
            if (hooks.clearFileName)
                hooks.clearFileName();
            showInfo(prompts, caption, "対象月以外の日付が含まれます。処理を中断します。");
            return false;
        }
    }

    busy(false);
    showInfo(prompts, caption,
             "CSVファイルの読込に成功しました。\n引続き[" + std::string(runButtonCaption) +
                 "]を実行して下さい。");
    return true;
}

} // namespace citylink
