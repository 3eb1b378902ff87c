// The settings screen under the offscreen platform with the scripted prompts: the real boxes and
// buttons against a real layout file, compared as bytes where the file is the contract.
#include "citylink/core/layout_settings.h"
#include "citylink/ui/main_window.h"
#include "citylink/ui/settings_screen.h"
#include "foundation/cp932.h"
#include "foundation/mdl_system_ini.h"
#include "foundation/testing/scripted_prompts.h"
#include "testsupport/test_files.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using MdlSystemINI::GetIniString;
using MdlSystemINI::PutIniString;
using ::testing::ElementsAre;
using testsupport::ScratchDir;

namespace {

constexpr const char* kCaption = "設定画面 Ver7.4.1";
const RecordedMessage kAskSwitch{
    MsgIcon::Question, "確認",
    "保存していない内容がありますが、保存せずに表示を切り替えてよろしいですか？"};
const RecordedMessage kAskSave{MsgIcon::Question, "確認", "設定を変更してよろしいですか？"};
const RecordedMessage kSaved{MsgIcon::Information, kCaption, "保存しました。"};
const RecordedMessage kAskCopy{MsgIcon::Question, "確認",
                               "昨年度の設定を今年度の設定として複写しますか？"};
const RecordedMessage kCopied{MsgIcon::Information, kCaption, "設定を複写しました。"};
const RecordedMessage kAskClose{
    MsgIcon::Question, "確認",
    "保存していない内容がありますが、保存せずに画面を閉じてよろしいですか？"};

// The seeded first year as the file holds it.
const char* const kSeeded2018 = "[2018]\r\n"
                                "1-1=時間外保育利用状況表\r\n"
                                "2-0=利用状況表（保育短時間）\r\n"
                                "2-1=6\r\n2-2=X\r\n2-9=4\r\n2-11=U\r\n2-12=T\r\n"
                                "2-14=C\r\n2-15=D\r\n2-16=F\r\n2-17=H\r\n2-18=J\r\n"
                                "3-0=保育標準時間\r\n"
                                "3-1=6\r\n3-2=X\r\n3-9=2\r\n3-11=U\r\n3-12=T\r\n"
                                "3-14=C\r\n3-15=D\r\n3-16=F\r\n3-17=H\r\n3-18=J\r\n"
                                "4-1=\r\n4-2=\r\n";

class SettingsScreenTest : public ::testing::Test {
protected:
    using Screen = F_うぇぶきらの札幌市連携設定画面;

    ScratchDir dir;
    std::filesystem::path ini = dir / "札幌市連携.INI";
    ManualClock clock{{2025, 4, 1, 10, 0, 0}};
    ScriptedPrompts prompts;

    void SetUp() override { citylink::Init札幌市帳票管理(ini); }

    std::unique_ptr<Screen> open() {
        auto s = std::make_unique<Screen>(prompts, clock, ini);
        s->show();
        return s;
    }
    static void choose(Screen& s, const char* year) {
        int index = s.Cmb年度->findText(QString::fromUtf8(year));
        ASSERT_GE(index, 0) << year;
        s.Cmb年度->setCurrentIndex(index);
    }
    // Every box, in the order of the form: sheet name, 横(0..9), user items (0..1).
    static std::vector<std::string> fields(const Screen& s) {
        std::vector<std::string> out{s.Txtシート名->text().toStdString()};
        for (QLineEdit* box : s.Txt横)
            out.push_back(box->text().toStdString());
        for (QLineEdit* box : s.Txtユーザ項目)
            out.push_back(box->text().toStdString());
        return out;
    }
    static std::vector<std::string> empty() { return std::vector<std::string>(13); }
    std::string bytes() const { return testsupport::readBytes(ini); }
    // What the run's reader makes of the year's first month.
    bool runAccepts(int year, citylink::CityLayout& layout) {
        RecordingLog log;
        ScriptedPrompts quiet;
        dates::Date april{std::chrono::year{year}, std::chrono::month{4}, std::chrono::day{1}};
        bool ok = citylink::M札幌市帳票管理(ini, april, citylink::CareNeed::Short, layout, quiet,
                                            log, "caption");
        lastReaderMessages = quiet.messages;
        return ok;
    }
    std::vector<RecordedMessage> lastReaderMessages;
};

QString accessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

} // namespace

