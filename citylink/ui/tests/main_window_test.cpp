// The main window under the offscreen platform: real buttons, real labels, the real log file.
#include "citylink/ui/main_window.h"
#include "citylink/ui/tests/window_test.h"

#include "citylink/core/program_caption.h"
#include "citylink/ui/tests/key_input.h"
#include "foundation/cp932.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <QApplication>
#include <QCursor>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using namespace std::chrono;

namespace {

const std::string& kCaption = citylink::programCaption();

class MainWindowTest : public WindowTest {
protected:
    MainWindowTest() : WindowTest({2024, 12, 2, 9, 30, 5}) {}

    std::string logBytes() { return testsupport::readBytes(dataDir / "20241202_.log"); }
    static std::string entry(const std::string& message) {
        return cp932::fromUtf8("\"【09:30:05】 " + message + "\"\r\n");
    }
};

TEST_F(MainWindowTest, OpensWithCaptionTodaysMonthAndTheFormsInitialStates) {
    auto w = open();
    ASSERT_TRUE(w->loadSucceeded());
    EXPECT_EQ(w->windowTitle(), QString::fromStdString(kCaption));
    EXPECT_EQ(w->caption(), kCaption);
    EXPECT_EQ(w->対象日付->text(), QStringLiteral("令和 06年12月"));

    EXPECT_FALSE(w->Cmd連携->isEnabled());
    EXPECT_EQ(w->Cmd連携->text(), QStringLiteral("②札幌市連携エクセル選択"));
    EXPECT_FALSE(w->Cmd設定ファイル->isHidden());
    EXPECT_EQ(w->Frm連携->title(), QStringLiteral("札幌市"));
    EXPECT_TRUE(w->Opt大阪市[0]->isChecked());
    EXPECT_FALSE(w->Opt大阪市[1]->isChecked());
    EXPECT_EQ(w->Opt大阪市[1]->text(), QStringLiteral("標準時間"));
    EXPECT_EQ(w->短時間開始->text(), QStringLiteral("08:00"));
    EXPECT_EQ(w->短時間終了->text(), QStringLiteral("16:00"));
    EXPECT_EQ(w->標準時間終了->text(), QStringLiteral("18:00"));
    EXPECT_EQ(w->Label12->text(), QStringLiteral("～"));
    EXPECT_TRUE(w->lblMsg->text().isEmpty());
    EXPECT_TRUE(w->lblCSVファイル名->text().isEmpty());
    EXPECT_TRUE(prompts.messages.empty());

    // Controls are found by their names as well.
    EXPECT_EQ(w->findChild<QPushButton*>(QStringLiteral("Cmd連携")), w->Cmd連携);
    EXPECT_EQ(w->findChild<QRadioButton*>(QStringLiteral("Opt大阪市(1)")), w->Opt大阪市[1]);
}

TEST_F(MainWindowTest, TodaysMonthTakesTheEraOfThatDay) {
    clock.set({2019, 4, 30, 12, 0, 0});
    EXPECT_EQ(open()->対象日付->text(), QStringLiteral("平成 31年04月"));
    clock.set({2019, 5, 1, 12, 0, 0});
    EXPECT_EQ(open()->対象日付->text(), QStringLiteral("令和 01年05月"));
}

TEST_F(MainWindowTest, ChangingTheMonthDisablesTheRunButton) {
    auto w = open();
    w->show();
    // A successful CSV step enables the button; then the clerk changes the month.
    w->Cmd連携->setEnabled(true);
    type(*w->対象日付, QStringLiteral("令和6年11月"));
    EXPECT_FALSE(w->Cmd連携->isEnabled());
    EXPECT_EQ(w->対象日付->text(), QStringLiteral("令和 06年11月"));

    w->Cmd連携->setEnabled(true);
    QTest::keyClick(w->対象日付, Qt::Key_Up);
    EXPECT_FALSE(w->Cmd連携->isEnabled());
    EXPECT_EQ(w->対象日付->text(), QStringLiteral("令和 06年12月"));
    w->close();
}

TEST_F(MainWindowTest, EmptyMonthStopsTheCheckWithItsMessageAndFocusOnTheField) {
    auto w = open();
    w->show();
    ASSERT_TRUE(w->Chk対象月());
    EXPECT_TRUE(prompts.messages.empty());

    w->cmd終了->setFocus();
    type(*w->対象日付, QString());
    EXPECT_FALSE(w->対象日付->value());
    w->cmd終了->setFocus();

    EXPECT_FALSE(w->Chk対象月());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0],
              (RecordedMessage{MsgIcon::Information, kCaption, "対象月を入力して下さい。"}));
    EXPECT_EQ(w->focusWidget(), w->対象日付);
    EXPECT_TRUE(prompts.fileRequests.empty());
    w->close();
}

