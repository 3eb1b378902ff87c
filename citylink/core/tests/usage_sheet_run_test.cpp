// The usage-sheet run against the recording double: the order of the calls, every way the run
// ends, and what lands in which cell.
#include "citylink/core/program_caption.h"
#include "citylink/core/usage_sheet_run.h"
#include "citylink/sheets/a1.h"
#include "citylink/sheets/testing/recording_backend.h"
#include "foundation/dates.h"
#include "foundation/mdl_system_ini.h"
#include "foundation/testing/scripted_prompts.h"
#include "recording_window.h"
#include "test_printers.h"
#include "testsupport/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using namespace citylink;
using sheets::doubles::RecordingBackend;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

namespace {

constexpr const char* kBook = "/in/時間外保育利用状況表.xlsx";
constexpr const char* kShortSheet = "利用状況表（保育短時間）";
constexpr const char* kStandardSheet = "保育標準時間";
const std::string& kCaption = citylink::programCaption();

AttendanceRecord record(std::string reading, std::string birth, CareNeed need, std::string date,
                        std::string arrival, std::string departure) {
    std::array<std::string_view, AttendanceRecord::kFieldCount> f{};
    f[0] = date;
    f[3] = birth;
    f[6] = careNeedText(need);
    f[7] = "園児";
    f[8] = reading;
    f[10] = arrival;
    f[11] = departure;
    return AttendanceRecord(f);
}

class Run : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    std::shared_ptr<RecordingBackend> excel = std::make_shared<RecordingBackend>();
    sheets::BackendRegistry registry;
    ScriptedPrompts prompts;
    RecordingLog log;
    RecordingWindow window;
    AttendanceTable attendance;
    UsageSheetInputs in;

    void SetUp() override {
        in.targetMonth =
            dates::Date{std::chrono::year{2018}, std::chrono::month{5}, std::chrono::day{1}};
        in.attendance = &attendance;
        in.layoutIni = dir / "札幌市連携.INI";
        in.caption = kCaption;
        Init札幌市帳票管理(in.layoutIni);
        put("4-1", "1");
        put("4-2", "2");
        excel->setSheets(kBook, {kShortSheet, kStandardSheet});
        excel->registerIn(registry);
        prompts.fileChoices.push_back(kBook);
    }
    void put(const char* key, const char* value) {
        MdlSystemINI::PutIniString(in.layoutIni, "2018", key, value);
    }
    void add(std::string reading, std::string birth, std::string date, std::string arrival,
             std::string departure, CareNeed need = CareNeed::Short) {
        attendance.append(record(std::move(reading), std::move(birth), need, std::move(date),
                                 std::move(arrival), std::move(departure)));
    }
    RunOutcome run() {
        UsageSheetRun r(registry, prompts, log, window);
        RunOutcome outcome = r.延長時間貼付処理(in);
        summary = r.summary();
        EXPECT_EQ(window.depth, 0) << "the window must be given back";
        EXPECT_EQ(window.label(), "") << "the status label must be cleared";
        EXPECT_EQ(excel->liveObjects(), 0) << "every reference must be released";
        return outcome;
    }
    std::string cell(const char* a1, const char* sheet = kShortSheet) const {
        return excel->cell(kBook, sheet, a1);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : prompts.messages)
            out.push_back(m.text);
        return out;
    }
    RunSummary summary;
};

const RecordedMessage kFinish{MsgIcon::Information, "終了", std::string(kFinishMessage)};

} // namespace