TEST_F(SettingsScreenTest, OpensWithCaptionYearsUpToTodaysFiscalYearAndNothingChosen) {
    auto s = open();
    EXPECT_EQ(s->windowTitle(), QString::fromUtf8(kCaption));
    QStringList years;
    for (int i = 0; i < s->Cmb年度->count(); ++i)
        years << s->Cmb年度->itemText(i);
    EXPECT_EQ(years.join(u','), QStringLiteral(",2018,2019,2020,2021,2022,2023,2024,2025"));
    EXPECT_EQ(s->Cmb年度->currentIndex(), -1);
    EXPECT_EQ(fields(*s), empty());
    EXPECT_TRUE(s->Opt必要量[0]->isChecked());
    EXPECT_TRUE(s->Cmd複写->isHidden());
    EXPECT_FALSE(s->hasUnsavedChanges());
    EXPECT_EQ(s->Frame1->title(), QStringLiteral("データ貼付位置設定"));
    EXPECT_EQ(s->Label11[3]->text(), QStringLiteral("障がい設定のユーザー項目："));
    EXPECT_EQ(s->findChild<QLineEdit*>(QStringLiteral("Txt横(9)")), s->Txt横[9]);
    EXPECT_TRUE(prompts.messages.empty());

    // The day before, the fiscal year begun in April 2024 is the last one.
    clock.set({2025, 3, 31, 23, 59, 0});
    auto before = open();
    EXPECT_EQ(before->Cmb年度->itemText(before->Cmb年度->count() - 1), QStringLiteral("2024"));
    // Before April 2019 only the first year is offered.
    clock.set({2019, 3, 31, 12, 0, 0});
    EXPECT_EQ(open()->Cmb年度->count(), 2);
}

TEST_F(SettingsScreenTest, EveryInputAndButtonIsNamedForScreenReaders) {
    auto s = open();
    EXPECT_EQ(accessibleName(s->Cmb年度), QStringLiteral("年度："));
    EXPECT_EQ(accessibleName(s->Txtシート名), QStringLiteral("貼付シート名："));
    EXPECT_EQ(accessibleName(s->Txt横[0]), QStringLiteral("氏　名　："));
    EXPECT_EQ(accessibleName(s->Txt横[7]), QStringLiteral("月　初　日　："));
    EXPECT_EQ(accessibleName(s->Txt横[9]), QStringLiteral("一人あたりの使用縦数："));
    EXPECT_EQ(accessibleName(s->Txtユーザ項目[0]), QStringLiteral("減免設定のユーザー項目："));
    EXPECT_EQ(accessibleName(s->Cmd複写), QStringLiteral("昨年度設定を複写する"));
    EXPECT_EQ(accessibleName(s->Opt必要量[1]), QStringLiteral("標準時間"));
    for (QWidget* w : s->findChildren<QWidget*>()) {
        bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractButton*>(w) ||
                     qobject_cast<QComboBox*>(w);
        if (input && !w->objectName().isEmpty()) {
            EXPECT_FALSE(accessibleName(w).isEmpty()) << w->objectName().toStdString();
        }
    }
}

