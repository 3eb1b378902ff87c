#include "citylink/core/csv_import.h"

#include "citylink/core/trapped_error.h"

#include "citylink/core/attendance_csv.h"
#include "citylink/core/same_text.h"

#include <array>
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

namespace {

// The first record whose `date` is no date from firstDay to lastDay ("yyyy/mm/dd" both), or end.
AttendanceTable::const_iterator firstOutsideMonth(const AttendanceTable& table,
                                                  std::string_view firstDay,
                                                  std::string_view lastDay) {
    // A text is judged once: a month has at most 31 distinct dates. A text of the month's
    // "yyyy/mm/" and two digits (every record of an export) is known by those digits, without a
    // look-up by the whole text; it is inside exactly when its digits are.
    auto twoDigits = [](std::string_view text) {
        const unsigned tens = static_cast<unsigned char>(text[8]) - '0';
        const unsigned ones = static_cast<unsigned char>(text[9]) - '0';
        return tens < 10 && ones < 10 ? static_cast<int>(tens * 10 + ones) : -1;
    };
    const bool monthShaped = firstDay.size() == 10 && lastDay.size() == 10 &&
                             firstDay.substr(0, 8) == lastDay.substr(0, 8) &&
                             twoDigits(firstDay) >= 0 && twoDigits(lastDay) >= 0;
    const std::string_view prefix = firstDay.substr(0, 8);
    const int firstKey = monthShaped ? twoDigits(firstDay) : 0;
    const int lastKey = monthShaped ? twoDigits(lastDay) : -1;
    std::array<signed char, 100> dayIsDate; // -1: not judged yet
    dayIsDate.fill(-1);
    std::unordered_map<std::string_view, bool> isDate;
    for (auto it = table.begin(); it != table.end(); ++it) {
        const std::string_view date = (*it).date();
        if (monthShaped && date.size() == 10 && SameText(date.substr(0, 8), prefix)) {
            const int key = twoDigits(date);
            if (key >= 0) {
                if (key < firstKey || key > lastKey)
                    return it;
                signed char& known = dayIsDate[static_cast<std::size_t>(key)];
                if (known < 0)
                    known = dates::parseDate(date).has_value() ? 1 : 0;
                if (known == 0)
                    return it;
                continue;
            }
        }
        bool inside = date >= firstDay && date <= lastDay;
        if (inside) {
            auto [at, added] = isDate.try_emplace(date, false);
            if (added)
                at->second = dates::parseDate(date).has_value();
            inside = at->second;
        }
        if (!inside)
            return it;
    }
    return table.end();
}

} // namespace

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
    if (const AttendanceTable::const_iterator outside = firstOutsideMonth(table, firstDay, lastDay);
        outside != table.end()) {
        busy(false);
        if (hooks.clearFileName)
            hooks.clearFileName();
        showInfo(prompts, caption, "対象月以外の日付が含まれます。処理を中断します。");
        return false;
    }

    busy(false);
    showInfo(prompts, caption,
             "CSVファイルの読込に成功しました。\n引続き[" + std::string(runButtonCaption) +
                 "]を実行して下さい。");
    return true;
}

} // namespace citylink
