// The CSV step around the reader: month check, messages, log lines and what the table holds.
#include "citylink/core/attendance_csv.h"
#include "citylink/core/tests/csv_import_fixture.h"
#include "citylink/core/tests/test_printers.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

using namespace citylink;
using namespace citylink_tests;
using namespace std::chrono;

namespace {

std::string fixture(const char* name) {
    return testsupport::readBytes(testsupport::sourceDir() / "citylink/core/tests/data" / name);
}

// The April fixture with its first or last record moved to another date.
std::string withDate(std::string bytes, std::string_view from, std::string_view to, bool last) {
    auto at = last ? bytes.rfind(from) : bytes.find(from);
    return bytes.replace(at, from.size(), to);
}

const RecordedMessage kReadFailed{MsgIcon::None, "", "CSVの読み込みに失敗しました。"};
const RecordedMessage kOutsideMonth{MsgIcon::Information, std::string(kCaption),
                                    "対象月以外の日付が含まれます。処理を中断します。"};

} // namespace

TEST_F(CsvImport, AMonthInsideTheTargetMonthIsAccepted) {
    ASSERT_TRUE(import(fixture("april2019.csv")));
    EXPECT_EQ(table.count(), 4u);
    EXPECT_EQ(table.at(1).childName(), "山田　太郎");
    EXPECT_EQ(table.at(4).date(), "2019/04/30");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0],
              (RecordedMessage{MsgIcon::Information, std::string(kCaption),
                               "CSVファイルの読込に成功しました。\n引続き[②札幌市連携エクセル選択]"
                               "を実行して下さい。"}));
    EXPECT_EQ(log.lines, std::vector<std::string>{"ReadCSVtoCsvArray"});
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(labelCleared, 0);
}

TEST_F(CsvImport, ARecordOneDayOutsideTheMonthRefusesTheFileWhereverItStands) {
    const std::string april = fixture("april2019.csv");
    const std::string cases[] = {
        withDate(april, "2019/4/1", "2019/3/31", false),     // first record, day before
        withDate(april, "2019/04/30", "2019/05/01", true),   // last record, day after
        withDate(april, "2019/04/02", "2019/05/01", false),  // in the middle
        withDate(april, "2019/04/02", "2019/04/02x", false), // no date, sorts inside the month
        withDate(april, "2019/04/02", "", false),            // empty
    };
    for (const std::string& bytes : cases) {
        prompts.messages.clear();
        labelCleared = 0;
        EXPECT_FALSE(import(bytes));
        EXPECT_EQ(prompts.messages, std::vector<RecordedMessage>{kOutsideMonth});
        EXPECT_EQ(labelCleared, 1);
        EXPECT_EQ(table.count(), 4u); // the refused records stay; the caller disables its run
    }
    // Only the target month's year and month count; its 1st and last day are inside.
    EXPECT_TRUE(import(april, dates::Date{year{2019}, month{4}, day{30}}));
    EXPECT_FALSE(import(april, dates::Date{year{2018}, month{4}, day{1}}));
}