TEST_F(SettingsScreenTest, ASetUpYearShowsTheChosenCareNeedAndTheEmptyEntryClearsIt) {
    PutIniString(ini, "2018", "4-1", "3");
    PutIniString(ini, "2018", "4-2", "5");
    auto s = open();
    choose(*s, "2018");
    EXPECT_THAT(fields(*s), ElementsAre("利用状況表（保育短時間）", "C", "D", "F", "H", "J", "T",
                                        "U", "X", "6", "4", "5", "3"));
    EXPECT_FALSE(s->hasUnsavedChanges());
    EXPECT_TRUE(s->Cmd複写->isHidden());

    s->Opt必要量[1]->click();
    EXPECT_THAT(fields(*s), ElementsAre("保育標準時間", "C", "D", "F", "H", "J", "T", "U", "X", "6",
                                        "2", "5", "3"));
    choose(*s, "");
    EXPECT_EQ(fields(*s), empty());
    EXPECT_TRUE(s->Cmd複写->isHidden()) << "the empty entry leaves the copy button as it was";
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SettingsScreenTest, AYearNotSetUpStaysSoWhenValuesAreSavedIntoIt) {
    auto s = open();
    choose(*s, "2019");
    EXPECT_EQ(fields(*s), empty());
    EXPECT_FALSE(s->Cmd複写->isHidden());
    choose(*s, "");
    EXPECT_FALSE(s->Cmd複写->isHidden()) << "the empty entry leaves the copy button as it was";
    choose(*s, "2019");
    // Enter in a box presses no button (here it would have asked to copy).
    QTest::keyClick(s->Txtシート名, Qt::Key_Return);
    EXPECT_TRUE(prompts.messages.empty());

    s->Txtシート名->setText(QStringLiteral("シート"));
    s->Txt横[8]->setText(QStringLiteral("6"));
    prompts.yesNoAnswers = {true};
    s->Cmd保存->click();
    EXPECT_THAT(prompts.messages, ElementsAre(kAskSave, kSaved));
    EXPECT_EQ(GetIniString(ini, "2019", "2-0"), "シート");
    EXPECT_EQ(GetIniString(ini, "2019", "1-1"), "");

    auto again = open();
    choose(*again, "2019");
    EXPECT_EQ(fields(*again), empty());
    EXPECT_FALSE(again->Cmd複写->isHidden());
    citylink::CityLayout layout;
    EXPECT_FALSE(runAccepts(2019, layout));
    ASSERT_EQ(lastReaderMessages.size(), 1u);
    EXPECT_EQ(lastReaderMessages[0].text, "設定画面から2019年度の設定を行ってください。");
}

TEST_F(SettingsScreenTest, CopyingFromAYearNotSetUpWritesTwentyFiveEmptyValues) {
    auto s = open();
    choose(*s, "2020"); // 2019 is not set up either
    prompts.yesNoAnswers = {true};
    s->Cmd複写->click();
    EXPECT_THAT(prompts.messages, ElementsAre(kAskCopy, kCopied));
    std::string expected = "[2020]\r\n";
    for (std::string_view key : citylink::kCopiedLayoutKeys)
        expected += std::string(key) + "=\r\n";
    std::string file = bytes();
    ASSERT_NE(file.find("[2020]"), std::string::npos);
    EXPECT_EQ(file.substr(file.find("[2020]")), expected);
    EXPECT_EQ(fields(*s), empty());
    EXPECT_FALSE(s->Cmd複写->isHidden());
}

TEST_F(SettingsScreenTest, DecliningACopyHidesTheButtonAndTheEmptyEntryCopiesNothing) {
    auto s = open();
    choose(*s, "2019");
    prompts.yesNoAnswers = {false};
    s->Cmd複写->click();
    EXPECT_THAT(prompts.messages, ElementsAre(kAskCopy));
    EXPECT_TRUE(s->Cmd複写->isHidden());
    choose(*s, "2020");
    EXPECT_FALSE(s->Cmd複写->isHidden());

    const std::string before = bytes();
    prompts.messages.clear();
    choose(*s, "");
    s->Cmd複写->click();
    s->Cmd保存->click();
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(bytes(), before);
}

TEST_F(SettingsScreenTest, CopyThenEditThenSaveGivesTheRunTheSavedPositions) {
    PutIniString(ini, "2018", "4-1", "1");
    PutIniString(ini, "2018", "4-2", "2");
    auto s = open();
    choose(*s, "2019");
    prompts.yesNoAnswers = {true};
    s->Cmd複写->click();
    EXPECT_THAT(fields(*s), ElementsAre("利用状況表（保育短時間）", "C", "D", "F", "H", "J", "T",
                                        "U", "X", "6", "4", "2", "1"));
    EXPECT_FALSE(s->hasUnsavedChanges());

    s->Txt横[7]->setText(QStringLiteral("Y"));         // 2-2: day 1
    s->Txt横[8]->setText(QStringLiteral("8"));         // 2-1: first row
    s->Txtユーザ項目[1]->setText(QStringLiteral("4")); // 4-1
    EXPECT_TRUE(s->hasUnsavedChanges());
    prompts.yesNoAnswers = {true};
    s->Cmd保存->click();
    EXPECT_FALSE(s->hasUnsavedChanges());

    citylink::CityLayout layout;
    ASSERT_TRUE(runAccepts(2019, layout));
    EXPECT_EQ(layout.FormTitle, "時間外保育利用状況表");
    EXPECT_EQ(layout.PasteLayout.DayColumn, "Y");
    EXPECT_EQ(layout.PasteLayout.FirstRow, 8);
    EXPECT_EQ(layout.DisabilityItemNo, 4);
    EXPECT_EQ(layout.ReductionItemNo, 2);
}

