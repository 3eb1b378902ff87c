// The usage-sheet run with LibreOffice Calc as the spreadsheet application, in a real (private,
// headless) office process: two runs filling one document, ExcelClose with one and with two
// documents open, and the ends that must leave no half-filled document and no file behind.
#include "citylink/core/usage_sheet_run.h"
#include "citylink/sheets/calc/calc_backend.h"
#include "citylink/sheets/testing/calc_test_office.h"
#include "foundation/mdl_system_ini.h"
#include "foundation/testing/scripted_prompts.h"
#include "foundation/utf8_path.h"
#include "recording_window.h"
#include "testsupport/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace citylink;
namespace fs = std::filesystem;
namespace calctest = sheets::calctest;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

namespace {

constexpr const char* kShortSheet = "利用状況表（保育短時間）";
constexpr const char* kStandardSheet = "保育標準時間";

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

class CalcRun : public ::testing::Test {
protected:
    testsupport::ScratchDir dir;
    sheets::CalcOfficePtr office = calctest::SharedTestOffice();
    sheets::BackendRegistry registry;
    ScriptedPrompts prompts;
    RecordingLog log;
    RecordingWindow window;
    AttendanceTable attendance;
    UsageSheetInputs in;
    fs::path book;
    std::string originalBytes;

    void SetUp() override {
        in.targetMonth =
            dates::Date{std::chrono::year{2018}, std::chrono::month{5}, std::chrono::day{1}};
        in.attendance = &attendance;
        in.layoutIni = dir / "札幌市連携.INI";
        in.caption = "うぇぶきらの札幌市連携 Ver7.5.0";
        Init札幌市帳票管理(in.layoutIni);
        MdlSystemINI::PutIniString(in.layoutIni, "2018", "4-1", "1");
        MdlSystemINI::PutIniString(in.layoutIni, "2018", "4-2", "2");
        book = dir / "時間外保育利用状況表.xlsx";
        fs::copy_file(testsupport::sourceDir() / "samples/時間外保育利用状況表.xlsx", book);
        originalBytes = testsupport::readBytes(book);
        sheets::RegisterCalc(registry, office);
        attendance.append(record("やまだ　たろう", "2015/04/09", CareNeed::Short, "2018/05/07",
                                 "07:30", "16:45"));
        attendance.append(record("あべ　はなこ", "2016/11/23", CareNeed::Standard, "2018/05/08",
                                 "08:30", "18:20"));
    }
    void TearDown() override { calctest::CloseAll(office); }

    RunOutcome run(CareNeed need) {
        in.careNeed = need;
        prompts.fileChoices.push_back(utf8::fromPath(book));
        UsageSheetRun r(registry, prompts, log, window);
        RunOutcome outcome = r.延長時間貼付処理(in);
        EXPECT_EQ(window.depth, 0);
        return outcome;
    }
    std::string cell(const char* sheet, const char* a1) {
        return calctest::CellText(office, book, sheet, a1);
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.push_back(utf8::fromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

TEST_F(CalcRun, TwoRunsOnTheOriginalFillBothSheetsOfOneOpenUnsavedDocument) {
    ASSERT_EQ(run(CareNeed::Short), RunOutcome::Finished);
    ASSERT_EQ(run(CareNeed::Standard), RunOutcome::Finished);

    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].file.filename(), book.filename());
    EXPECT_TRUE(docs[0].modified);
    EXPECT_EQ(cell(kShortSheet, "C6"), "ヤマダ　タロウ");
    EXPECT_EQ(cell(kShortSheet, "D6"), "2015");
    EXPECT_EQ(cell(kShortSheet, "AD6"), "7"); // day 7: arrival 07:30
    EXPECT_EQ(cell(kShortSheet, "AD7"), "30");
    EXPECT_EQ(cell(kShortSheet, "AD8"), "16");
    EXPECT_EQ(cell(kShortSheet, "AD9"), "45");
    EXPECT_EQ(cell(kStandardSheet, "C6"), "アベ　ハナコ");
    EXPECT_EQ(cell(kStandardSheet, "H6"), "23");
    EXPECT_EQ(cell(kStandardSheet, "AE6"), "18"); // day 8: departure 18:20
    EXPECT_EQ(cell(kStandardSheet, "AE7"), "20");
    // Saved by nobody: the clerk's file is as it was.
    EXPECT_EQ(testsupport::readBytes(book), originalBytes);
    EXPECT_THAT(log.lines, Not(Contains("ExcelClose")));
}

TEST_F(CalcRun, ExcelCloseWithTheRunsWorkbookAloneQuits) {
    SheetSession session(registry, prompts, log, window);
    ASSERT_TRUE(session.xAppOpen());
    ASSERT_TRUE(session.ExcelFileOpen(utf8::fromPath(book)));
    session.ExcelClose(utf8::fromPath(book));
    EXPECT_THAT(log.lines,
                ElementsAre("xAppOpen", "ExcelFileOpen開始", "ExcelClose", "システム外起動なし"));
    EXPECT_TRUE(calctest::OpenDocuments(office).empty());
    EXPECT_FALSE(session.xlApp);
}

TEST_F(CalcRun, ExcelCloseWithAnotherDocumentOpenLeavesTheOfficeRunning) {
    fs::path other = dir / "other.xlsx";
    fs::copy_file(book, other);
    calctest::OpenAsUser(office, other);
    SheetSession session(registry, prompts, log, window);
    ASSERT_TRUE(session.xAppOpen());
    ASSERT_TRUE(session.ExcelFileOpen(utf8::fromPath(book)));
    session.ExcelClose(utf8::fromPath(book));
    EXPECT_THAT(log.lines,
                ElementsAre("xAppOpen", "ExcelFileOpen開始", "ExcelClose", "システム外起動あり"));
    // The user's document stays; the run's own, never shown, does not linger hidden.
    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].file.filename(), "other.xlsx");
}