TEST_F(Run, FinishesInTheOrderOfItsSteps) {
    add("やまだ　たろう", "2015/04/09", "2018/05/07", "07:30", "15:00");
    add("あべ　はなこ", "2016/11/23", "2018/05/08", "08:30", "16:45");
    ASSERT_EQ(run(), RunOutcome::Finished);

    EXPECT_THAT(excel->callsWithout({"Release"}),
                ElementsAre("CreateObject(Excel.Application.15)", "Workbooks", "Visible=false",
                            std::string("Open(") + kBook + ")", "Worksheets",
                            std::string("Worksheets(") + kShortSheet + ")",
                            // あべ sorts before やまだ
                            "Range(C6)", "Range(C6).Value=アベ　ハナコ", "Range(D6)",
                            "Range(D6).Value=2016", "Range(F6)", "Range(F6).Value=11", "Range(H6)",
                            "Range(H6).Value=23", "Range(C10)", "Range(C10).Value=ヤマダ　タロウ",
                            "Range(D10)", "Range(D10).Value=2015", "Range(F10)",
                            "Range(F10).Value=4", "Range(H10)", "Range(H10).Value=9",
                            "Range(X6:BB13)", "Range(X6:BB13).Value=<8x31 block>", "Visible=true"));
    EXPECT_FALSE(excel->quitCalled());
    // The references go in the order sheet, worksheets, workbook, workbooks, application.
    std::vector<std::string> releases;
    for (const std::string& call : excel->calls())
        if (call.starts_with("Release"))
            releases.push_back(call);
    EXPECT_THAT(releases, ElementsAre("Release Worksheet", "Release Worksheets", "Release Workbook",
                                      "Release Workbooks", "Release Application"));
    EXPECT_THAT(prompts.messages, ElementsAre(kFinish));
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].title,
              "貼付先設定 保育短時間用の時間外保育利用状況表を選択してください");
    EXPECT_EQ(prompts.fileRequests[0].filter, "EXCELファイル|*.xl*|全てのファイル|*.*");
    EXPECT_EQ(prompts.fileRequests[0].initialFile, "");
    EXPECT_THAT(log.lines, ElementsAre("Get延長時間_札幌H30", "M札幌市帳票管理の読み込み",
                                       "xAppOpen", "ExcelFileOpen開始", "ExcelSheetOpen開始"));
    EXPECT_THAT(window.statuses,
                ElementsAre("延長時間データ読み込み中・・・", "EXCEL起動中・・・",
                            "EXCELファイル展開中・・・", "時間外保育利用状況表.xlsx 読み込み中",
                            std::string(kShortSheet) + " 1件処理済み",
                            std::string(kShortSheet) + " 2件処理済み", ""));
    EXPECT_EQ(window.busyCalls, 1);
    EXPECT_EQ(summary.children, 2);
    EXPECT_EQ(summary.days, 2);
    EXPECT_EQ(summary.cellsWritten, 8 + 4);
    EXPECT_EQ(summary.blockAddress, "X6:BB13");
}

TEST_F(Run, TheDayGridSplitsEarlyArrivalsAndLateDepartures) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45"); // both: rows 1-4
    add("あ", "2015/01/01", "2018/05/02", "07:30", "15:00"); // early only: rows 1-2
    add("あ", "2015/01/01", "2018/05/03", "08:00", "16:01"); // late only: rows 3-4
    add("あ", "2015/01/01", "2018/05/31", "7:45", "16:00");  // a one-digit hour is early too
    add("あ", "2015/01/01", "2018/05/04", "08:00", "16:00"); // inside the band: not in the table
    ASSERT_EQ(run(), RunOutcome::Finished);
    EXPECT_EQ(cell("X6"), "07");
    EXPECT_EQ(cell("X7"), "30");
    EXPECT_EQ(cell("X8"), "16");
    EXPECT_EQ(cell("X9"), "45");
    EXPECT_EQ(cell("Y6"), "07");
    EXPECT_EQ(cell("Y7"), "30");
    EXPECT_EQ(cell("Y8"), "");
    EXPECT_EQ(cell("Y9"), "");
    EXPECT_EQ(cell("Z6"), "");
    EXPECT_EQ(cell("Z8"), "16");
    EXPECT_EQ(cell("Z9"), "01");
    EXPECT_EQ(cell("AA6"), "");
    EXPECT_EQ(cell("BB6"), "07");
    EXPECT_EQ(cell("BB7"), "45");
    EXPECT_EQ(cell("BB8"), "");
    EXPECT_EQ(summary.days, 4);
    // Every cell of the block is written, the empty days with empty values.
    EXPECT_EQ(excel->writtenCells(kShortSheet).size(), 4u + 4u * 31u);
}