TEST_F(SettingsScreenTest, CopyingOverwritesBothCareNeedsWithoutAskingAboutEdits) {
    auto s = open();
    choose(*s, "2019");
    prompts.yesNoAnswers = {true};
    s->Cmd複写->click();
    PutIniString(ini, "2019", "3-0", "古い標準時間シート");
    PutIniString(ini, "2019", "2-14", "Q");
    choose(*s, "2019");
    s->Txt横[0]->setText(QStringLiteral("edited"));

    prompts.messages.clear();
    prompts.yesNoAnswers = {true};
    s->Cmd複写->click();
    EXPECT_THAT(prompts.messages, ElementsAre(kAskCopy, kCopied));
    EXPECT_EQ(GetIniString(ini, "2019", "3-0"), "保育標準時間");
    EXPECT_EQ(GetIniString(ini, "2019", "2-14"), "C");
    EXPECT_EQ(s->Txt横[0]->text(), QStringLiteral("C"));
    EXPECT_FALSE(s->hasUnsavedChanges());
}

TEST_F(SettingsScreenTest, AnotherYearDropsEditsButAnotherCareNeedAsksFirst) {
    auto s = open();
    choose(*s, "2018");
    s->Txt横[0]->setText(QStringLiteral("Z"));
    choose(*s, "2019");
    choose(*s, "2018");
    EXPECT_EQ(s->Txt横[0]->text(), QStringLiteral("C"));
    EXPECT_TRUE(prompts.messages.empty());

    // No: the short-time option stays with the edit in place.
    s->Txt横[0]->setText(QStringLiteral("Z"));
    prompts.yesNoAnswers = {false};
    s->Opt必要量[1]->click();
    EXPECT_THAT(prompts.messages, ElementsAre(kAskSwitch));
    EXPECT_TRUE(s->Opt必要量[0]->isChecked());
    EXPECT_FALSE(s->Opt必要量[1]->isChecked());
    EXPECT_EQ(s->Txt横[0]->text(), QStringLiteral("Z"));
    EXPECT_EQ(s->Txtシート名->text(), QStringLiteral("利用状況表（保育短時間）"));
    EXPECT_TRUE(s->hasUnsavedChanges());

    // Yes: the standard-time values, the edit dropped.
    prompts.yesNoAnswers = {true};
    s->Opt必要量[1]->click();
    EXPECT_TRUE(s->Opt必要量[1]->isChecked());
    EXPECT_EQ(s->Txtシート名->text(), QStringLiteral("保育標準時間"));
    EXPECT_EQ(s->Txt横[0]->text(), QStringLiteral("C"));
    EXPECT_FALSE(s->hasUnsavedChanges());
    EXPECT_EQ(prompts.messages.size(), 2u);
}