TEST_F(MainWindowTest, OpeningAndClosingWriteTheLogInCp932) {
    {
        auto w = open();
        w->show();
        w->cmd終了->click();
        EXPECT_FALSE(w->isVisible());
        w->close(); // a second close does not unload again
    }
    EXPECT_EQ(logBytes(), entry(kCaption) + entry("Form_Load終了") + entry("終了"));
}

TEST_F(MainWindowTest, ASettingsFolderThatCannotBeWrittenStillOpensTheWindow) {
    // The layout file cannot be seeded (a folder that is not there stands for a read-only one):
    // the clerk still gets the window, and the log says why the first year has no settings.
    {
        Window w(prompts, log, clock, programDir / "missing");
        EXPECT_TRUE(w.loadSucceeded());
        EXPECT_TRUE(prompts.messages.empty());
        EXPECT_TRUE(w.Cmd設定ファイル->isVisibleTo(&w));
        w.close();
    }
    EXPECT_EQ(logBytes(), entry(kCaption) +
                              entry("Init札幌市帳票管理: 札幌市連携.INIに書き込めません。") +
                              entry("Form_Load終了") + entry("終了"));
}

TEST_F(MainWindowTest, FailedLoadIsLoggedShownAndUnloadsTheWindow) {
    clock.set({2024, 13, 2, 9, 30, 5}); // a clock that gives no date
    auto w = open();
    EXPECT_FALSE(w->loadSucceeded());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], (RecordedMessage{MsgIcon::Critical, kCaption,
                                                    "エラーが発生しました。処理を中断します"}));
    // The log file is named by the clock's (broken) date; find it whatever its name.
    std::string bytes;
    for (const auto& f : std::filesystem::directory_iterator(dataDir.path()))
        bytes += testsupport::readBytes(f.path());
    std::string text = cp932::toUtf8(bytes);
    EXPECT_NE(text.find("Err:Form_Load:型が一致しません。(13)"), std::string::npos) << text;
    EXPECT_NE(text.find(" 終了\""), std::string::npos) << text;
    EXPECT_EQ(text.find("Form_Load終了"), std::string::npos) << text;
}

TEST_F(MainWindowTest, BusyGuardTakesTheWindowAndGivesItBackOnAnException) {
    auto w = open();
    w->show();
    try {
        citylink::BusyGuard guard(*w);
        guard.status("EXCEL起動中・・・");
        EXPECT_TRUE(w->isBusy());
        EXPECT_FALSE(w->cmdCSV選択->isEnabled());
        EXPECT_FALSE(w->cmd終了->isEnabled());
        EXPECT_TRUE(w->lblMsg->isEnabled()); // progress stays readable
        EXPECT_EQ(w->lblMsg->text(), QStringLiteral("EXCEL起動中・・・"));
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            citylink::BusyGuard inner(*w); // a step inside the run
        }
        EXPECT_FALSE(w->cmdCSV選択->isEnabled());
        throw std::runtime_error("automation failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(w->isBusy());
    EXPECT_TRUE(w->cmdCSV選択->isEnabled());
    EXPECT_TRUE(w->lblMsg->text().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    w->close();
}

} // namespace