// The export writes "yyyy/mm/dd" and "hh:mm", which the run reads the short way; every other
// form goes through the general parse and lands where that parse puts it.
TEST_F(Run, DaysAndTimesInEveryFormLandWhereTheGeneralParseSaysTheyDo) {
    const std::vector<std::pair<std::string, std::string>> records = {
        {"2018/05/01", "07:01"},       {"2018/5/2", "7:02"},        {"2018-05-03", "０７：０３"},
        {"2018/05/04 10:00", "07:04"}, {"平成30年5月5日", "07:05"}, {"2018/02/30", "07:06"},
        {"0000/05/07", "07:07"},       {"2018/05/0８", "07:08"},    {"2018/05/09", "06:59:30"},
        {"2018/05/1x", "07:10"},       {"2018/05/31", "23:59"},     {"2018/13/12", "07:12"}};
    for (const auto& [date, arrival] : records)
        add("あ", "2015/01/01", date, arrival, "");
    ASSERT_EQ(run(), RunOutcome::Finished);
    std::vector<std::string> expected(62); // hours then minutes of each day
    for (const auto& [date, arrival] : records) {
        auto day = dates::parseDate(date);
        auto time = dates::parseTimeOfDay(arrival);
        if (!day || !time || time->minutesOfDay() >= 8 * 60)
            continue;
        const unsigned d = static_cast<unsigned>(day->day());
        char text[8];
        std::snprintf(text, sizeof text, "%02d", time->hour);
        expected[d - 1] = text;
        std::snprintf(text, sizeof text, "%02d", time->minute);
        expected[31 + d - 1] = text;
    }
    for (int d = 1; d <= 31; ++d) {
        const std::string column = *sheets::OffsetColumn("X", d - 1);
        EXPECT_EQ(cell((column + "6").c_str()), expected[static_cast<std::size_t>(d - 1)]) << d;
        EXPECT_EQ(cell((column + "7").c_str()), expected[static_cast<std::size_t>(31 + d - 1)])
            << d;
    }
}

TEST_F(Run, ChildrenTakeConsecutiveRowGroups) {
    add("い", "2014/02/03", "2018/05/10", "07:10", "15:00");
    add("あ", "2015/06/07", "2018/05/20", "07:00", "15:00");
    add("あ", "2015/06/07", "2018/05/21", "08:00", "16:30");
    add("う", "2013/12/31", "2018/05/01", "07:59", "15:00");
    // Same reading, other birth date: another child.
    add("あ", "2016/01/01", "2018/05/02", "07:20", "15:00");
    ASSERT_EQ(run(), RunOutcome::Finished);
    // あ 2015 at row 6: two days in its own rows.
    EXPECT_EQ(cell("C6"), "ア");
    EXPECT_EQ(cell("D6"), "2015");
    EXPECT_EQ(cell("AQ6"), "07"); // day 20
    EXPECT_EQ(cell("AR8"), "16"); // day 21
    EXPECT_EQ(cell("AR9"), "30");
    // あ 2016 at 6 + 4, い at 6 + 2 x 4, う at 6 + 3 x 4.
    EXPECT_EQ(cell("D10"), "2016");
    EXPECT_EQ(cell("Y10"), "07");
    EXPECT_EQ(cell("C14"), "イ");
    EXPECT_EQ(cell("AG14"), "07");
    EXPECT_EQ(cell("AG15"), "10");
    EXPECT_EQ(cell("C18"), "ウ");
    EXPECT_EQ(cell("H18"), "31");
    EXPECT_EQ(cell("X18"), "07");
    EXPECT_EQ(summary.blockAddress, "X6:BB21");
    EXPECT_EQ(summary.children, 4);
}

TEST_F(Run, StandardTimeWritesDeparturesIntoTwoRowsPerChild) {
    in.careNeed = CareNeed::Standard;
    add("か", "2017/03/04", "2018/05/15", "07:00", "18:30", CareNeed::Standard);
    add("き", "2017/03/05", "2018/05/01", "06:30", "19:05", CareNeed::Standard);
    add("く", "2017/03/05", "2018/05/01", "07:30", "16:45", CareNeed::Short); // other sheet
    ASSERT_EQ(run(), RunOutcome::Finished);
    EXPECT_EQ(prompts.fileRequests.at(0).title,
              "貼付先設定 保育標準時間用の時間外保育利用状況表を選択してください");
    EXPECT_EQ(cell("C6", kStandardSheet), "カ");
    EXPECT_EQ(cell("AL6", kStandardSheet), "18");
    EXPECT_EQ(cell("AL7", kStandardSheet), "30");
    EXPECT_EQ(cell("C8", kStandardSheet), "キ");
    EXPECT_EQ(cell("X8", kStandardSheet), "19");
    EXPECT_EQ(cell("X9", kStandardSheet), "05");
    EXPECT_EQ(summary.blockAddress, "X6:BB9");
    EXPECT_TRUE(excel->writtenCells(kShortSheet).empty());
}

