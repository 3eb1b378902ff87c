// The main window's CSV step and settings files, through the real buttons and fields.
#include "citylink/ui/main_window.h"
#include "citylink/ui/tests/window_test.h"
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

using namespace std::chrono;

namespace {

class WindowSettingsTest : public WindowTest {
protected:
    WindowSettingsTest() : WindowTest({2019, 4, 10, 9, 0, 0}) {}

    static std::string fixture() {
        return (testsupport::sourceDir() / "citylink/core/tests/data/april2019.csv").string();
    }
};

} // namespace

TEST_F(WindowSettingsTest, AGoodCsvEnablesTheRunAndARefusedOneDisablesIt) {
    auto w = open();
    w->show();
    prompts.fileChoices = {fixture()};
    w->cmdCSV選択->click();

    ASSERT_EQ(prompts.fileRequests.size(), 1u);
    EXPECT_EQ(prompts.fileRequests[0].title,
              "うぇぶきらのの「出席情報検索」から出力したCSVファイルを選択してください");
    EXPECT_EQ(prompts.fileRequests[0].filter, "CSVファイル|*.CSV|全てのファイル|*.*");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "CSVファイルの読込に成功しました。\n引続き["
                                        "②札幌市連携エクセル選択]を実行して下さい。");
    EXPECT_EQ(prompts.messages[0].title, w->caption());
    EXPECT_TRUE(w->Cmd連携->isEnabled());
    EXPECT_EQ(w->lblCSVファイル名->text().toStdString(), fixture());
    EXPECT_EQ(w->attendanceTable().count(), 4u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the hourglass is gone again
    EXPECT_TRUE(w->cmdCSV選択->isEnabled());

    // Cancelling the dialog changes nothing.
    prompts.messages.clear();
    w->cmdCSV選択->click();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(w->Cmd連携->isEnabled());

    // The same file for May: refused, the label cleared, the run impossible. (Changing the month
    // disables the button by itself; enable it again to see the refusal do it.)
    w->対象日付->setValue(dates::Date{year{2019}, month{5}, day{1}});
    w->Cmd連携->setEnabled(true);
    prompts.fileChoices = {fixture()};
    w->cmdCSV選択->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "対象月以外の日付が含まれます。処理を中断します。");
    EXPECT_FALSE(w->Cmd連携->isEnabled());
    EXPECT_TRUE(w->lblCSVファイル名->text().isEmpty());

    // A file that cannot be read: the plain failure message, the run stays impossible.
    prompts.messages.clear();
    w->Cmd連携->setEnabled(true);
    prompts.fileChoices = {(programDir / "ない.csv").string()};
    w->cmdCSV選択->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0],
              (RecordedMessage{MsgIcon::None, "", "CSVの読み込みに失敗しました。"}));
    EXPECT_FALSE(w->Cmd連携->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A FIFO chosen through "全てのファイル": refused by name at once (waiting on it would hang
    // the window for ever), the run stays impossible.
    const auto fifo = programDir / "出席.csv";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    prompts.messages.clear();
    w->Cmd連携->setEnabled(true);
    prompts.fileChoices = {fifo.string()};
    w->cmdCSV選択->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "CSVの読み込みに失敗しました。\n「" + fifo.string() +
                                            "」は通常のファイルではありません。");
    EXPECT_FALSE(w->Cmd連携->isEnabled());
}

TEST_F(WindowSettingsTest, LayoutSeededAtLoadBandsLoadedAtFirstShowAndSavedAtClose) {
    const auto bandsFile = programDir / "札幌市連携時間設定.INI";
    MdlSystemINI::PutIniString(bandsFile, "札幌市連携時間設定", "短時間開始", "7:30");
    MdlSystemINI::PutIniString(bandsFile, "札幌市連携時間設定", "短時間終了", "夕方");

    auto w = open();
    EXPECT_EQ(MdlSystemINI::GetIniString(programDir / "札幌市連携.INI", "2018", "3-0"),
              "保育標準時間");
    w->show();
    EXPECT_EQ(w->短時間開始->text(), QStringLiteral("07:30"));
    EXPECT_EQ(w->短時間終了->text(), QStringLiteral("16:00"));
    EXPECT_EQ(w->標準時間終了->text(), QStringLiteral("18:00"));

    w->標準時間終了->setTime(QTime(18, 30));
    w->close();
    EXPECT_EQ(testsupport::readBytes(bandsFile),
              cp932::fromUtf8("[札幌市連携時間設定]\r\n短時間開始=07:30\r\n短時間終了=16:00\r\n"
                              "標準時間終了=18:30\r\n"));
}
