// The system's message box as the library shows it: title, text, icon, owner and answer, read
// from the real box by a watcher that presses its buttons.
#include "printctl/platform/win32/message_box_prompts.h"
#include "printctl/platform/win32/tests/dialog_watcher.h"

#include <gtest/gtest.h>

namespace {

using printctl::testing::DialogWatcher;
using printctl::testing::systemIcon;

class MessageBoxPromptsTest : public ::testing::Test {
protected:
    void SetUp() override {
        owner = CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr) << "no window (Wine needs its null display driver)";
    }
    void TearDown() override { DestroyWindow(owner); }
    std::int64_t handle() const { return reinterpret_cast<INT_PTR>(owner); }

    HWND owner = nullptr;
    printctl::MessageBoxPrompts prompts;
};

TEST_F(MessageBoxPromptsTest, AnErrorShowsTitleTextAndIconOverTheOwner) {
    prompts.setOwner(handle());
    DialogWatcher watcher({IDOK});
    prompts.message(MsgIcon::Critical, "制御エラー",
                    "プリンタが登録されていません。プリンタの追加を行って下さい。");
    auto seen = watcher.finish();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "制御エラー");
    EXPECT_EQ(seen[0].text, "プリンタが登録されていません。プリンタの追加を行って下さい。");
    EXPECT_EQ(seen[0].owner, owner);
    EXPECT_EQ(seen[0].icon, systemIcon(IDI_HAND));
}

TEST_F(MessageBoxPromptsTest, WithoutAWindowTheBoxHasNoOwnerAndTheProgramsTitle) {
    prompts.setOwner(handle());
    prompts.setOwner(0x7FFF0000); // no window of this process: none
    DialogWatcher watcher({IDOK});
    prompts.message(MsgIcon::Information, "", "完了");
    auto seen = watcher.finish();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_EQ(seen[0].title, "printctl_win32_tests");
    EXPECT_EQ(seen[0].icon, systemIcon(IDI_ASTERISK));
}

TEST_F(MessageBoxPromptsTest, AQuestionIsAnsweredByItsButtons) {
    prompts.setOwner(handle());
    DialogWatcher watcher({IDYES, IDNO});
    EXPECT_TRUE(prompts.askYesNo("確認", "保存しますか？"));
    EXPECT_FALSE(prompts.askYesNo("確認", "保存しますか？"));
    auto seen = watcher.finish();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].title, "確認");
    EXPECT_EQ(seen[1].icon, systemIcon(IDI_QUESTION));
}

TEST_F(MessageBoxPromptsTest, TheFileDialogShowsItsTitleOverTheOwnerAndCancelsToNothing) {
    prompts.setOwner(handle());
    DialogWatcher watcher({IDCANCEL});
    auto chosen = prompts.chooseOpenFile(
        {"CSVファイルの選択", "CSVファイル|*.CSV|全てのファイル|*.*", "出席情報.csv"});
    auto seen = watcher.finish();
    EXPECT_EQ(chosen, std::nullopt);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "CSVファイルの選択");
    EXPECT_EQ(seen[0].owner, owner);
}

} // namespace
