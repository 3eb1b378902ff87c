// The spreadsheet steps against the recording double: identifiers, messages, log lines, release.
#include "citylink/core/tests/session_fixture.h"
#include "test_printers.h"
#include "testsupport/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace citylink_tests;
using ::testing::ElementsAre;

TEST_F(Session, TheSecondIdentifierStartsTheApplicationWithoutAnyMessage) {
    excel->progIds = {"Excel.Application"};
    excel->registerIn(registry);
    ASSERT_TRUE(session.xAppOpen());
    EXPECT_THAT(calls(),
                ElementsAre("CreateObject(Excel.Application)", "Workbooks", "Visible=false"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_THAT(log.lines, ElementsAre("xAppOpen"));

    // A second start while one is held refuses.
    EXPECT_FALSE(session.xAppOpen());
    EXPECT_THAT(log.lines, ElementsAre("xAppOpen", "xAppOpen", "起動済み"));
    EXPECT_EQ(excel->applicationsCreated(), 1);
}

TEST_F(Session, TheLastIdentifierIsTriedToo) {
    excel->progIds = {"Excel.Application.16"};
    excel->registerIn(registry);
    EXPECT_TRUE(session.xAppOpen());
    EXPECT_EQ(calls().front(), "CreateObject(Excel.Application.16)");
}

TEST_F(Session, NoApplicationAnywhereIsReported) {
    window.setStatus("EXCEL起動中・・・");
    EXPECT_FALSE(session.xAppOpen());
    EXPECT_FALSE(session.xlApp);
    EXPECT_THAT(prompts.messages, ElementsAre(RecordedMessage{MsgIcon::Critical, "エラー",
                                                              "EXCELの起動に失敗しました。"}));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_TRUE(log.lines[1].starts_with("xAppOpen: ")) << log.lines[1];
    EXPECT_TRUE(log.lines[1].ends_with("( 429)")) << log.lines[1];
    EXPECT_EQ(window.label(), "");
}

TEST_F(Session, OpenSheetAndWrite) {
    excel->registerIn(registry);
    ASSERT_TRUE(session.xAppOpen());
    ASSERT_TRUE(session.ExcelFileOpen("/in/book.xlsx"));
    EXPECT_EQ(window.label(), "book.xlsx 読み込み中");
    ASSERT_TRUE(session.ExcelSheetOpen("利用状況表（保育短時間）"));
    session.SetCellValue("C6", 0, "ヤマダ　タロウ  ", 0);
    session.SetCellValue("D6", 1, "2015", 2);
    session.SetCellValue("", 0, "x", 0);
    session.SetCellValue("   ", 0, "x", 0);
    EXPECT_EQ(excel->cell("利用状況表（保育短時間）", "C6"), "ヤマダ　タロウ");
    EXPECT_EQ(excel->cell("利用状況表（保育短時間）", "F7"), "2015");
    EXPECT_EQ(excel->writtenCells("利用状況表（保育短時間）").size(), 2u);
    EXPECT_THAT(log.lines, ElementsAre("xAppOpen", "ExcelFileOpen開始", "ExcelSheetOpen開始"));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Session, AFailedOpenStopsWithItsMessageAndClosesTheApplication) {
    excel->failOpen("/in/book.xls", "この形式は開けません");
    excel->registerIn(registry);
    ASSERT_TRUE(session.xAppOpen());
    EXPECT_FALSE(session.ExcelFileOpen("/in/book.xls"));
    EXPECT_THAT(prompts.messages,
                ElementsAre(RecordedMessage{MsgIcon::Critical, "エラー",
                                            "EXCELファイルのオープンに失敗しました。"}));
    EXPECT_THAT(log.lines, ElementsAre("xAppOpen", "ExcelFileOpen開始",
                                       "ExcelFileOpen: この形式は開けません( 1004)", "ExcelClose",
                                       "システム外起動なし"));
    EXPECT_TRUE(excel->quitCalled());
    EXPECT_FALSE(session.xlApp);
    EXPECT_EQ(excel->liveObjects(), 0);
    EXPECT_EQ(window.label(), "");
}

TEST_F(Session, OpenWithoutApplicationOrSheetWithoutWorkbookSaysNothing) {
    EXPECT_FALSE(session.ExcelFileOpen("/in/book.xlsx"));
    EXPECT_FALSE(session.ExcelSheetOpen("x"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_THAT(log.lines, ElementsAre("ExcelFileOpen開始", "ExcelSheetOpen開始"));
}

TEST_F(Session, AWrongSheetNameIsReported) {
    excel->registerIn(registry);
    ASSERT_TRUE(session.xAppOpen());
    ASSERT_TRUE(session.ExcelFileOpen("/in/book.xlsx"));
    EXPECT_FALSE(session.ExcelSheetOpen("保育標準時間"));
    EXPECT_THAT(prompts.messages, ElementsAre(RecordedMessage{MsgIcon::Critical, "エラー",
                                                              "シートのオープンに失敗しました。"}));
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_TRUE(log.lines[3].starts_with("ExcelSheetOpen: ")) << log.lines[3];
    EXPECT_TRUE(log.lines[3].ends_with("( 9)")) << log.lines[3];
}

TEST_F(Session, CloseQuitsOnlyAnApplicationWithNoOtherWorkbook) {
    excel->registerIn(registry);
    ASSERT_TRUE(session.xAppOpen());
    ASSERT_TRUE(session.ExcelFileOpen("/in/book.xlsx"));
    session.ExcelClose("/in/book.xlsx");
    EXPECT_TRUE(excel->quitCalled());
    EXPECT_THAT(excel->calls(),
                ::testing::IsSupersetOf({"Workbooks.Count", "Quit", "Release Application"}));
    EXPECT_EQ(excel->liveObjects(), 0);

    auto other = std::make_shared<RecordingBackend>();
    other->otherWorkbooks = 1;
    sheets::BackendRegistry registry2;
    other->registerIn(registry2);
    RecordingLog log2;
    SheetSession session2(registry2, prompts, log2, window);
    ASSERT_TRUE(session2.xAppOpen());
    ASSERT_TRUE(session2.ExcelFileOpen("/in/other.xlsx"));
    session2.ExcelClose("");
    EXPECT_FALSE(other->quitCalled());
    EXPECT_EQ(log2.lines.back(), "システム外起動あり");
    EXPECT_EQ(other->liveObjects(), 0);

    // Nothing held: only the log line.
    session2.ExcelClose("");
    EXPECT_EQ(log2.lines.back(), "ExcelClose");
}

TEST_F(Session, AFailingQuitIsLoggedAndTheReferencesGoAnyway) {
    excel->failOn("Quit", "サーバーが応答しません", 462);
    excel->registerIn(registry);
    ASSERT_TRUE(session.xAppOpen());
    session.ExcelClose("");
    EXPECT_EQ(log.lines.back(), "EXCEL: サーバーが応答しません(462)");
    EXPECT_FALSE(session.xlApp);
}

TEST(Getファイル名, TakesTheLastComponent) {
    EXPECT_EQ(SheetSession::Getファイル名("C:\\園\\時間外保育利用状況表.xlsx"),
              "時間外保育利用状況表.xlsx");
    EXPECT_EQ(SheetSession::Getファイル名("/home/a/b.xlsm"), "b.xlsm");
    EXPECT_EQ(SheetSession::Getファイル名("b.xlsx"), "b.xlsx");
    EXPECT_EQ(SheetSession::Getファイル名("/home/a/"), "");
    EXPECT_EQ(SheetSession::Getファイル名(""), "");
}