TEST_F(Run, TheBlockEndsThirtyColumnsRightOfDayOne) {
    put("2-2", "V");
    put("2-1", "12");
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    ASSERT_EQ(run(), RunOutcome::Finished);
    EXPECT_THAT(excel->calls(), Contains("Range(V12:AZ15).Value=<4x31 block>"));
    EXPECT_EQ(cell("V12"), "07");
}

TEST_F(Run, AMonthWithoutExtendedCareOpensTheWorkbookAndFinishes) {
    add("あ", "2015/01/01", "2018/05/01", "08:00", "16:00");
    ASSERT_EQ(run(), RunOutcome::Finished);
    EXPECT_THAT(excel->callsWithout({"Release"}),
                ElementsAre("CreateObject(Excel.Application.15)", "Workbooks", "Visible=false",
                            std::string("Open(") + kBook + ")", "Worksheets", "Visible=true"));
    EXPECT_THAT(prompts.messages, ElementsAre(kFinish));
    EXPECT_EQ(summary.cellsWritten, 0);
}

TEST_F(Run, AWorkbookThatDoesNotOpenEndsQuietlyAfterItsMessage) {
    excel->failOpen(kBook, "この形式のファイルは開けません");
    ASSERT_EQ(run(), RunOutcome::QuietEnd);
    EXPECT_THAT(texts(), ElementsAre("EXCELファイルのオープンに失敗しました。"));
    EXPECT_THAT(log.lines, Contains("ExcelFileOpen: この形式のファイルは開けません( 1004)"));
    EXPECT_TRUE(excel->quitCalled());
    EXPECT_THAT(excel->calls(), Not(Contains("Visible=true")));
}

TEST_F(Run, CancellingTheDialogLeavesTheSheetUntouched) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    prompts.fileChoices.clear();
    ASSERT_EQ(run(), RunOutcome::Cancelled);
    EXPECT_THAT(prompts.messages,
                ElementsAre(RecordedMessage{MsgIcon::None, "", "処理を中断しました"}));
    EXPECT_EQ(log.lines.back(), "コマンドダイアログ：キャンセル押下");
    EXPECT_THAT(excel->callsWithout({"Release"}),
                ElementsAre("CreateObject(Excel.Application.15)", "Workbooks", "Visible=false"));
    EXPECT_TRUE(excel->writtenCells(kShortSheet).empty());
    EXPECT_FALSE(excel->quitCalled());
}

TEST_F(Run, TheDialogPreselectsTheLastFilledCopy) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    in.lastFilledWorkbook = "/in/時間外保育利用状況表_記入済.xlsx";
    prompts.fileChoices.clear();
    ASSERT_EQ(run(), RunOutcome::Cancelled);
    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].initialFile, "/in/時間外保育利用状況表_記入済.xlsx");
}

TEST_F(Run, AWrongSheetNameClosesTheApplicationAgain) {
    put("2-0", "利用状況表");
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    ASSERT_EQ(run(), RunOutcome::Error);
    EXPECT_THAT(prompts.messages, ElementsAre(RecordedMessage{MsgIcon::Critical, "エラー",
                                                              "シートのオープンに失敗しました。"},
                                              RecordedMessage{MsgIcon::Information, kCaption,
                                                              std::string(kWrongSheetMessage)}));
    EXPECT_EQ(kWrongSheetMessage,
              "選択したEXCELファイルが異なっている、もしくはシート名の設定が異なっています。\n"
              "シートを選択しなおし、もしくは設定画面の貼付シート名を設定し直してください。");
    auto calls = excel->callsWithout({"Release"});
    ASSERT_GE(calls.size(), 2u);
    EXPECT_THAT(std::vector<std::string>(calls.end() - 2, calls.end()),
                ElementsAre("Workbooks.Count", "Quit"));
    // Never shown: showing hands the workbook over (the embedded engine saves it as filled).
    EXPECT_THAT(calls, Not(Contains("Visible=true")));
    EXPECT_EQ(log.lines.back(), "システム外起動なし");
}