TEST_F(SettingsScreenTest, SavingShortTimeWritesOnlyItsKeysAndTheItemNumbersAsTyped) {
    ASSERT_EQ(bytes(), cp932::fromUtf8(kSeeded2018));
    auto s = open();
    choose(*s, "2018");
    s->Txtシート名->setText(QStringLiteral("短時間 "));
    s->Txt横[0]->setText(QStringLiteral("b"));         // 2-14
    s->Txt横[5]->setText(QString());                   // 2-12
    s->Txt横[8]->setText(QStringLiteral("7"));         // 2-1
    s->Txtユーザ項目[0]->setText(QStringLiteral("2")); // 4-2
    s->Txtユーザ項目[1]->setText(QStringLiteral("1")); // 4-1

    // No leaves the file alone.
    prompts.yesNoAnswers = {false};
    s->Cmd保存->click();
    EXPECT_EQ(bytes(), cp932::fromUtf8(kSeeded2018));
    EXPECT_TRUE(s->hasUnsavedChanges());

    prompts.yesNoAnswers = {true};
    s->Cmd保存->click();
    EXPECT_EQ(bytes(), cp932::fromUtf8("[2018]\r\n"
                                       "1-1=時間外保育利用状況表\r\n"
                                       "2-0=短時間 \r\n"
                                       "2-1=7\r\n2-2=X\r\n2-9=4\r\n2-11=U\r\n2-12=\r\n"
                                       "2-14=b\r\n2-15=D\r\n2-16=F\r\n2-17=H\r\n2-18=J\r\n"
                                       "3-0=保育標準時間\r\n"
                                       "3-1=6\r\n3-2=X\r\n3-9=2\r\n3-11=U\r\n3-12=T\r\n"
                                       "3-14=C\r\n3-15=D\r\n3-16=F\r\n3-17=H\r\n3-18=J\r\n"
                                       "4-1=1\r\n4-2=2\r\n"));
    EXPECT_THAT(prompts.messages, ElementsAre(kAskSave, kAskSave, kSaved));
    EXPECT_FALSE(s->hasUnsavedChanges());
}

TEST_F(SettingsScreenTest, ASaveThatCannotBeStoredIsReportedAndKeepsTheEdits) {
    auto s = open();
    choose(*s, "2018");
    const std::string before = bytes();

    // A character Shift_JIS cannot hold: nothing of the year is written.
    s->Txt横[8]->setText(QStringLiteral("9"));
    s->Txtシート名->setText(QStringLiteral("シート😀"));
    prompts.yesNoAnswers = {true};
    s->Cmd保存->click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].icon, MsgIcon::Critical);
    EXPECT_EQ(prompts.messages[1].title, "エラー");
    EXPECT_EQ(bytes(), before);
    EXPECT_TRUE(s->hasUnsavedChanges());

    // A folder that is gone: the write fails and is not reported as saved.
    prompts.messages.clear();
    Screen lost(prompts, clock, dir / "gone" / "札幌市連携.INI");
    lost.show();
    choose(lost, "2018");
    lost.Txt横[0]->setText(QStringLiteral("A"));
    prompts.yesNoAnswers = {true};
    lost.Cmd保存->click();
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[1].text,
              "設定を保存できませんでした。札幌市連携.INIに書き込めるか確認してください。");
    EXPECT_TRUE(lost.hasUnsavedChanges());
}

TEST_F(SettingsScreenTest, ClosingWithEditsAsksAndNoKeepsTheWindowOpen) {
    auto s = open();
    choose(*s, "2018");
    s->Cmd閉じる->click();
    EXPECT_TRUE(s->isHidden()) << "nothing edited: closes without a question";
    EXPECT_TRUE(prompts.messages.empty());

    s = open();
    choose(*s, "2018");
    s->Txt横[1]->setText(QStringLiteral("E"));
    prompts.yesNoAnswers = {false, false, true};
    s->Cmd閉じる->click();
    EXPECT_TRUE(s->isVisible());
    s->close(); // the window's close box
    EXPECT_TRUE(s->isVisible());
    QTest::keyClick(s.get(), Qt::Key_Escape);
    EXPECT_TRUE(s->isHidden());
    EXPECT_THAT(prompts.messages, ElementsAre(kAskClose, kAskClose, kAskClose));
    EXPECT_EQ(GetIniString(ini, "2018", "2-15"), "D");
}

TEST_F(SettingsScreenTest, TheMainWindowsSettingsButtonOpensANewModalScreenEachTime) {
    ScratchDir data;
    mdlLog log([&] { return data.path().string() + "/"; }, clock);
    F_うぇぶきらの札幌市連携 main(prompts, log, clock, dir.path());
    main.show();
    std::vector<QWidget*> seen;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            auto* screen = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(screen, nullptr);
            EXPECT_EQ(screen->windowTitle(), QString::fromUtf8(kCaption));
            EXPECT_TRUE(screen->isModal());
            seen.push_back(screen);
            screen->close();
        });
        main.Cmd設定ファイル->click();
    }
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(main.findChildren<QDialog*>().isEmpty()) << "each screen goes when it closes";
    main.close();
}