TEST_F(CalcRun, TheWrongSheetEndAndTheErrorEndLeaveNoDocumentAndNoFile) {
    fs::path other = dir / "other.xlsx";
    fs::copy_file(book, other);
    calctest::OpenAsUser(office, other);
    const auto before = files();

    MdlSystemINI::PutIniString(in.layoutIni, "2018", "2-0", "ありえないシート");
    EXPECT_EQ(run(CareNeed::Short), RunOutcome::Error);
    EXPECT_THAT(log.lines, Contains("システム外起動あり"));
    EXPECT_EQ(calctest::OpenDocuments(office).size(), 1u);

    // An error in the middle of the writes: a birth date that is no date.
    MdlSystemINI::PutIniString(in.layoutIni, "2018", "2-0", kShortSheet);
    attendance.append(
        record("いとう　けん", "2016/13/45", CareNeed::Short, "2018/05/09", "07:00", "15:00"));
    prompts.messages.clear();
    EXPECT_EQ(run(CareNeed::Short), RunOutcome::Error);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_EQ(prompts.messages.back().text, "エラーで処理を中断しました。");

    auto docs = calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].file.filename(), "other.xlsx");
    EXPECT_EQ(files(), before); // no copy, no lock file of the run's workbook
    EXPECT_EQ(testsupport::readBytes(book), originalBytes);
}

// What a run costs in calls into the office (each one a round trip to another process): a few
// per child for the name and birth cells, the day grid of the sheet as one block, however many
// days and children the month has.
TEST_F(CalcRun, ARunsCallsIntoTheOfficeStayWithinAFewPerChild) {
    auto month = [&](int children) {
        attendance.clear();
        for (int k = 1; k <= children; ++k) {
            char reading[32], birth[16];
            std::snprintf(reading, sizeof reading, "えんじ　%02d", k);
            std::snprintf(birth, sizeof birth, "2015/%02d/%02d", k % 12 + 1, k % 28 + 1);
            for (int day = 1; day <= 31; ++day) {
                if (day % 7 == 5 || day % 7 == 6) // the weekends of May 2018
                    continue;
                char date[16];
                std::snprintf(date, sizeof date, "2018/05/%02d", day);
                attendance.append(record(reading, birth, CareNeed::Short, date, "07:15", "17:40"));
            }
        }
    };
    auto cost = [&](int children) {
        month(children);
        calctest::CloseAll(office);
        const std::uint64_t before = calctest::RoundTrips(office);
        EXPECT_EQ(run(CareNeed::Short), RunOutcome::Finished);
        return calctest::RoundTrips(office) - before;
    };
    const std::uint64_t few = cost(10);
    const std::uint64_t many = cost(50);
    std::printf("round trips of a run: %llu with 10 children, %llu with 50 (%+.2f per child)\n",
                static_cast<unsigned long long>(few), static_cast<unsigned long long>(many),
                (static_cast<double>(many) - static_cast<double>(few)) / 40.0);
    EXPECT_LE(many, few + 4u * 40u);
    // Start, open, sheet, block, show: a fixed budget on top of the children's.
    EXPECT_LE(many, 4u * 50u + 60u);
    EXPECT_EQ(cell(kShortSheet, "C202"), "エンジ　５０"); // the 50th child's group: 6 + 49 * 4
    EXPECT_EQ(cell(kShortSheet, "BB205"), "40");          // day 31 of the last child
}

// The form's extent comes from Calc's used area: a month with more children than the form has
// groups is refused before anything is written.
TEST_F(CalcRun, AMonthWithMoreChildrenThanTheFormHasGroupsIsRefused) {
    attendance.clear();
    for (int k = 1; k <= 61; ++k) {
        char reading[32];
        std::snprintf(reading, sizeof reading, "えんじ　%02d", k);
        attendance.append(
            record(reading, "2015/04/09", CareNeed::Short, "2018/05/07", "07:30", "16:45"));
    }
    EXPECT_EQ(run(CareNeed::Short), RunOutcome::Error);
    ASSERT_FALSE(prompts.messages.empty());
    EXPECT_NE(prompts.messages.back().text.find("60人分の行しかありません"), std::string::npos)
        << prompts.messages.back().text;
    EXPECT_TRUE(calctest::OpenDocuments(office).empty());
    EXPECT_EQ(testsupport::readBytes(book), originalBytes);
}