// The form of the used area A1:BC13 has rows 6 to 13: two groups of four rows. A third child is
// refused before anything is written, naming both counts; the same sheet takes two.
TEST_F(Run, AMonthWithMoreChildrenThanTheFormHasRowsForIsRefusedBeforeAnyWrite) {
    excel->book(kBook).usedRanges[kShortSheet] = "A1:BC13";
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    add("い", "2015/01/02", "2018/05/01", "07:30", "16:45");
    add("い", "2015/01/02", "2018/05/02", "07:30", "16:45"); // one child, two days
    add("う", "2015/01/03", "2018/05/01", "07:30", "16:45");
    ASSERT_EQ(run(), RunOutcome::Error);
    EXPECT_THAT(prompts.messages,
                ElementsAre(RecordedMessage{MsgIcon::Information, kCaption,
                                            "延長保育の園児が3人いますが、シート「利用状況表（保育"
                                            "短時間）」の様式には2人分の行しかありません。\n"
                                            "処理を中断します。"}));
    EXPECT_TRUE(excel->writtenCells(kShortSheet).empty());
    auto calls = excel->callsWithout({"Release"});
    EXPECT_THAT(calls, Not(Contains(::testing::HasSubstr(".Value="))));
    EXPECT_THAT(calls, Not(Contains("Visible=true")));
    EXPECT_TRUE(excel->quitCalled());

    attendance.clear();
    prompts.messages.clear();
    prompts.fileChoices.push_back(kBook);
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    add("い", "2015/01/02", "2018/05/01", "07:30", "16:45");
    EXPECT_EQ(run(), RunOutcome::Finished);
    EXPECT_EQ(cell("C10"), "イ");
}

// The batch tool lets the month's table go once the extended-care table is built: before the
// application starts, and the run then never reads it again.
TEST_F(Run, TheAttendanceTableIsDoneWithBeforeTheApplicationStarts) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    std::vector<std::size_t> callsSeen;
    in.attendanceDone = [&] {
        callsSeen.push_back(excel->calls().size());
        attendance = AttendanceTable();
    };
    EXPECT_EQ(run(), RunOutcome::Finished);
    EXPECT_EQ(callsSeen, std::vector<std::size_t>{0});
    EXPECT_EQ(cell("C6"), "ア");
}

// A sheet that cannot tell its used area, or whose used area ends above the first group, is no
// reason to refuse; the block stays within what one paste may cover.
TEST_F(Run, WithoutAUsedAreaOnlyTheSizeOfOnePasteLimitsTheChildren) {
    excel->book(kBook).usedRanges[kShortSheet] = "A1:BC5";
    for (int i = 0; i < 70; ++i)
        add("こ" + std::to_string(100 + i), "2015/01/01", "2018/05/01", "07:30", "16:45");
    EXPECT_EQ(run(), RunOutcome::Finished);
    EXPECT_EQ(summary.children, 70);

    put("2-9", "30000"); // a group of 30,000 rows: not one fits into a paste
    attendance.clear();
    prompts.messages.clear();
    prompts.fileChoices.push_back(kBook);
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    EXPECT_EQ(run(), RunOutcome::Error);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_THAT(prompts.messages[0].text, ::testing::HasSubstr("には0人分の行しかありません"));
}

TEST_F(Run, StepsThatReportTheirOwnFailureEndQuietly) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    // No month: nothing else happens.
    in.targetMonth.reset();
    EXPECT_EQ(run(), RunOutcome::QuietEnd);
    EXPECT_THAT(prompts.messages, ElementsAre(RecordedMessage{MsgIcon::Information, kCaption,
                                                              "対象月を入力して下さい。"}));
    EXPECT_EQ(window.busyCalls, 0);

    // A fiscal year that is not set up: no application is started.
    prompts.messages.clear();
    in.targetMonth =
        dates::Date{std::chrono::year{2020}, std::chrono::month{4}, std::chrono::day{1}};
    EXPECT_EQ(run(), RunOutcome::QuietEnd);
    EXPECT_THAT(texts(), ElementsAre("設定画面から2020年度の設定を行ってください。"));
    EXPECT_EQ(excel->applicationsCreated(), 0);

    // No spreadsheet application at all.
    prompts.messages.clear();
    in.targetMonth =
        dates::Date{std::chrono::year{2018}, std::chrono::month{5}, std::chrono::day{1}};
    sheets::BackendRegistry empty;
    UsageSheetRun r(empty, prompts, log, window);
    EXPECT_EQ(r.延長時間貼付処理(in), RunOutcome::QuietEnd);
    EXPECT_THAT(texts(), ElementsAre("EXCELの起動に失敗しました。"));
    EXPECT_TRUE(prompts.fileRequests.empty());
}

