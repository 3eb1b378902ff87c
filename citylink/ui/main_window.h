#pragma once
// The main window of citylink: the clerk chooses the target month and the month's attendance CSV,
// sets the care-time bands, and starts the run that fills the city's usage sheet.
//
// The class keeps the form's Japanese name, so it has no Q_OBJECT (moc cannot read it): controls
// are connected with lambdas. The controls are public, as on the form the class stands for, so
// that the run and the tests reach them by name; each also carries its name as objectName.
#include "citylink/core/attendance.h"
#include "citylink/core/busy_guard.h"
#include "citylink/core/care_bands.h"
#include "citylink/core/usage_sheet_run.h"
#include "citylink/sheets/registry.h"
#include "citylink/ui/era_month_edit.h"
#include "foundation/clock.h"
#include "foundation/log_sink.h"
#include "foundation/mdl_log.h"
#include "foundation/prompts.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class F_うぇぶきらの札幌市連携 : public QWidget, public citylink::BusyTarget, public LogSink {
public:
    // settingsFolder holds "札幌市連携.INI" and "札幌市連携時間設定.INI" (the program's folder in
    // the product). The window loads at once (Form_Load); when that fails the error has been
    // logged and shown, the window is unloaded and loadSucceeded() is false: the program ends.
    F_うぇぶきらの札幌市連携(Prompts& prompts, mdlLog& log, const Clock& clock,
                             std::filesystem::path settingsFolder, QWidget* parent = nullptr);
    ~F_うぇぶきらの札幌市連携() override;

    bool loadSucceeded() const { return loadSucceeded_; }
    // The window's caption as the clerk sees it (the version label appended once loaded).
    std::string caption() const;

    // The target-month check every run starts with: false, after the message and with the focus
    // back on 対象日付, when no month has been entered.
    bool Chk対象月();

    // The processing log, reached through the window so that every step logs the same way.
    void OpenLog() { log_.OpenLog(); }
    void WriteLog(std::string_view message) override { log_.WriteLog(message); }
    void CloseLog() { log_.CloseLog(); }

    // BusyTarget: the controls take no input (the status label stays readable and dialogs stay
    // usable, which a disabled top-level window would grey out too), the pointer is the hourglass.
    void setBusy(bool busy) override;
    void setStatus(std::string_view text) override;
    bool isBusy() const { return busyDepth_ > 0; }

    // The attendance table of the last CSV step (what a refused file left in it too: the run
    // button is disabled then).
    const citylink::AttendanceTable& attendanceTable() const { return attendance_; }
    // The three band fields as the extended-care computation takes them.
    citylink::CareBands careBands() const;

    // The spreadsheet backends the run creates its application from (the program registers the
    // embedded engine); without one the run ends with "EXCELの起動に失敗しました。".
    void setSpreadsheetRegistry(const sheets::BackendRegistry* registry) {
        registry_ = registry;
        run_.reset(); // the next run starts from the new backends
    }

    // The filled copy the embedded engine last handed over: the next run's workbook dialog
    // preselects it.
    void setLastFilledWorkbook(std::string path) { lastFilledWorkbook_ = std::move(path); }

    // The usage-sheet run of the run button.
    void 延長時間貼付処理();
    // How the last run ended (nullopt before the first).
    std::optional<citylink::RunOutcome> lastRunOutcome() const { return lastRunOutcome_; }

    std::filesystem::path layoutIniPath() const { return settingsFolder_ / u8"札幌市連携.INI"; }
    std::filesystem::path timeIniPath() const {
        return settingsFolder_ / u8"札幌市連携時間設定.INI";
    }

    // ---- The controls, in the order of the form ----
    QLabel* const Label5;           // title line
    QLabel* const Label2;           // decoration (rule under the title)
    QLabel* const Label1;           // "対象月"
    EraMonthEdit* const 対象日付;   // target month; empty = none entered
    QLabel* const Label6;           // instruction for the CSV step
    QPushButton* const cmdCSV選択;  // step 1
    QLabel* const lblCSVファイル名; // path of the CSV read
    QGroupBox* const Frm連携;       // the city's frame
    // Osaka's name on a Sapporo form: the form it stands for named the pair so, and the run,
    // the settings and the tests know the care-need choice by that name.
    std::array<QRadioButton*, 2> Opt大阪市; // 0 "短時間" (short-time care), 1 "標準時間"
    QLabel* const Label4;                   // instruction for the bands
    QTimeEdit* const 短時間開始;            // start of the short-time band
    QLabel* const Label12;                  // "～"
    QTimeEdit* const 短時間終了;            // end of the short-time band
    QTimeEdit* const 標準時間終了;          // end of the standard-time band
    QLabel* const Label3;                   // decoration (rule above the buttons)
    QPushButton* const Cmd連携;             // step 2: the run
    QPushButton* const Cmd設定ファイル;     // the paste-position settings screen
    QPushButton* const cmd終了;             // close
    QLabel* const lblMsg;                   // status text during a run

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void connectControls();

    // ---- Event procedures ----
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void Form_Unload();
    void cmd終了_Click();
    void Cmd設定ファイル_Click();
    void cmdCSV選択_Click();
    void Cmd連携_Click();
    void 対象日付_Change();

    // ---- Settings kept beside the program ----
    void Load時間設定();
    void Save時間設定();

    // The run's state (spreadsheet references, extended-care table), created on first use.
    citylink::UsageSheetRun& run();

    Prompts& prompts_;
    mdlLog& log_;
    const Clock& clock_;
    const std::filesystem::path settingsFolder_;
    QWidget* const content_; // every control but lblMsg; disabled while busy

    // ---- Window state ----
    std::string csvPath_;                  // the CSV chosen in step 1
    citylink::AttendanceTable attendance_; // the records read in step 1
    std::string monthFormat_;              // era format that puts today's month into 対象日付
    bool activatedOnce_ = false;           // the bands are loaded on the first activation only
    bool loadSucceeded_ = false;
    bool unloaded_ = false;
    int busyDepth_ = 0;
    const sheets::BackendRegistry* registry_ = nullptr;
    std::string lastFilledWorkbook_;
    std::unique_ptr<citylink::UsageSheetRun> run_;
    std::optional<citylink::RunOutcome> lastRunOutcome_;
};