// The month check knows a text of the month's "yyyy/mm/" and two digits by those digits; every
// date text must be judged as the plain rule has it: a date, from the first to the last day of
// the month as text. Months of 28 to 31 days, each text alone and all of a month's in one file.
TEST_F(CsvImport, EveryDateTextIsJudgedAsThePlainRuleHasIt) {
    const std::string header = "h1,h2,h3,h4,h5,h6,h7,h8,h9,h10,h11,h12,h13,h14,h15\r\n";
    const std::string rest = ",ひよこ組,1001,2018/5/4,0歳,男,保育標準時間,伊藤　蓮,いとう　れん,"
                             "出席,08:00,17:00,0,0,\r\n";
    for (const dates::Date target :
         {dates::Date{year{2019}, month{4}, day{17}}, dates::Date{year{2020}, month{2}, day{1}},
          dates::Date{year{2019}, month{2}, day{28}},
          dates::Date{year{2019}, month{12}, day{31}}}) {
        const std::string firstDay = dates::formatYmd(target.year() / target.month() / 1);
        const std::string lastDay = dates::Get月末日(firstDay);
        const std::string prefix = firstDay.substr(0, 8);
        std::vector<std::string> texts = {prefix + "1x",
                                          prefix + "x1",
                                          prefix + "1",
                                          prefix + "011",
                                          prefix + " 1",
                                          prefix + "-1",
                                          prefix.substr(0, 7) + "-05",
                                          lastDay + " 00:00",
                                          firstDay.substr(0, 5) + "13/01"};
        for (int d = 0; d <= 40; ++d)
            texts.push_back(prefix + (d < 10 ? "0" : "") + std::to_string(d));
        std::string all = header;
        bool allInside = true;
        for (const std::string& text : texts) {
            const std::string bytes = header + text + rest;
            const auto parsed = parseAttendanceCsv(bytes);
            ASSERT_TRUE(parsed.ok()) << text;
            const std::string_view stored = parsed.records.at(1).date();
            const bool inside = dates::parseDate(stored) && stored >= firstDay && stored <= lastDay;
            EXPECT_EQ(import(bytes, target), inside) << text;
            allInside = allInside && inside;
            all += text + rest;
        }
        EXPECT_FALSE(allInside);
        EXPECT_FALSE(import(all, target));
        std::string month = header; // every day of the month, twice, out of order
        for (int round = 0; round < 2; ++round)
            for (int d = static_cast<int>(static_cast<unsigned>(dates::parseDate(lastDay)->day()));
                 d >= 1; --d)
                month += prefix + (d < 10 ? "0" : "") + std::to_string(d) + rest;
        EXPECT_TRUE(import(month, target));
    }
}

TEST_F(CsvImport, ReadFailuresLogTheReasonAndLeaveTheTableEmpty) {
    ASSERT_TRUE(import(fixture("april2019.csv")));
    struct Case {
        std::string bytes;
        std::string logLine;
    };
    const Case cases[] = {
        {fixture("header_only.csv"), "見出し行の後に出席データがありません。(9)"},
        {fixture("short_last.csv"), "最後のレコードの項目が15個に足りません（14個）。(62)"},
        {fixture("april2019.csv") + "\xFF\xFF",
         "文字コードがCP932（Shift_JIS）でもUTF-8でもありません。(5)"},
    };
    for (const Case& c : cases) {
        prompts.messages.clear();
        log.lines.clear();
        busy.clear();
        EXPECT_FALSE(import(c.bytes));
        EXPECT_EQ(prompts.messages, std::vector<RecordedMessage>{kReadFailed});
        EXPECT_EQ(log.lines, (std::vector<std::string>{"ReadCSVtoCsvArray", c.logLine}));
        EXPECT_EQ(busy, (std::vector<bool>{true, false}));
        EXPECT_TRUE(table.empty());
    }
    prompts.messages.clear();
    EXPECT_FALSE(importPath(dir / "消えた.csv"));
    EXPECT_EQ(prompts.messages, std::vector<RecordedMessage>{kReadFailed});
    EXPECT_TRUE(log.lines.back().ends_with("(53)"));
}

TEST_F(CsvImport, ASecondImportReplacesTheTable) {
    ASSERT_TRUE(import(fixture("april2019.csv")));
    ASSERT_TRUE(import(fixture("line_breaks.csv")));
    ASSERT_EQ(table.count(), 3u);
    EXPECT_EQ(table.at(1).date(), "2019/04/03");
    EXPECT_THROW(table.at(4), std::out_of_range);
    EXPECT_THROW(table.at(0), std::out_of_range);
}

TEST(CsvOpenFileRequest, TitleAndFilter) {
    auto r = csvOpenFileRequest();
    EXPECT_EQ(r.title, "うぇぶきらのの「出席情報検索」から出力したCSVファイルを選択してください");
    EXPECT_EQ(r.filter, "CSVファイル|*.CSV|全てのファイル|*.*");
    EXPECT_EQ(r.initialFile, "");
}