TEST_F(Run, BandsNoClerkCanMeanAreRefusedBeforeAnythingIsReadOrWritten) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    in.bands.短時間開始 = {17, 45};
    in.bands.短時間終了 = {4, 5};
    EXPECT_EQ(run(), RunOutcome::QuietEnd);
    EXPECT_THAT(prompts.messages,
                ElementsAre(RecordedMessage{MsgIcon::Information, kCaption,
                                            "短時間開始（17:45）が短時間終了（04:05）より前に"
                                            "なっていません。\n短時間開始と短時間終了を設定し直"
                                            "してください。"}));
    EXPECT_EQ(window.busyCalls, 0);
    EXPECT_TRUE(log.lines.empty()) << "not even the extended-care table is built";
    EXPECT_EQ(excel->applicationsCreated(), 0);

    // An empty band (start equal to end) is refused too; a one-minute band is taken.
    prompts.messages.clear();
    in.bands.短時間開始 = in.bands.短時間終了 = {8, 0};
    EXPECT_EQ(run(), RunOutcome::QuietEnd);
    EXPECT_EQ(prompts.messages.size(), 1u);
    in.bands.短時間終了 = {8, 1};
    prompts.messages.clear();
    EXPECT_EQ(run(), RunOutcome::Finished);
}

TEST_F(Run, AFailingWriteEndsWithTheErrorMessageAndHandsNothingOver) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    excel->failOn("Range(X6:BB9).Value", "範囲に書き込めません", 1004);
    ASSERT_EQ(run(), RunOutcome::Error);
    EXPECT_THAT(prompts.messages, ElementsAre(RecordedMessage{MsgIcon::Critical, "エラー",
                                                              "エラーで処理を中断しました。"}));
    EXPECT_THAT(log.lines, Contains("範囲に書き込めません(1004)"));
    EXPECT_EQ(cell("C6"), "ア");
    // Quit without being shown: the partly filled workbook is not handed over as the result.
    auto calls = excel->callsWithout({"Release"});
    EXPECT_THAT(std::vector<std::string>(calls.end() - 2, calls.end()),
                ElementsAre("Workbooks.Count", "Quit"));
    EXPECT_THAT(calls, Not(Contains("Visible=true")));
}

TEST_F(Run, AFailedHandOverIsNeverReportedAsFinished) {
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    excel->failOn("Visible=true", "保存できません", 1004);
    ASSERT_EQ(run(), RunOutcome::Error);
    EXPECT_THAT(texts(), ElementsAre("エラーで処理を中断しました。"));
}

TEST_F(Run, BadLayoutOrBirthDateEndsWithTheErrorMessage) {
    put("2-9", "2"); // short-time care needs four rows per child
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    EXPECT_EQ(run(), RunOutcome::Error);
    EXPECT_THAT(texts(), ElementsAre("エラーで処理を中断しました。"));
    EXPECT_TRUE(excel->writtenCells(kShortSheet).empty());

    prompts.messages.clear();
    prompts.fileChoices.push_back(kBook);
    put("2-9", "4");
    attendance.clear();
    add("あ", "不明", "2018/05/01", "07:30", "16:45");
    EXPECT_EQ(run(), RunOutcome::Error);
    EXPECT_THAT(texts(), ElementsAre("エラーで処理を中断しました。"));
    EXPECT_THAT(log.lines, Contains("生年月日が日付ではありません: 不明(13)"));
}

TEST_F(Run, ABlankColumnInTheLayoutIsLeftOut) {
    put("2-17", "");
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    ASSERT_EQ(run(), RunOutcome::Finished);
    EXPECT_EQ(cell("F6"), "1");
    EXPECT_THAT(excel->calls(), Not(Contains("Range(6)")));
}

TEST_F(Run, OnlyTheSecondIdentifierRegisteredRunsWithoutAnyExtraMessage) {
    auto second = std::make_shared<RecordingBackend>();
    second->progIds = {"Excel.Application"};
    second->setSheets(kBook, {kShortSheet, kStandardSheet});
    sheets::BackendRegistry onlySecond;
    second->registerIn(onlySecond);
    add("あ", "2015/01/01", "2018/05/01", "07:30", "16:45");
    UsageSheetRun r(onlySecond, prompts, log, window);
    EXPECT_EQ(r.延長時間貼付処理(in), RunOutcome::Finished);
    EXPECT_THAT(prompts.messages, ElementsAre(kFinish));
    EXPECT_EQ(second->calls().front(), "CreateObject(Excel.Application)");
    EXPECT_EQ(second->cell(kBook, kShortSheet, "X6"), "07");
}
