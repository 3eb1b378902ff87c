#pragma once
// The Sapporo usage-sheet run (延長時間貼付処理): from the attendance table of the target month to
// the city's workbook "時間外保育利用状況表". For every child with extended care it writes the name
// (full-width katakana) and the date of birth into the child's row group and pastes the day grid
// of early-arrival and late-departure hours and minutes as one block. The workbook is left to the
// clerk (the application is made visible and let go without quitting); the run never saves it.
//
// The main window and the batch tool both drive this class; it holds the run's state (the
// spreadsheet references and the extended-care table) between the steps as the window would.
#include "citylink/core/attendance.h"
#include "citylink/core/busy_guard.h"
#include "citylink/core/care_bands.h"
#include "citylink/core/layout_settings.h"
#include "citylink/core/sheet_session.h"
#include "citylink/core/value_table.h"
#include "citylink/sheets/registry.h"
#include "foundation/dates.h"
#include "foundation/log_sink.h"
#include "foundation/prompts.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace citylink {

// How a run ended.
enum class RunOutcome {
    Finished, // "データの貼りつけを終了しました。..." shown; the workbook is the clerk's
    QuietEnd, // a step reported its own failure (no month, layout, start, open) and the run stopped
    Cancelled, // the clerk cancelled the workbook dialog: "処理を中断しました"
    Error,     // a failure the run reported itself: the extended-care table, a wrong sheet, more
               // children than the form has rows for (refused before any write), or any other
               // error ("エラーで処理を中断しました。")
};

// The window's inputs for one run.
struct UsageSheetInputs {
    // 対象日付: only year and month count; nullopt when no month has been entered.
    std::optional<dates::Date> targetMonth;
    // Opt大阪市: index 0 "短時間" selects Short, index 1 "標準時間" Standard.
    CareNeed careNeed = CareNeed::Short;
    CareBands bands;
    const AttendanceTable* attendance = nullptr;
    std::filesystem::path layoutIni; // "札幌市連携.INI"
    std::string caption;             // the window's caption: title of its information messages
    // The window's own target-month check (it also puts the focus back on the field). When empty,
    // the run shows "対象月を入力して下さい。" itself when targetMonth is nullopt.
    std::function<bool()> checkTargetMonth;
    // Called once the extended-care table is built; from then on the run does not read the
    // attendance table. The batch tool lets the table go there, so that a large month is not held
    // twice while the workbook is opened. The window keeps its table (a run for the other care
    // need reads it again) and leaves this empty.
    std::function<void()> attendanceDone;
    // The filled copy the last run handed over (embedded engine), preselected in the workbook
    // dialog: the clerk's next run of the month continues in it. Empty: nothing preselected.
    std::string lastFilledWorkbook;
};

// What a finished run wrote, for the batch tool's summary.
struct RunSummary {
    int children = 0;     // row groups written
    int days = 0;         // child-days with extended care placed in the day grid
    int cellsWritten = 0; // single-cell writes plus the non-empty cells of the pasted block
    std::string workbookPath;
    std::string sheetName;
    std::string blockAddress; // "X6:BB9"; "" when nothing was pasted
};

class UsageSheetRun {
public:
    UsageSheetRun(const sheets::BackendRegistry& registry, Prompts& prompts, LogSink& log,
                  BusyTarget& window);

    // The whole run. Every way out gives the window back (enabled, normal pointer, status cleared)
    // and lets the spreadsheet references go.
    RunOutcome 延長時間貼付処理(const UsageSheetInputs& inputs);

    // The spreadsheet steps, reachable for the window's procedures of the same names.
    SheetSession& session() { return session_; }
    // The extended-care table of the last run.
    const ValueTable& extendedCare() const { return extendedCare_; }
    const RunSummary& summary() const { return summary_; }

    // The dialog request of the workbook choice for a care need and form title.
    static OpenFileRequest workbookRequest(CareNeed need, std::string_view formTitle);

private:
    // The day grid is the block that is pasted, one row of 31 days per sheet row from the first
    // child's row on, so that it goes to the sheet without a copy.
    void pasteRows(const CityLayout& layout, CareNeed need, const CareBands& bands,
                   sheets::Block& grid, BusyGuard& busy);
    void pasteGrid(const PasteLayout& layout, const sheets::Block& grid);

    Prompts& prompts_;
    LogSink& log_;
    BusyTarget& window_;
    SheetSession session_;
    ValueTable extendedCare_;
    RunSummary summary_;
};

// The text of a message or log line for the run's failures.
inline constexpr std::string_view kFinishMessage =
    "データの貼りつけを終了しました。確認して保存を行ってください。";
inline constexpr std::string_view kWrongSheetMessage =
    "選択したEXCELファイルが異なっている、もしくはシート名の設定が異なっています。\n"
    "シートを選択しなおし、もしくは設定画面の貼付シート名を設定し直してください。";

} // namespace citylink
